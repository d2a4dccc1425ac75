# The coverage report and its bars (see Coverage.cmake). Run as a script, as
# the test `coverage` does, after the other tests of the coverage build:
#
#   cmake -D GCOVR=... -D GCOV=... -D SOURCE_DIR=... -D BUILD_DIR=... -P CoverageReport.cmake
#
# Reads the gcov counters the tests left in BUILD_DIR with gcovr, prints the
# lines gcovr finds unrun (and, for the plugin, the branches), then one table
# row per file with its bar, and fails when a file falls below its bar. The
# counters are removed once read, so that each report counts the test runs
# since the last one and nothing older.

cmake_minimum_required(VERSION 3.25)

foreach(var GCOVR GCOV SOURCE_DIR BUILD_DIR)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "${CMAKE_SCRIPT_MODE_FILE}: ${var} not given")
  endif()
endforeach()

# Folder, line bar and branch bar (empty: branches are reported, not held).
set(areas
  "source/VantorelPlugin/|100|100"
  "files/|95|"
  "simhost/|95|"
  "vantorel-sim/|95|")

file(GLOB_RECURSE counters "${BUILD_DIR}/*.gcda")
if(NOT counters)
  message(FATAL_ERROR "No coverage counters in ${BUILD_DIR}: run the tests of the "
                      "coverage build first (ctest --preset coverage)")
endif()

set(out ${BUILD_DIR}/coverage)
file(REMOVE_RECURSE ${out})
file(MAKE_DIRECTORY ${out})
set(filters "")
foreach(area IN LISTS areas)
  string(REPLACE "|" ";" fields "${area}")
  list(GET fields 0 folder)
  list(APPEND filters --filter "${folder}")
endforeach()

execute_process(
  COMMAND ${GCOVR} --root ${SOURCE_DIR} --gcov-executable ${GCOV} -j 2
          --exclude-throw-branches --exclude-unreachable-branches ${filters}
          --json ${out}/coverage.json
          --json-summary-pretty --json-summary ${out}/summary.json
          ${BUILD_DIR}
  WORKING_DIRECTORY ${SOURCE_DIR}
  RESULT_VARIABLE rc OUTPUT_VARIABLE gcovr_out ERROR_VARIABLE gcovr_err)
# Read or not, these counters are spent.
file(REMOVE ${counters})
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "gcovr failed (${rc}):\n${gcovr_out}${gcovr_err}")
endif()

# gcovr's own tables, from the tracefile it just wrote: every file's unrun
# lines, then the plugin's branches not taken both ways.
list(JOIN filters "|" everyArea)
foreach(report "lines|${everyArea}" "branches|--branches|--filter|source/VantorelPlugin/")
  string(REPLACE "|" ";" options "${report}")
  list(POP_FRONT options what)
  execute_process(
    COMMAND ${GCOVR} --root ${SOURCE_DIR} --add-tracefile ${out}/coverage.json ${options} --txt
    WORKING_DIRECTORY ${SOURCE_DIR}
    RESULT_VARIABLE rc OUTPUT_VARIABLE text ERROR_VARIABLE error)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "gcovr could not read ${out}/coverage.json:\n${error}")
  endif()
  message("gcovr, ${what}:\n${text}")
endforeach()

file(READ ${out}/summary.json summary)
string(JSON count LENGTH "${summary}" files)
if(count EQUAL 0)
  message(FATAL_ERROR "gcovr found no file of ${filters}")
endif()

# "covered/total (percent)", the percent to one place, rounded down so that
# 99.96% never shows as a 100 it is not.
function(figure covered total out)
  if(total EQUAL 0)
    set(${out} "-" PARENT_SCOPE)
    return()
  endif()
  math(EXPR tenths "${covered} * 1000 / ${total}")
  math(EXPR whole "${tenths} / 10")
  math(EXPR tenth "${tenths} % 10")
  set(${out} "${covered}/${total} (${whole}.${tenth}%)" PARENT_SCOPE)
endfunction()

