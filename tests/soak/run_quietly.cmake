# cmake -DPROGRAM=... [-DEMULATOR=...] -DSCENARIO=... -P run_quietly.cmake
# Runs PROGRAM SCENARIO with its standard output thrown away, and fails unless
# it ends with status 0. Standard error (a failed expect) is shown.
execute_process(COMMAND ${EMULATOR} ${PROGRAM} ${SCENARIO}
                OUTPUT_QUIET
                ERROR_VARIABLE errors
                RESULT_VARIABLE status)
if(NOT status STREQUAL "0")
  message(FATAL_ERROR "${PROGRAM} ${SCENARIO} ended with status ${status}\n${errors}")
endif()
