# A console tool of the model's writers: <windows_name>.exe on Windows (linked statically
# under MinGW so that it imports system DLLs only, and installed beside the station),
# <native_name> natively. It links its own library and velk_headless.
function(velk_console_tool windows_name native_name main library)
  if(WIN32)
    set(name ${windows_name})
  else()
    set(name ${native_name})
  endif()
  add_executable(${name} ${main})
  target_link_libraries(${name} PRIVATE ${library} velk_headless)
  if(WIN32)
    target_compile_definitions(${name} PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
    if(NOT MSVC)
      target_link_options(${name} PRIVATE -static)
    endif()
    install(TARGETS ${name} RUNTIME DESTINATION .)
  endif()
endfunction()