function(pad text width out)
  string(LENGTH "${text}" length)
  if(length LESS width)
    math(EXPR missing "${width} - ${length}")
    string(REPEAT " " ${missing} spaces)
    string(APPEND text "${spaces}")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Meets a bar when covered >= bar% of total, in integers.
function(meets covered total bar out)
  set(${out} TRUE PARENT_SCOPE)
  if(NOT bar STREQUAL "" AND total GREATER 0)
    math(EXPR have "${covered} * 100")
    math(EXPR need "${total} * ${bar}")
    if(have LESS need)
      set(${out} FALSE PARENT_SCOPE)
    endif()
  endif()
endfunction()

# Appends one row to `table`: a file, or with an empty bar a folder's total.
function(add_row name lines lines_total branches branches_total bar result)
  figure(${lines} ${lines_total} l)
  figure(${branches} ${branches_total} b)
  pad("${name}" 46 c1)
  pad("${l}" 22 c2)
  set(row "${c1}${c2}")
  if(bar STREQUAL "")
    string(APPEND row "${b}")
  else()
    pad("${b}" 22 c3)
    pad("${bar}" 12 c4)
    string(APPEND row "${c3}${c4}${result}")
  endif()
  set(table "${table}${row}\n" PARENT_SCOPE)
endfunction()

pad("file" 46 head)
pad("lines" 22 lines_head)
pad("branches" 22 branches_head)
set(table "${head}${lines_head}${branches_head}bar         result\n")
set(shortfalls "")
foreach(area IN LISTS areas)
  string(REPLACE "|" ";" fields "${area}")
  list(GET fields 0 folder)
  list(GET fields 1 line_bar)
  list(GET fields 2 branch_bar)
  set(bar "${line_bar}% lines")
  if(NOT branch_bar STREQUAL "")
    set(bar "${line_bar}/${branch_bar}%")
  endif()
  set(folder_lines 0)
  set(folder_lines_total 0)
  set(folder_branches 0)
  set(folder_branches_total 0)
  set(seen 0)
  math(EXPR last "${count} - 1")
  foreach(i RANGE ${last})
    string(JSON name GET "${summary}" files ${i} filename)
    string(FIND "${name}" "${folder}" at)
    if(NOT at EQUAL 0)
      continue()
    endif()
    math(EXPR seen "${seen} + 1")
    string(JSON lines GET "${summary}" files ${i} line_covered)
    string(JSON lines_total GET "${summary}" files ${i} line_total)
    string(JSON branches GET "${summary}" files ${i} branch_covered)
    string(JSON branches_total GET "${summary}" files ${i} branch_total)
    math(EXPR folder_lines "${folder_lines} + ${lines}")
    math(EXPR folder_lines_total "${folder_lines_total} + ${lines_total}")
    math(EXPR folder_branches "${folder_branches} + ${branches}")
    math(EXPR folder_branches_total "${folder_branches_total} + ${branches_total}")
    meets(${lines} ${lines_total} "${line_bar}" lines_ok)
    meets(${branches} ${branches_total} "${branch_bar}" branches_ok)
    set(result "ok")
    if(NOT lines_ok OR NOT branches_ok)
      set(result "BELOW")
      figure(${lines} ${lines_total} l)
      set(what "lines ${l}")
      if(NOT branches_ok)
        figure(${branches} ${branches_total} b)
        string(APPEND what ", branches ${b}")
      endif()
      string(APPEND shortfalls "  ${name}: ${what}, bar ${bar}\n")
    endif()
    add_row("${name}" ${lines} ${lines_total} ${branches} ${branches_total} "${bar}" ${result})
  endforeach()
  if(seen EQUAL 0)
    string(APPEND shortfalls "  ${folder}: no file measured at all\n")
  endif()
  add_row("${folder} (all)" ${folder_lines} ${folder_lines_total}
          ${folder_branches} ${folder_branches_total} "" "")
endforeach()

message("Coverage per file (lines and branches as gcovr counts them):\n${table}")
if(shortfalls)
  message(FATAL_ERROR "Below the bar:\n${shortfalls}")
endif()
message("Every file meets its bar.")
