# Shared by the export and import checks: runs `OBJDUMP -p MODULE` and leaves
# its output in `dump`; fails the check when either is missing or objdump
# cannot read the module.

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
