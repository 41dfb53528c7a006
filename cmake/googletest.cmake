# GoogleTest for the build's target. A native build takes the Debian package
# (libgtest-dev); a cross-build compiles the sources Debian ships in
# /usr/src/googletest with the cross compiler. Either way the tests link
# GTest::gtest, GTest::gtest_main (and GTest::gmock).
if(NOT CMAKE_CROSSCOMPILING)
  find_package(GTest REQUIRED)
  return()
endif()

set(ZORVAN_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources for cross-builds")
if(NOT EXISTS ${ZORVAN_GOOGLETEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources not found in ${ZORVAN_GOOGLETEST_SOURCE} "
                      "(Debian package googletest)")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
# GoogleTest is third-party code: built without the project's warnings.
add_subdirectory(${ZORVAN_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
foreach(target gtest gtest_main gmock gmock_main)
  if(TARGET ${target})
    set_property(TARGET ${target} PROPERTY COMPILE_OPTIONS "")
    if(NOT TARGET GTest::${target})  # newer GoogleTest makes its own
      add_library(GTest::${target} ALIAS ${target})
    endif()
  endif()
endforeach()
