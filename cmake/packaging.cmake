# What a release holds, and the packages made from it.
#
#   cmake --install build/default --prefix DIR     the installed tree
#   cmake --build build/default --target package  the packages (CPack):
#     Linux: .tar.gz and .deb; Windows: .zip
#
# Layout (GNUInstallDirs):
#   bin/scanhost                                  the host tool
#   <libdir>/zorvanscanner/<plug-in>              libzorvanscanner.so / zorvanscanner.dll
#   <libdir>/zorvanscanner/virtual/               the virtual device's three libraries
#   include/zorvanscanner/                        scanner_interface1.h, virtual_device.h
#   <libdir>/cmake/ZorvanScanner/                 the CMake package
#   share/doc/zorvan-scanner/                     the README and every guide it links
#   share/doc/zorvan-scanner/examples/            the examples: a first host, a host's test
#   share/zorvan-scanner/samples/                 sample labels for scanhost run
#   share/man/man1/scanhost.1.gz                  scanhost's manual page (not on Windows)

install(TARGETS zorvanscanner
  LIBRARY DESTINATION ${ZORVAN_INSTALL_PLUGIN_DIR} COMPONENT runtime
  RUNTIME DESTINATION ${ZORVAN_INSTALL_PLUGIN_DIR} COMPONENT runtime)
install(TARGETS ITCSCAN ITCAdcDevMgmt ITCSSApi
  LIBRARY DESTINATION ${ZORVAN_INSTALL_VIRTUAL_DIR} COMPONENT runtime
  RUNTIME DESTINATION ${ZORVAN_INSTALL_VIRTUAL_DIR} COMPONENT runtime
  ARCHIVE DESTINATION ${ZORVAN_INSTALL_VIRTUAL_DIR} COMPONENT development)
install(TARGETS scanhost RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
install(FILES include/scanner_interface1.h virtual/include/virtual_device.h
  DESTINATION ${ZORVAN_INSTALL_INCLUDE_DIR} COMPONENT development)
# The README and every page it links, with their pictures, side by side
# (the package test checks that each page the README names is there).
install(FILES README.md docs/host-integration.md docs/scanhost.md docs/virtual-device.md
  docs/architecture.md docs/architecture.png docs/testing.md docs/performance.md docs/latency.png
  docs/panel.png
  docs/handheld.md
  DESTINATION ${ZORVAN_INSTALL_DOC_DIR} COMPONENT runtime)
install(FILES samples/labels.txt DESTINATION ${ZORVAN_INSTALL_SAMPLES_DIR} COMPONENT runtime)
# The examples, a project of their own that builds against the installed
# package (the package test builds and runs this installed copy).
install(FILES examples/CMakeLists.txt examples/first_host.cpp examples/virtual_device_test.cpp
  DESTINATION ${ZORVAN_INSTALL_DOC_DIR}/examples COMPONENT development)

# scanhost's manual page, made from docs/scanhost.md so that the two are one
# text, compressed as Debian's policy asks. Target scanhost_manual; the
# uncompressed page stays beside it for the tests.
if(NOT WIN32)
  set(ZORVAN_MAN_PAGE ${CMAKE_BINARY_DIR}/man/scanhost.1)
  add_custom_command(OUTPUT ${ZORVAN_MAN_PAGE} ${ZORVAN_MAN_PAGE}.gz
    COMMAND ${CMAKE_COMMAND} -DINPUT=${PROJECT_SOURCE_DIR}/docs/scanhost.md
            -DOUTPUT=${ZORVAN_MAN_PAGE} -DNAME=scanhost -DSECTION=1
            "-DSUMMARY=a command-line host for the scanner plug-in"
            "-DSOURCE=zorvan-scanner ${PROJECT_VERSION}"
            -P ${PROJECT_SOURCE_DIR}/cmake/markdown_to_man.cmake
    COMMAND gzip -n -9 -k -f ${ZORVAN_MAN_PAGE}
    DEPENDS ${PROJECT_SOURCE_DIR}/docs/scanhost.md ${PROJECT_SOURCE_DIR}/cmake/markdown_to_man.cmake
    VERBATIM)
  add_custom_target(scanhost_manual ALL DEPENDS ${ZORVAN_MAN_PAGE}.gz)
  install(FILES ${ZORVAN_MAN_PAGE}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT runtime)
endif()

# The CMake package: find_package(ZorvanScanner CONFIG).
include(CMakePackageConfigHelpers)
configure_package_config_file(cmake/ZorvanScannerConfig.cmake.in
  ${CMAKE_BINARY_DIR}/ZorvanScannerConfig.cmake.configured
  INSTALL_DESTINATION ${ZORVAN_INSTALL_CMAKE_DIR}
  PATH_VARS ZORVAN_INSTALL_INCLUDE_DIR ZORVAN_INSTALL_PLUGIN_DIR ZORVAN_INSTALL_VIRTUAL_DIR)
# The file names of the plug-in and the virtual device come from the build.
file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/ZorvanScannerConfig.cmake
  INPUT ${CMAKE_BINARY_DIR}/ZorvanScannerConfig.cmake.configured)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/ZorvanScannerConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/ZorvanScannerConfig.cmake
  ${CMAKE_BINARY_DIR}/ZorvanScannerConfigVersion.cmake
  DESTINATION ${ZORVAN_INSTALL_CMAKE_DIR} COMPONENT development)

