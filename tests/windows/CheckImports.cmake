# Checks a module's import table. It may import from DLLs every Windows has
# and, given HOST_MODULE, from the host module: the C++ runtime, libgcc and
# winpthread must be linked in, or the files would not run on a machine
# without MinGW.
#
#   cmake -D OBJDUMP=... -D MODULE=... [-D HOST_MODULE=bakkesmod.dll] -P CheckImports.cmake
#
# With HOST_MODULE the module is a client of the host, as the plugin DLL and
# vantorel-sim are: it must import from HOST_MODULE, by that very name, and
# every C++ symbol it imports (the host's wrapper classes and base class)
# must come from there and from nowhere else. A plugin built for the real
# host imports them from bakkesmod.dll; ours must too, or the host would
# look for a module it does not have.

cmake_minimum_required(VERSION 3.25)

include(${CMAKE_CURRENT_LIST_DIR}/ReadHeaders.cmake)

# The import directory: "DLL Name: NAME", then "vma: Hint/Ord Member-Name",
# then one "address hint name" line per symbol, up to a blank line.
string(REGEX MATCHALL "DLL Name: [^\n]+\n[^\n]*\n([^\n]+\n)*" blocks "${dump}")
if(NOT blocks)
  message(FATAL_ERROR "${MODULE} imports nothing: not a linked module?")
endif()

set(system kernel32.dll msvcrt.dll user32.dll advapi32.dll gdi32.dll
           shell32.dll ole32.dll ws2_32.dll)
set(runtimes libstdc++-6.dll libgcc_s_seh-1.dll libgcc_s_dw2-1.dll libwinpthread-1.dll)
string(TOLOWER "${HOST_MODULE}" host)

set(imported "")
set(faults "")
set(host_symbols 0)
foreach(block IN LISTS blocks)
  string(REGEX MATCH "DLL Name: ([^\n]+)" _ "${block}")
  string(STRIP "${CMAKE_MATCH_1}" dll)
  string(TOLOWER "${dll}" lower)
  list(APPEND imported "${dll}")
  # The symbol names: the last word of each line after the two headings.
  string(REGEX MATCHALL "\n[ \t]*[0-9a-fA-F]+[ \t]+[0-9]+[ \t]+[^ \t\n]+" rows "${block}")
  set(cxx "")
  foreach(row IN LISTS rows)
    string(REGEX REPLACE ".*[ \t]([^ \t]+)$" "\\1" symbol "${row}")
    if(symbol MATCHES "^_Z")
      list(APPEND cxx "${symbol}")
    endif()
  endforeach()

  if(host AND lower STREQUAL host)
    list(LENGTH rows host_symbols)
    if(NOT dll STREQUAL HOST_MODULE)
      list(APPEND faults "imports the host module as \"${dll}\", not \"${HOST_MODULE}\"")
    endif()
  elseif(lower IN_LIST runtimes)
    list(APPEND faults "imports ${dll}: the C and C++ runtimes must be linked in")
  elseif(NOT lower IN_LIST system)
    list(APPEND faults "imports ${dll}, which a bare Windows lacks")
  elseif(cxx)
    list(GET cxx 0 first)
    list(APPEND faults "imports C++ symbols from ${dll}, e.g. ${first}")
  endif()
endforeach()

if(host AND host_symbols EQUAL 0)
  list(APPEND faults "imports nothing from the host module ${HOST_MODULE}")
endif()

list(JOIN imported ", " text)
if(faults)
  list(JOIN faults "\n  " fault_text)
  message(FATAL_ERROR "${MODULE}:\n  ${fault_text}\nimports from: ${text}")
endif()
if(host)
  message(STATUS "${MODULE} imports ${host_symbols} host symbols from ${HOST_MODULE}; "
                 "all it imports comes from ${text}")
else()
  message(STATUS "${MODULE} imports from ${text}")
endif()
