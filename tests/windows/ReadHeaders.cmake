# Shared by the export and import checks: runs `OBJDUMP -p MODULE` and leaves
# its output in `dump`; fails the check when either is missing or objdump
# cannot read the module. read_exports() reads the export directory from it.

foreach(var OBJDUMP MODULE)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "${CMAKE_SCRIPT_MODE_FILE}: ${var} not given")
  endif()
endforeach()

execute_process(COMMAND ${OBJDUMP} -p ${MODULE}
                OUTPUT_VARIABLE dump ERROR_VARIABLE error RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${MODULE} failed: ${error}")
endif()

# The module's export directory: the name the module gives itself in
# `moduleName`, and its exported names in `exported`. Fails the check when
# the module has none.
macro(read_exports)
  string(REGEX MATCH "The Export Tables.*" exportPart "${dump}")
  if(exportPart STREQUAL "")
    message(FATAL_ERROR "${MODULE} has no export directory")
  endif()
  string(REGEX MATCH "\nName[ \t]+[0-9a-fA-F]+ ([^\n]*)" _ "${exportPart}")
  set(moduleName "${CMAKE_MATCH_1}")
  # The name table, up to the first blank line behind its heading; its lines
  # read "[   3] name". The brackets go before the names become a list, which
  # would not split inside a bracket pair.
  string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table\n(([^\n]+\n)*)" _ "${exportPart}")
  string(REGEX REPLACE "[ \t]*\\[ *[0-9]+\\] ([^\n]*)\n" "\\1;" exported "${CMAKE_MATCH_1}")
  list(REMOVE_ITEM exported "")
endmacro()