# Packages, named and versioned from the project.
set(CPACK_PACKAGE_NAME zorvan-scanner)
set(CPACK_PACKAGE_VENDOR "Zorvan")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Scanner plug-in for handheld barcode terminals")
set(CPACK_PACKAGE_DESCRIPTION
  "A host application loads the plug-in, calls NewScanner and drives the\n\
returned object through a fixed table of 91 operations. This package holds\n\
the plug-in, its host interface header, the virtual scanner device that\n\
stands in for the vendor libraries, the command-line host scanhost, the\n\
guides and sample labels.")
set(CPACK_PACKAGE_CONTACT "Zorvan scanner plug-in developers <scanner@zorvan.example>")
set(CPACK_PACKAGE_CHECKSUM SHA256)
set(CPACK_STRIP_FILES ON)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME windows-x86)
  set(CPACK_PACKAGE_FILE_NAME ${CPACK_PACKAGE_NAME}-${CPACK_PACKAGE_VERSION}-${CPACK_SYSTEM_NAME})
else()
  set(CPACK_GENERATOR TGZ DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
  set(CPACK_DEBIAN_PACKAGE_SECTION devel)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # The package's dependencies are what dpkg-shlibdeps finds for the built
  # programs and libraries, worked out when cpack runs (debian_depends.cmake).
  # CPack's own SHLIBDEPS would also add ldconfig calls to postinst and
  # postrm for any library below usr/lib, though the plug-in and the virtual
  # device sit in a private directory that ldconfig never looks at (lintian:
  # maintscript-calls-ldconfig).
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
  configure_file(cmake/debian/cpack_project_config.cmake.in
    ${CMAKE_BINARY_DIR}/cpack_project_config.cmake.configured @ONLY)
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/cpack_project_config.cmake
    INPUT ${CMAKE_BINARY_DIR}/cpack_project_config.cmake.configured)
  set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/cpack_project_config.cmake)
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://zorvan.example/scanner")
  # The copyright file and changelog Debian's policy asks of every package.
  set(debian_doc ${CMAKE_BINARY_DIR}/debian-doc)
  file(MAKE_DIRECTORY ${debian_doc})
  configure_file(cmake/debian/copyright ${debian_doc}/copyright COPYONLY)
  configure_file(cmake/debian/changelog ${debian_doc}/changelog.Debian @ONLY)
  add_custom_command(OUTPUT ${debian_doc}/changelog.Debian.gz
    COMMAND gzip -n -9 -k -f ${debian_doc}/changelog.Debian
    DEPENDS ${debian_doc}/changelog.Debian VERBATIM)
  add_custom_target(debian_changelog ALL DEPENDS ${debian_doc}/changelog.Debian.gz)
  install(FILES ${debian_doc}/copyright ${debian_doc}/changelog.Debian.gz
    DESTINATION ${ZORVAN_INSTALL_DOC_DIR} COMPONENT runtime)
endif()
include(CPack)
