# Installs the build into a fresh prefix and checks what a host developer
# relies on: every file in place, every page the installed guides name
# installed beside them, the plug-in's run path still finding the vendor
# libraries beside it (Linux), the CMake package serving a host project that
# scans a label and the installed examples (Linux), the installed scanhost
# running the samples, and the package (.tar.gz, or .zip for Windows)
# holding the same files.
#   -DBUILD=<build tree> -DSOURCE=<this directory> -DWORK=<scratch directory>
#   -DOBJDUMP=<objdump> -DLIBDIR=<CMAKE_INSTALL_LIBDIR>
#   -DWINDOWS=ON|OFF -DEMULATOR=<what runs the build's programs, if anything>
file(REMOVE_RECURSE ${WORK})
set(prefix ${WORK}/prefix)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "failed: ${ARGN}\n${out}\n${err}")
  endif()
  set(output "${out}" PARENT_SCOPE)
endfunction()

run(${CMAKE_COMMAND} --install ${BUILD} --prefix ${prefix})

set(expected
  include/zorvanscanner/scanner_interface1.h
  include/zorvanscanner/virtual_device.h
  ${LIBDIR}/cmake/ZorvanScanner/ZorvanScannerConfig.cmake
  ${LIBDIR}/cmake/ZorvanScanner/ZorvanScannerConfigVersion.cmake
  share/doc/zorvan-scanner/README.md
  share/doc/zorvan-scanner/host-integration.md
  share/doc/zorvan-scanner/scanhost.md
  share/zorvan-scanner/samples/labels.txt
  share/doc/zorvan-scanner/examples/CMakeLists.txt
  share/doc/zorvan-scanner/examples/first_host.cpp
  share/doc/zorvan-scanner/examples/virtual_device_test.cpp)
if(WINDOWS)
  set(scanhost bin/scanhost.exe)
  list(APPEND expected ${scanhost}
    ${LIBDIR}/zorvanscanner/zorvanscanner.dll
    ${LIBDIR}/zorvanscanner/virtual/ITCSCAN.dll
    ${LIBDIR}/zorvanscanner/virtual/ITCAdcDevMgmt.dll
    ${LIBDIR}/zorvanscanner/virtual/ITCSSApi.DLL)
  set(generator ZIP)
  set(extension zip)
else()
  set(scanhost bin/scanhost)
  list(APPEND expected ${scanhost}
    ${LIBDIR}/zorvanscanner/libzorvanscanner.so
    ${LIBDIR}/zorvanscanner/virtual/libITCSCAN.so
    ${LIBDIR}/zorvanscanner/virtual/libITCAdcDevMgmt.so
    ${LIBDIR}/zorvanscanner/virtual/libITCSSApi.so
    share/doc/zorvan-scanner/copyright
    share/doc/zorvan-scanner/changelog.Debian.gz
    share/man/man1/scanhost.1.gz)
  set(generator TGZ)
  set(extension tar.gz)
endif()
# Every page and picture that the installed README and guides name is
# installed beside them.
file(GLOB pages ${prefix}/share/doc/zorvan-scanner/*.md)
foreach(page ${pages})
  file(READ ${page} text)
  string(REGEX MATCHALL "[A-Za-z-]+\\.(md|png)" named "${text}")
  foreach(name ${named})
    list(APPEND expected share/doc/zorvan-scanner/${name})
  endforeach()
endforeach()
list(REMOVE_DUPLICATES expected)
foreach(file ${expected})
  if(NOT EXISTS ${prefix}/${file})
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()

if(NOT WINDOWS)
  # The vendor libraries are looked for beside the installed plug-in: the run
  # path is $ORIGIN alone (an empty entry would mean the current directory).
  run(${OBJDUMP} -p ${prefix}/${LIBDIR}/zorvanscanner/libzorvanscanner.so)
  if(NOT output MATCHES "RUNPATH +\\$ORIGIN\n")
    message(FATAL_ERROR "the installed plug-in's run path is not $ORIGIN alone:\n${output}")
  endif()

  # A host project built against the installed package scans a label.
  run(${CMAKE_COMMAND} -S ${SOURCE}/host -B ${WORK}/host -G Ninja
      -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_BUILD_TYPE=Release)
  run(${CMAKE_COMMAND} --build ${WORK}/host)
  run(${WORK}/host/package_host)
  if(NOT output STREQUAL "scanned HELLO\n")
    message(FATAL_ERROR "the host project printed: ${output}")
  endif()

  # The installed examples build against the package and run: the first
  # host to its end, the host's test suite passing.
  run(${CMAKE_COMMAND} -S ${prefix}/share/doc/zorvan-scanner/examples -B ${WORK}/examples -G Ninja
      -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_BUILD_TYPE=Release)
  run(${CMAKE_COMMAND} --build ${WORK}/examples)
  run(${WORK}/examples/first_host)
  if(NOT output MATCHES "GetSymbologyEnabled 0 -> 0\nfirst host: done\n$")
    message(FATAL_ERROR "the first host printed:\n${output}")
  endif()
  if(EXISTS ${WORK}/examples/virtual_device_test)
    run(${WORK}/examples/virtual_device_test)
  endif()
endif()

# The installed scanhost finds the installed plug-in and virtual device.
run(${EMULATOR} ${prefix}/${scanhost} run ${prefix}/share/zorvan-scanner/samples/labels.txt)
if(NOT output MATCHES "label 1: " OR NOT output MATCHES "Destructor -> done\n$")
  message(FATAL_ERROR "the installed scanhost printed:\n${output}")
endif()

# The package holds the installed files.
run(cpack -G ${generator} --config ${BUILD}/CPackConfig.cmake -B ${WORK}/packages)
file(GLOB archive ${WORK}/packages/*.${extension})
run(${CMAKE_COMMAND} -E tar tf ${archive})
foreach(file ${expected})
  string(FIND "${output}" "/${file}\n" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "not in ${archive}: ${file}")
  endif()
endforeach()
message(STATUS "installed tree and package checked in ${WORK}")
