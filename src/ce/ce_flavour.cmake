# The Windows CE flavour of the Windows build (preset windows-ce-flavour),
# included from src/CMakeLists.txt in place of the desktop plug-in target.
#
# The plug-in's sources are compiled as for the handheld: _WIN32_WCE (CE 4.2)
# and UNDER_CE defined, ce_declarations.h supplying what CE's headers have
# and the desktop's lack. The plug-in DLL links against coredll.dll and
# ole32.dll alone, without the compiler's run-time (ce_runtime.cpp holds the
# pieces it needs), and the build fails when it imports anything but the
# names in ce_imports.txt. scanner_platform and scanner_core get the same
# defines, so the test suites run the CE branches too; under Wine the
# stand-in coredll.dll built in tests/ce answers for the core library.
set(ce_source ${CMAKE_CURRENT_SOURCE_DIR}/ce)
set(ce_definitions _WIN32_WCE=0x420 UNDER_CE NOMINMAX)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${ce_source}/ce_imports.txt)

# coredll.dll's import library, and the stand-in's export list, from the
# list: "name@bytes" for a stdcall name, the name alone for the C run-time;
# the stand-in forwards each name to its desktop DLL or implements it.
file(STRINGS ${ce_source}/ce_imports.txt rows REGEX "^coredll ")
set(import_def "LIBRARY coredll.dll\nEXPORTS\n")
set(standin_def "LIBRARY coredll.dll\nEXPORTS\n")
foreach(row ${rows})
  if(NOT row MATCHES "^coredll ([A-Za-z_0-9]+) ([0-9]+|cdecl) ([a-z0-9]+) ")
    message(FATAL_ERROR "ce_imports.txt: cannot read \"${row}\"")
  endif()
  set(name ${CMAKE_MATCH_1})
  if(CMAKE_MATCH_2 STREQUAL "cdecl")
    string(APPEND import_def "${name}\n")
  else()
    string(APPEND import_def "${name}@${CMAKE_MATCH_2}\n")
  endif()
  if(CMAKE_MATCH_3 STREQUAL "own")
    string(APPEND standin_def "${name}=${name}@${CMAKE_MATCH_2}\n")
  else()
    string(APPEND standin_def "${name}=${CMAKE_MATCH_3}.${name}\n")
  endif()
endforeach()
file(MAKE_DIRECTORY ${ZORVAN_CE_DIR})
file(WRITE ${ZORVAN_CE_DIR}/coredll.def "${import_def}")
file(WRITE ${ZORVAN_CE_DIR}/coredll_standin.def "${standin_def}")
find_program(ZORVAN_DLLTOOL NAMES i686-w64-mingw32-dlltool REQUIRED)
execute_process(COMMAND ${ZORVAN_DLLTOOL} -k -d ${ZORVAN_CE_DIR}/coredll.def
                        -l ${ZORVAN_CE_DIR}/libcoredll.a
                RESULT_VARIABLE dlltool_status)
if(NOT dlltool_status EQUAL 0)
  message(FATAL_ERROR "dlltool could not make coredll.dll's import library")
endif()
set(coredll_import ${ZORVAN_CE_DIR}/libcoredll.a)

foreach(library scanner_platform scanner_core)
  target_compile_definitions(${library} PRIVATE ${ce_definitions})
endforeach()
# Only the platform layer's sources see the OS header, here as in every
# build: the CE declarations go ahead of them alone.
set_source_files_properties(${ZORVAN_PLATFORM_SOURCES} PROPERTIES COMPILE_OPTIONS
                            "-include;${ce_source}/ce_declarations.h")
target_link_libraries(scanner_platform PUBLIC ${coredll_import} ole32)

# The plug-in: its own build of the sources, with neither exceptions nor
# type information, so nothing of the C++ library is needed.
add_library(zorvanscanner MODULE plugin/new_scanner.cpp ${ZORVAN_PLATFORM_SOURCES}
            ${ZORVAN_CORE_SOURCES} ce/ce_runtime.cpp)
target_include_directories(zorvanscanner PRIVATE ${PROJECT_SOURCE_DIR}/include
                           ${CMAKE_CURRENT_SOURCE_DIR})
target_compile_definitions(zorvanscanner PRIVATE ${ce_definitions})
target_compile_options(zorvanscanner PRIVATE -fno-exceptions -fno-rtti)
target_link_options(zorvanscanner PRIVATE -nostdlib -nostartfiles
                    -Wl,--entry,_DllMainCRTStartup@12)
target_link_libraries(zorvanscanner PRIVATE ${coredll_import} ole32 gcc zorvan_warnings)
set_target_properties(zorvanscanner PROPERTIES PREFIX ""
  LIBRARY_OUTPUT_DIRECTORY ${ZORVAN_PLUGIN_DIR})
add_custom_command(TARGET zorvanscanner POST_BUILD
  COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DPLUGIN=$<TARGET_FILE:zorvanscanner>
          -DALLOWED=${ce_source}/ce_imports.txt -P ${ce_source}/check_imports.cmake
  VERBATIM)
