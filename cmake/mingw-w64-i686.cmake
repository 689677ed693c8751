# The 32-bit station, for units whose ASIO driver exists only as a 32-bit DLL.
set(VELK_MINGW_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
