# The fuzz targets' bodies as a library of their own: the fuzzers link it
# with libFuzzer, and the normal test suite replays the corpora through it
# (tests/reliability). Included from both places; the first defines it.
#
# The match target reads its input through LLVM's FuzzedDataProvider.h, a
# header of clang's runtime (Debian: libclang-rt-14-dev). Clang finds it by
# itself; a GCC build copies it into its own tree, since the folder it lives
# in also holds clang's versions of the compiler's own headers. Without it,
# the match target's replay is left out.
if(TARGET vantorel_fuzz_harness)
  return()
endif()

set(_fuzz ${PROJECT_SOURCE_DIR}/fuzz)
set(VANTOREL_FUZZ_MATCH ON)
set(_provider_include "")
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  file(GLOB _providers /usr/lib/llvm-*/lib/clang/*/include/fuzzer/FuzzedDataProvider.h)
  if(_providers)
    list(SORT _providers COMPARE NATURAL ORDER DESCENDING)
    list(GET _providers 0 _provider)
    set(_provider_include ${CMAKE_BINARY_DIR}/fuzz-include)
    configure_file(${_provider} ${_provider_include}/fuzzer/FuzzedDataProvider.h COPYONLY)
  else()
    set(VANTOREL_FUZZ_MATCH OFF)
    message(STATUS "FuzzedDataProvider.h not found (libclang-rt-14-dev): no match fuzz replay")
  endif()
endif()

add_library(vantorel_fuzz_harness STATIC ${_fuzz}/Harness.h ${_fuzz}/ScriptHarness.cpp)
if(VANTOREL_FUZZ_MATCH)
  target_sources(vantorel_fuzz_harness PRIVATE ${_fuzz}/MatchHarness.cpp)
endif()
if(_provider_include)
  target_include_directories(vantorel_fuzz_harness SYSTEM PRIVATE ${_provider_include})
endif()
target_include_directories(vantorel_fuzz_harness PUBLIC ${_fuzz})
target_link_libraries(vantorel_fuzz_harness
  PUBLIC vantorel_sim vantorel_test_support PRIVATE vantorel_flags)
