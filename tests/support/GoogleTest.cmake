# GoogleTest, for everything that links the test support library: the tests,
# the fuzz targets' corpus replay, and (through the library) the benchmarks.
# Included from the top-level CMakeLists, so that its targets and
# gtest_discover_tests reach every folder below.
if(CMAKE_CROSSCOMPILING)
  # The target system rarely has a GoogleTest of its own; build one from the
  # sources Debian ships (libgtest-dev) with the cross compiler.
  find_package(GTest QUIET)
  if(NOT GTest_FOUND)
    set(GOOGLETEST_SOURCE_DIR /usr/src/googletest CACHE PATH
        "GoogleTest sources, built for the target when it has none")
    if(NOT EXISTS ${GOOGLETEST_SOURCE_DIR}/CMakeLists.txt)
      message(FATAL_ERROR "No GoogleTest sources in ${GOOGLETEST_SOURCE_DIR}: "
                          "install the Debian package libgtest-dev")
    endif()
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(${GOOGLETEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    # Threads::Threads, as GoogleTest's own package would bring it.
    find_package(Threads REQUIRED)
  endif()
else()
  find_package(GTest)
  if(NOT GTest_FOUND)
    message(FATAL_ERROR "GoogleTest not found: install the Debian package libgtest-dev")
  endif()
endif()
include(GoogleTest)
