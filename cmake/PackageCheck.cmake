# Read by cpack before it makes each package (CPACK_PROJECT_CONFIG_FILE); scripts/test.sh also
# runs it on its own (cmake -DCPACK_LARKSPAN_SITE_ADDRESSES=... -P) to check its rules. A package
# carries the site addresses that its build was configured with to every user who installs it.
# A build whose addresses name the user's own machine, where only the demo update server
# answers, would send every user's updater to their own computer: cpack refuses it, unless the
# build was configured as a demo package (LARKSPAN_DEMO_PACKAGE), whose file names then say
# "-demo". A build with the benchmarks' timing hooks is refused whatever its addresses.

if(CPACK_LARKSPAN_TIMING)
  message(FATAL_ERROR
    "No ${CPACK_GENERATOR} package: this build has the benchmarks' timing hooks "
    "(LARKSPAN_TIMING), with which the download saves to whatever path LARKSPAN_SAVE_AS names, "
    "without asking. Configure a build folder with -DLARKSPAN_TIMING=OFF.")
endif()

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

# The value of one part of a numeric IPv4 address, read as the system's resolver reads it
# ("0x" hexadecimal, a leading 0 octal, else decimal), in `out`; empty when it is no number.
function(larkspan_ipv4_part text out)
  set(value "")
  if(text MATCHES "^0x0*([0-9a-f]*)$")
    string(LENGTH "${CMAKE_MATCH_1}" length)
    if(length LESS_EQUAL 8)
      math(EXPR value "0x0${CMAKE_MATCH_1}")
    endif()
  elseif(text MATCHES "^0+([0-7]*)$")
    set(value 0)
    string(LENGTH "${CMAKE_MATCH_1}" length)
    if(length GREATER 11)
      set(value "")
    elseif(length GREATER 0)
      string(REGEX MATCHALL "." digits "${CMAKE_MATCH_1}")
      foreach(digit IN LISTS digits)
        math(EXPR value "${value} * 8 + ${digit}")
      endforeach()
    endif()
  elseif(text MATCHES "^[1-9][0-9]*$")
    string(LENGTH "${text}" length)
    if(length LESS_EQUAL 10)
      math(EXPR value "${text}")
    endif()
  endif()
  set(${out} "${value}" PARENT_SCOPE)
endfunction()

# The 32-bit value of a numeric IPv4 address in any of the resolver's spellings (one to four
# parts, the last one filling the bytes that are left: 127.1, 2130706433, 0x7f.1), in `out`;
# empty when `host` is no such address.
function(larkspan_ipv4 host out)
  set(${out} "" PARENT_SCOPE)
  string(REPLACE "." ";" parts "${host}")
  list(LENGTH parts count)
  if(count GREATER 4)
    return()
  endif()
  set(value 0)
  set(index 0)
  foreach(part IN LISTS parts)
    larkspan_ipv4_part("${part}" number)
    math(EXPR index "${index} + 1")
    if(number STREQUAL "")
      return()
    elseif(index LESS count)
      if(number GREATER 255)
        return()
      endif()
      math(EXPR value "${value} + (${number} << (8 * (4 - ${index})))")
    else()
      math(EXPR room "(1 << (8 * (5 - ${count}))) - 1")
      if(number GREATER room)
        return()
      endif()
      math(EXPR value "${value} + ${number}")
    endif()
  endforeach()
  set(${out} "${value}" PARENT_SCOPE)
endfunction()

# The IPv6 address in brackets as its eight 16-bit groups, in `out`; empty when it is none.
function(larkspan_ipv6_groups text out)
  set(${out} "" PARENT_SCOPE)
  string(REGEX REPLACE "%.*$" "" text "${text}")  # the zone
  if(text MATCHES "^(.*:)([^:]*\\.[^:]*)$")  # an IPv4 address as the last two groups
    set(head "${CMAKE_MATCH_1}")
    larkspan_ipv4("${CMAKE_MATCH_2}" value)
    if(value STREQUAL "")
      return()
    endif()
    math(EXPR high "${value} >> 16" OUTPUT_FORMAT HEXADECIMAL)
    math(EXPR low "${value} & 65535" OUTPUT_FORMAT HEXADECIMAL)
    string(REPLACE "0x" "" text "${head}${high}:${low}")
  endif()
  string(FIND "${text}" "::" gap)
  if(gap GREATER_EQUAL 0)
    string(SUBSTRING "${text}" 0 ${gap} before)
    math(EXPR after_start "${gap} + 2")
    string(SUBSTRING "${text}" ${after_start} -1 after)
    string(REPLACE ":" ";" before "${before}")
    string(REPLACE ":" ";" after "${after}")
    list(LENGTH before before_count)
    list(LENGTH after after_count)
    math(EXPR zeros "8 - ${before_count} - ${after_count}")
    if(zeros LESS 1 OR after MATCHES "::")
      return()
    endif()
    set(groups ${before})
    foreach(i RANGE 1 ${zeros})
      list(APPEND groups 0)
    endforeach()
    list(APPEND groups ${after})
  else()
    string(REPLACE ":" ";" groups "${text}")
  endif()
  list(LENGTH groups count)
  if(NOT count EQUAL 8)
    return()
  endif()
  set(values "")
  foreach(group IN LISTS groups)
    if(NOT group MATCHES "^[0-9a-f]([0-9a-f]?[0-9a-f]?[0-9a-f]?)$")
      return()
    endif()
    math(EXPR value "0x${group}")
    list(APPEND values ${value})
  endforeach()
  set(${out} "${values}" PARENT_SCOPE)
