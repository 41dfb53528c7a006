# GoogleTest and GoogleMock for the tests: GTest::gtest, GTest::gtest_main,
# GTest::gmock and GTest::gmock_main.
#
# A native build uses the installed package. A cross-build cannot link the
# build machine's libraries, so it builds them for the target from the sources
# Debian ships in /usr/src/googletest (package googletest, pulled in by
# libgtest-dev); GOOGLETEST_SOURCE_DIR points elsewhere.
if(NOT CMAKE_CROSSCOMPILING)
  find_package(GTest REQUIRED)
  return()
endif()

set(GOOGLETEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources for cross-builds")
if(NOT EXISTS ${GOOGLETEST_SOURCE_DIR}/CMakeLists.txt)
  message(FATAL_ERROR "No GoogleTest sources in ${GOOGLETEST_SOURCE_DIR} (apt-get install googletest)")
endif()

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
# Only what the tests link gets built, with GoogleTest's own warnings (ours
# are on the project's own targets alone).
add_subdirectory(${GOOGLETEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
