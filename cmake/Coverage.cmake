# VANTOREL_COVERAGE: the coverage preset's build. Every target carries GCC's
# gcov counters, unoptimised, so that the counts map onto the source line by
# line and branch by branch; the test `coverage` (label coverage) reads them
# with gcovr once the other tests have run, and holds each folder to its bar:
#
#   source/VantorelPlugin/           100% of lines and 100% of branches, per file
#   files/, simhost/, vantorel-sim/  95% of lines, per file
#
# Per file, not per folder: a file no test reaches must not hide behind the
# well-tested rest of its folder. Branches gcovr counts but no source can
# take (exception paths, compiler-made branches) are left out by its own
# --exclude-throw-branches and --exclude-unreachable-branches; anything else
# left out is marked in the code, GCOVR_EXCL_LINE or GCOVR_EXCL_BR_LINE, with
# the reason beside it.
#
#   cmake --workflow --preset coverage
#
# configures, builds, runs every test (test preset coverage) and then the
# report (test preset coverage-report).
option(VANTOREL_COVERAGE "Build with gcov counters and add the coverage report test" OFF)

if(VANTOREL_COVERAGE)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    message(FATAL_ERROR "VANTOREL_COVERAGE needs GCC (cmake --preset coverage)")
  endif()
  if(VANTOREL_SANITIZE OR VANTOREL_FUZZ)
    message(FATAL_ERROR "VANTOREL_COVERAGE is a build of its own: no sanitizers, no fuzzing")
  endif()
  # Atomic counters: the concurrency tests run the plugin on two threads.
  add_compile_options(--coverage -O0 -fprofile-update=atomic)
  add_link_options(--coverage)

  string(REGEX MATCH "^[0-9]+" _vantorel_gcc_major "${CMAKE_CXX_COMPILER_VERSION}")
  find_program(VANTOREL_GCOV NAMES gcov-${_vantorel_gcc_major} gcov)
  find_program(VANTOREL_GCOVR NAMES gcovr)
  if(NOT VANTOREL_GCOV OR NOT VANTOREL_GCOVR)
    message(FATAL_ERROR "The coverage report needs gcov and gcovr: "
                        "install the Debian package gcovr (scripts/install-deps.sh)")
  endif()
  add_test(NAME coverage
    COMMAND ${CMAKE_COMMAND} -D GCOVR=${VANTOREL_GCOVR} -D GCOV=${VANTOREL_GCOV}
            -D SOURCE_DIR=${PROJECT_SOURCE_DIR} -D BUILD_DIR=${PROJECT_BINARY_DIR}
            -P ${CMAKE_CURRENT_LIST_DIR}/CoverageReport.cmake)
  set_tests_properties(coverage PROPERTIES LABELS coverage)
endif()
