# The Windows program: portable core + Win32 layer + resources, linked statically so that
# it imports system DLLs only.
enable_language(RC)

# The driver fault guard catches faults with structured exception handling (__try/__except),
# which GCC lacks: under MinGW's GCC it is compiled by clang, which accepts it as MSVC does
# for x64; for 32-bit x86 the file chains its own handler record instead.
set(VELK_GUARD_SOURCE ${CMAKE_SOURCE_DIR}/audio/driver_guard_win32.c)
list(REMOVE_ITEM VELK_WIN32_SOURCES ${VELK_GUARD_SOURCE})
if(NOT CMAKE_C_COMPILER_ID STREQUAL "GNU")
  add_library(velk_driver_guard STATIC ${VELK_GUARD_SOURCE})
  if(NOT MSVC)
    target_compile_options(velk_driver_guard PRIVATE -fms-extensions)
  endif()
else()
  find_program(VELK_CLANG NAMES clang clang-14 REQUIRED)
  # The target GCC builds for (x86_64-w64-mingw32 or i686-w64-mingw32).
  execute_process(COMMAND ${CMAKE_C_COMPILER} -dumpmachine OUTPUT_VARIABLE guard_target
                  OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  set(guard_object ${CMAKE_CURRENT_BINARY_DIR}/driver_guard_win32.obj)
  add_custom_command(OUTPUT ${guard_object}
    COMMAND ${VELK_CLANG} --target=${guard_target} -fms-extensions -O2 -Wall -Wextra
            -I${CMAKE_SOURCE_DIR} -c ${VELK_GUARD_SOURCE} -o ${guard_object}
    DEPENDS ${VELK_GUARD_SOURCE} ${CMAKE_SOURCE_DIR}/audio/driver_guard.h
    COMMENT "Compiling the driver fault guard with clang")
  add_library(velk_driver_guard STATIC ${guard_object})
  set_target_properties(velk_driver_guard PROPERTIES LINKER_LANGUAGE C)
endif()

# The Windows layer without the entry point, as objects: the program links it, and so does
# every Windows-side test program that drives a part of the station, so that none of them
# lists the station's sources and each gets all of them, linked the one way the program is.
set(VELK_ENTRY_SOURCE ${CMAKE_SOURCE_DIR}/app/main_win32.cpp)
list(REMOVE_ITEM VELK_WIN32_SOURCES ${VELK_ENTRY_SOURCE})
add_library(velk_win32 OBJECT ${VELK_WIN32_SOURCES})
target_link_libraries(velk_win32 PUBLIC velk_core velk_driver_guard winmm comdlg32 gdi32 user32
                      ole32 advapi32)
target_compile_definitions(velk_win32 PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX)
target_include_directories(velk_win32 PUBLIC ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/resources)

add_executable(VelkAnalyser WIN32 ${VELK_ENTRY_SOURCE} resources/velk.rc)
target_link_libraries(VelkAnalyser PRIVATE velk_win32)
if(MINGW)
  target_link_options(VelkAnalyser PRIVATE -static -mwindows)
endif()
install(TARGETS VelkAnalyser RUNTIME DESTINATION .)

# The Windows package: the exe, the launcher file, the demo model and how to map a unit.
install(FILES "${CMAKE_SOURCE_DIR}/demo/Velk Analyser.ini" DESTINATION .)
install(FILES "${CMAKE_SOURCE_DIR}/demo/README.txt" DESTINATION . RENAME "Mapping a unit.txt")
install(DIRECTORY "${CMAKE_SOURCE_DIR}/demo/VelkDJ2" DESTINATION . PATTERN "controls.json" EXCLUDE)
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME VelkAnalyser)
# One zip per architecture: a bench takes the one its unit's ASIO driver is built for.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(VELK_PACKAGE_ARCH win64)
else()
  set(VELK_PACKAGE_ARCH win32)
endif()
set(CPACK_PACKAGE_FILE_NAME "VelkAnalyser-${PROJECT_VERSION}-${VELK_PACKAGE_ARCH}")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
include(CPack)
