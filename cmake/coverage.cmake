# Line and branch coverage of src/ from whatever ran since the last build
# (run the tests first): `cmake --build --preset coverage --target
# coverage-report` prints the lines, then the branches of each file with the
# lines of those not taken, then both totals. Branches that only a thrown
# exception or code the compiler proved unreachable would take are left out:
# the plug-in throws nothing. The target fails below 90% branch coverage;
# docs/testing.md says what stays uncovered and why.
find_program(ZORVAN_GCOVR gcovr REQUIRED)
set(ZORVAN_COVERAGE_BRANCH_MINIMUM 90 CACHE STRING "Least branch coverage of src/ in percent")
# The coverage data is looked for in this build tree alone: other build trees
# beside it may hold anything (a Wine prefix links to the whole file system).
# The interleaving explorer compiles its own copy of src/ with a simulated
# platform; gcov cannot merge the branches of two copies of one file, so that
# copy is left out and the figures are those of the plug-in's own objects.
set(gcovr_common --root ${PROJECT_SOURCE_DIR} --object-directory ${CMAKE_BINARY_DIR}
    --filter ${PROJECT_SOURCE_DIR}/src/ --exclude-throw-branches --exclude-unreachable-branches
    --exclude-directories tests/interleaving ${CMAKE_BINARY_DIR})
add_custom_target(coverage-report
  COMMAND ${ZORVAN_GCOVR} ${gcovr_common}
  COMMAND ${ZORVAN_GCOVR} ${gcovr_common} --branches --print-summary
          --fail-under-branch ${ZORVAN_COVERAGE_BRANCH_MINIMUM}
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
  USES_TERMINAL
  COMMENT "Coverage of src/")
unset(gcovr_common)