endfunction()

# True in `out` when the address names the machine it is used on: the loopback network
# 127.0.0.0/8 and the "this host" network 0.0.0.0/8 in every numeric spelling, IPv6's loopback
# and unspecified addresses and IPv4 ones of those networks written in IPv6, and the names of
# the machine itself (localhost with or without a final dot or a domain, *.localhost).
function(larkspan_names_this_machine address out)
  set(${out} FALSE PARENT_SCOPE)
  string(TOLOWER "${address}" address)
  string(REGEX REPLACE "^[a-z][a-z0-9+.-]*://" "" authority "${address}")
  string(REGEX REPLACE "[/?#].*$" "" authority "${authority}")
  string(REGEX REPLACE "^.*@" "" authority "${authority}")  # the user and password
  if(authority MATCHES "^\\[([^]]*)\\]")
    larkspan_ipv6_groups("${CMAKE_MATCH_1}" groups)
    if(groups MATCHES "^0;0;0;0;0;(0|65535);([0-9]+);([0-9]+)$")
      math(EXPR value "(${CMAKE_MATCH_2} << 16) + ${CMAKE_MATCH_3}")
    else()
      return()
    endif()
  else()
    string(REGEX REPLACE ":.*$" "" host "${authority}")
    string(REGEX REPLACE "\\.$" "" host "${host}")
    if(host MATCHES "^(localhost[46]?(\\..*)?|ip6-localhost|ip6-loopback|.*\\.localhost)$")
      set(${out} TRUE PARENT_SCOPE)
      return()
    endif()
    larkspan_ipv4("${host}" value)
    if(value STREQUAL "")
      return()
    endif()
  endif()
  math(EXPR network "${value} >> 24")
  if(network EQUAL 127 OR network EQUAL 0)
    set(${out} TRUE PARENT_SCOPE)
  endif()
endfunction()

# Each entry is VARIABLE=ADDRESS.
set(on_this_machine "")
set(unencrypted "")
foreach(entry IN LISTS CPACK_LARKSPAN_SITE_ADDRESSES)
  string(REGEX MATCH "^([A-Z_]+)=(.*)$" entry "${entry}")
  set(variable "${CMAKE_MATCH_1}")
  set(address "${CMAKE_MATCH_2}")
  larkspan_names_this_machine("${address}" here)
  if(here)
    string(APPEND on_this_machine "\n   ${variable} = ${address}")
  elseif(address MATCHES "^[hH][tT][tT][pP]://")
    string(APPEND unencrypted "\n   ${variable} = ${address}")
  endif()
endforeach()
if(on_this_machine)
  message(FATAL_ERROR
    "No ${CPACK_GENERATOR} package: this build's site addresses name the machine they are used "
    "on, where only the demo update server answers, and every user's updater would look for the "
    "sites on their own computer:"
    "${on_this_machine}\n"
    "Configure a build folder with the real addresses (each one listed above), for example\n"
    "   cmake -S . -B build-release -DLARKSPAN_COMPANY_URL=https://www.quillmere.example/ "
    "-DLARKSPAN_PRODUCT_URL=https://www.vantrel.example/\n"
    "or, for a package meant for the demo server, with -DLARKSPAN_DEMO_PACKAGE=ON: its file "
    "name then carries \"-demo\".")
endif()
if(unencrypted)
  message(WARNING
    "These site addresses are plain http: every user's updater reads them unencrypted, and "
    "anyone on the way can change what it reads. Use https unless the sites offer none:"
    "${unencrypted}")
endif()
