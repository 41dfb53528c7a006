# Fails unless the plug-in's dynamic symbol table defines NewScanner alone.
execute_process(COMMAND ${NM} -D --defined-only ${PLUGIN}
  OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "nm failed on ${PLUGIN}")
endif()
string(REGEX MATCHALL "[^\n]+" lines "${symbols}")
set(exported "")
foreach(line ${lines})
  string(REGEX REPLACE "^[0-9a-fA-F]* *[A-Za-z] " "" name "${line}")
  # Linker-provided section markers are not exports of ours.
  if(NOT name MATCHES "^(_init|_fini|_edata|_end|__bss_start)$")
    list(APPEND exported ${name})
  endif()
endforeach()
if(NOT exported STREQUAL "NewScanner")
  message(FATAL_ERROR "plug-in exports: ${exported}")
endif()
message(STATUS "plug-in exports: ${exported}")
