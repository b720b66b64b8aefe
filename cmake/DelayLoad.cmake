# DLLs that the program needs only after its first paint are loaded when one of their functions
# is first called (delay loading), so that the start does not wait for them: WinINet (the
# probes and the download), the Save dialog, the shell, and the accessibility objects that only
# screen readers ask for (oleacc, oleaut32). Each gets an import library made
# from cmake/delayload/<dll>.def, which lists the functions that the program uses; a function
# not listed there fails the link by name, and belongs in the list.
#   larkspan_delay_load(<dll>) defines the target larkspan_delayed_<dll>, to link instead of <dll>.
find_program(LARKSPAN_DLLTOOL NAMES x86_64-w64-mingw32-dlltool REQUIRED)

function(larkspan_delay_load dll)
  set(definition ${PROJECT_SOURCE_DIR}/cmake/delayload/${dll}.def)
  set(library ${CMAKE_BINARY_DIR}/delayload/lib${dll}_delayed.a)
  add_custom_command(OUTPUT ${library}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/delayload
    COMMAND ${LARKSPAN_DLLTOOL} --input-def ${definition} --output-delaylib ${library}
    DEPENDS ${definition}
    COMMENT "Delay-load import library for ${dll}")
  add_custom_target(larkspan_delayload_${dll} DEPENDS ${library})
  add_library(larkspan_delayed_${dll} INTERFACE)
  add_dependencies(larkspan_delayed_${dll} larkspan_delayload_${dll})
  # delayimp holds the loader that the first call goes through.
  target_link_libraries(larkspan_delayed_${dll} INTERFACE ${library} delayimp)
endfunction()
