# Checks that a module imports nothing but DLLs every Windows has (and the
# project's own host library): the C++ runtime, libgcc and winpthread must be
# linked in, or the files would not run on a machine without MinGW.
#
#   cmake -D OBJDUMP=... -D MODULE=... -P CheckImports.cmake

cmake_minimum_required(VERSION 3.25)

include(${CMAKE_CURRENT_LIST_DIR}/ReadHeaders.cmake)

string(REGEX MATCHALL "DLL Name: [^\n]+" lines "${dump}")
if(NOT lines)
  message(FATAL_ERROR "${MODULE} imports nothing: not a linked module?")
endif()

set(system kernel32.dll msvcrt.dll user32.dll advapi32.dll gdi32.dll
           shell32.dll ole32.dll ws2_32.dll)
set(imported "")
set(foreign "")
foreach(line IN LISTS lines)
  string(SUBSTRING "${line}" 10 -1 dll)
  string(STRIP "${dll}" dll)
  list(APPEND imported "${dll}")
  string(TOLOWER "${dll}" lower)
  if(NOT lower IN_LIST system AND NOT lower STREQUAL "simhost.dll")
    list(APPEND foreign "${dll}")
  endif()
endforeach()

if(foreign)
  list(JOIN foreign ", " text)
  message(FATAL_ERROR "${MODULE} needs DLLs a bare Windows lacks: ${text}")
endif()
list(JOIN imported ", " text)
message(STATUS "${MODULE} imports ${text}")
