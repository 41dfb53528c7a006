# Read by cpack for the .deb (CPACK_PROJECT_CONFIG_FILE): sets
# CPACK_DEBIAN_PACKAGE_DEPENDS to what dpkg-shlibdeps finds for the files in
# ZORVAN_DEB_BINARIES, working in ZORVAN_DEB_WORK (dpkg-shlibdeps wants a
# debian/control there).
file(REMOVE_RECURSE ${ZORVAN_DEB_WORK})
file(WRITE ${ZORVAN_DEB_WORK}/debian/control "Source: zorvan-scanner\n\nPackage: zorvan-scanner\nArchitecture: any\n")
set(arguments)
foreach(binary ${ZORVAN_DEB_BINARIES})
  list(APPEND arguments -e${binary})
endforeach()
execute_process(COMMAND dpkg-shlibdeps -O ${arguments}
  WORKING_DIRECTORY ${ZORVAN_DEB_WORK}
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0 OR NOT out MATCHES "shlibs:Depends=([^\n]*)")
  message(FATAL_ERROR "dpkg-shlibdeps failed:\n${out}\n${err}")
endif()
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${CMAKE_MATCH_1}")
