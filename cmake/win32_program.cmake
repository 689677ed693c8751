# The Windows program: portable core + Win32 layer + resources, linked statically so that
# it imports system DLLs only.
enable_language(RC)
add_executable(VelkAnalyser WIN32 ${VELK_WIN32_SOURCES} resources/velk.rc)
target_link_libraries(VelkAnalyser PRIVATE velk_core winmm comdlg32 gdi32 user32 ole32 advapi32)
target_compile_definitions(VelkAnalyser PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
target_include_directories(VelkAnalyser PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/resources)
if(NOT MSVC)
  target_link_options(VelkAnalyser PRIVATE -static -mwindows)
endif()
install(TARGETS VelkAnalyser RUNTIME DESTINATION .)
