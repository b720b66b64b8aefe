# Read by cpack before it makes each package (CPACK_PROJECT_CONFIG_FILE). A package carries the
# site addresses that its build was configured with to every user who installs it. A build whose
# addresses still point at this machine, where only the demo update server answers, would send
# every user's updater to their own computer: cpack refuses it, unless the build was configured
# as a demo package (LARKSPAN_DEMO_PACKAGE), whose file names then say "-demo".
if(CPACK_LARKSPAN_DEMO_PACKAGE)
  if(CPACK_GENERATOR STREQUAL "DEB")
    execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE architecture
                    OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    set(CPACK_DEBIAN_FILE_NAME
        "${CPACK_PACKAGE_NAME}-demo_${CPACK_PACKAGE_VERSION}_${architecture}.deb")
  else()
    string(REGEX REPLACE "^${CPACK_PACKAGE_NAME}" "\\0-demo" CPACK_PACKAGE_FILE_NAME
           "${CPACK_PACKAGE_FILE_NAME}")
  endif()
  return()
endif()

# Each entry is VARIABLE=ADDRESS. An address on this machine: localhost, 127.x.x.x or [::1].
set(on_this_machine "")
foreach(entry IN LISTS CPACK_LARKSPAN_SITE_ADDRESSES)
  string(REGEX MATCH "^([A-Z_]+)=(.*)$" entry "${entry}")
  set(variable "${CMAKE_MATCH_1}")
  set(address "${CMAKE_MATCH_2}")
  string(TOLOWER "${address}" lower)
  if(lower MATCHES "^[a-z][a-z0-9+.-]*://(localhost|127\\.[0-9.]+|\\[::1\\])(:[0-9]*)?(/|$)")
    string(APPEND on_this_machine "\n   ${variable} = ${address}")
  endif()
endforeach()
if(on_this_machine)
  message(FATAL_ERROR
    "No ${CPACK_GENERATOR} package: this build's site addresses are the demo update server's "
    "on this machine, and every user's updater would look for the sites there:"
    "${on_this_machine}\n"
    "Configure a build folder with the real addresses (each one listed above), for example\n"
    "   cmake -S . -B build-release -DLARKSPAN_COMPANY_URL=https://www.quillmere.example/ "
    "-DLARKSPAN_PRODUCT_URL=https://www.vantrel.example/\n"
    "or, for a package meant for the demo server, with -DLARKSPAN_DEMO_PACKAGE=ON: its file "
    "name then carries \"-demo\".")
endif()
