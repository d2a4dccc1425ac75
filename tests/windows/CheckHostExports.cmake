# Reads the export directory of the host module, bakkesmod.dll, and checks
# that it exports what a host exports and nothing else: the members of the
# host interface classes (each `class HOST_API` in HOST_HEADERS, host/) and
# the simulated host's own API (namespace simhost). The file library, the
# C++ runtime and everything else linked into the module stay inside it.
#
#   cmake -D OBJDUMP=... -D MODULE=.../bakkesmod.dll -D HOST_HEADERS=.../host
#         [-D CXXFILT=c++filt] -P CheckHostExports.cmake
#
# Names are read as MinGW GCC mangles them (Itanium): a member is
# _ZN[cv- and ref-qualifiers]<length><class>..., a vtable or type
# information _ZT[VIS][N]<length><class>..., so the scope a name belongs to
# is the first length-prefixed name after that prefix. CXXFILT, when given,
# spells out the names a failure lists.

cmake_minimum_required(VERSION 3.25)

include(${CMAKE_CURRENT_LIST_DIR}/ReadHeaders.cmake)

read_exports()

file(GLOB headers ${HOST_HEADERS}/*.h)
set(classes "")
foreach(header IN LISTS headers)
  file(STRINGS ${header} declarations REGEX "(class|struct) HOST_API [A-Za-z_]")
  foreach(declaration IN LISTS declarations)
    string(REGEX MATCH "HOST_API ([A-Za-z_][A-Za-z0-9_]*)" _ "${declaration}")
    list(APPEND classes "${CMAKE_MATCH_1}")
  endforeach()
endforeach()
if(NOT classes)
  message(FATAL_ERROR "no host interface classes (class HOST_API) in ${HOST_HEADERS}")
endif()

set(hostScopes "")
foreach(class IN LISTS classes)
  string(LENGTH "${class}" length)
  list(APPEND hostScopes "${length}${class}")
endforeach()
list(JOIN hostScopes "|" hostScopes)
set(scope "^_Z(T[VIS])?N?[KVrRO]*")

set(hostCount 0)
set(simhostCount 0)
set(offenders "")
foreach(name IN LISTS exported)
  if(name MATCHES "${scope}(${hostScopes})")
    math(EXPR hostCount "${hostCount} + 1")
  elseif(name MATCHES "${scope}7simhost")
    math(EXPR simhostCount "${simhostCount} + 1")
  else()
    list(APPEND offenders "${name}")
  endif()
endforeach()

set(faults "")
if(NOT moduleName STREQUAL "bakkesmod.dll")
  list(APPEND faults "module name is \"${moduleName}\", not \"bakkesmod.dll\"")
endif()
if(hostCount EQUAL 0)
  list(APPEND faults "exports no member of a host interface class")
endif()
if(simhostCount EQUAL 0)
  list(APPEND faults "exports nothing of namespace simhost")
endif()
if(offenders)
  set(shown "${offenders}")
  if(CXXFILT)
    execute_process(COMMAND ${CXXFILT} ${offenders} OUTPUT_VARIABLE shown
                    OUTPUT_STRIP_TRAILING_WHITESPACE)
    string(REPLACE "\n" ";" shown "${shown}")
  endif()
  list(JOIN shown "\n    " shown)
  list(APPEND faults "exports what is neither host interface nor simhost:\n    ${shown}")
endif()

if(faults)
  list(JOIN faults "\n  " text)
  message(FATAL_ERROR "${MODULE}:\n  ${text}")
endif()
list(LENGTH exported count)
message(STATUS "${moduleName}: ${count} exports, ${hostCount} of the host interface "
               "and ${simhostCount} of simhost")
