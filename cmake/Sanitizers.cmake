# VANTOREL_SANITIZE: a list of sanitizers (address, undefined, thread) to
# build every target with. Set by the asan and tsan presets.
set(VANTOREL_SANITIZE "" CACHE STRING "Sanitizers to build with, e.g. address;undefined")

# VANTOREL_FUZZ: the fuzz preset's build of the libFuzzer targets in fuzz/.
# Every target carries ASan, UBSan and the fuzzer's coverage counters, the
# host library and the plugin module included; only the fuzz targets link
# libFuzzer itself.
option(VANTOREL_FUZZ "Build the libFuzzer targets (clang)" OFF)

set(_vantorel_sanitizers ${VANTOREL_SANITIZE})
if(VANTOREL_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "VANTOREL_FUZZ needs clang (cmake --preset fuzz)")
  endif()
  if(VANTOREL_SANITIZE)
    message(FATAL_ERROR "VANTOREL_FUZZ brings its own sanitizers; leave VANTOREL_SANITIZE empty")
  endif()
  set(_vantorel_sanitizers address undefined)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

if(_vantorel_sanitizers)
  list(JOIN _vantorel_sanitizers "," _vantorel_joined)
  add_compile_options(-fsanitize=${_vantorel_joined} -fno-omit-frame-pointer
                      -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${_vantorel_joined})
  if("undefined" IN_LIST _vantorel_sanitizers)
    # The vptr check needs the type information of every class it casts to
    # in the object that casts. The plugin module hides its classes, as a
    # plugin DLL does, so the casts of the tests and the fuzz targets to
    # VantorelPlugin (or to the host tests' own plugin) would not link.
    add_compile_options(-fno-sanitize=vptr)
  endif()
endif()

# The other instrumented build, GCC's coverage counters, and its report.
include(${CMAKE_CURRENT_LIST_DIR}/Coverage.cmake)
