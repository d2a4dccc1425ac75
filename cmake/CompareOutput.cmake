# Runs vantorel-sim once as a process and checks what it did: for the few
# checks that need the program itself rather than RunProgram in-process
# (tests/vantorel-sim/cases). Run as a script:
#
#   cmake -DSIM=<command list> [-DARGS=<list>] [-DEXPECTED_OUTPUT=<file>]
#         [-DEXPECTED_EXIT=<n>] [-DEXPECTED_ERROR=<regex>]
#         [-DOUTPUT_MATCHES=<list of regexes>] -P CompareOutput.cmake
#
# SIM is the command that starts vantorel-sim: its path, or for instance
# wine followed by the path of vantorel-sim.exe. Carriage returns are dropped
# from both outputs first, so a Windows build compares against the same
# files. Checks:
#   EXPECTED_OUTPUT  standard output equals this file, byte for byte
#   EXPECTED_EXIT    the exit status (default 0)
#   EXPECTED_ERROR   standard error is one line, which matches this regular
#                    expression; without it, standard error must be empty
#   OUTPUT_MATCHES   regular expressions standard output matches

if(NOT SIM)
  message(FATAL_ERROR "SIM not given")
endif()
if(NOT DEFINED EXPECTED_EXIT)
  set(EXPECTED_EXIT 0)
endif()

execute_process(COMMAND ${SIM} ${ARGS}
  OUTPUT_VARIABLE output ERROR_VARIABLE error RESULT_VARIABLE status)
string(REPLACE "\r" "" output "${output}")
string(REPLACE "\r" "" error "${error}")

set(failures "")
if(NOT status STREQUAL EXPECTED_EXIT)
  string(APPEND failures "  exit status ${status}, expected ${EXPECTED_EXIT}\n")
endif()
string(REGEX REPLACE "\n$" "" message "${error}")
if(DEFINED EXPECTED_ERROR)
  if(message MATCHES "\n" OR NOT error MATCHES "\n$" OR NOT message MATCHES "${EXPECTED_ERROR}")
    string(APPEND failures "  standard error is not one line matching '${EXPECTED_ERROR}'\n")
  endif()
elseif(NOT error STREQUAL "")
  string(APPEND failures "  unexpected standard error\n")
endif()
if(DEFINED EXPECTED_OUTPUT)
  file(READ "${EXPECTED_OUTPUT}" expected)
  string(REPLACE "\r" "" expected "${expected}")
  if(NOT output STREQUAL expected)
    string(APPEND failures "  standard output differs from ${EXPECTED_OUTPUT}\n")
  endif()
endif()
foreach(pattern IN LISTS OUTPUT_MATCHES)
  if(NOT output MATCHES "${pattern}")
    string(APPEND failures "  standard output does not match '${pattern}'\n")
  endif()
endforeach()

if(failures)
  list(JOIN SIM " " shown_sim)
  list(JOIN ARGS " " shown_args)
  message(FATAL_ERROR "${shown_sim} ${shown_args}\n${failures}"
    "standard output:\n${output}\nstandard error:\n${error}")
endif()
