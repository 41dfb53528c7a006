# Remakes an import library for a DLL linked with --kill-at. The DLL exports
# its stdcall entry points under their plain names (ITCSCAN_Open), but code
# that calls them refers to the decorated names (_ITCSCAN_Open@8): dlltool
# -k makes a library that resolves the one to the other. DEF is the export
# list the linker wrote (lines "Name = Name@n"), DLL the DLL's file name.
file(STRINGS ${DEF} lines)
set(decorated "")
foreach(line ${lines})
  string(REGEX REPLACE "^( +)[A-Za-z_0-9]+ = ([A-Za-z_0-9]+@[0-9]+)" "\\1\\2" line "${line}")
  string(APPEND decorated "${line}\n")
endforeach()
file(WRITE ${DEF}.decorated "${decorated}")
execute_process(COMMAND ${DLLTOOL} -d ${DEF}.decorated -D ${DLL} -k -l ${IMPLIB}
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "dlltool failed for ${DLL}")
endif()
