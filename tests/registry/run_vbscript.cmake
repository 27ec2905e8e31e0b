# Runs a VBScript with cscript under Wine and compares what it prints with the expected text.
execute_process(COMMAND ${EMULATOR} cscript //nologo ${SCRIPT}
                OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE status)
string(REPLACE "\r\n" "\n" output "${output}")
file(READ ${EXPECTED} expected)
if(NOT status EQUAL 0 OR NOT output STREQUAL expected)
  message(FATAL_ERROR "cscript ended with ${status}; it printed:\n${output}\nexpected:\n${expected}\nstandard error:\n${errors}")
endif()
