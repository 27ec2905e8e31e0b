# Runs tallyra-eval --precise --seed 1 over INPUT and compares its output with EXPECTED
# (line endings aside). Then checks the exit statuses of a success, a failure and a usage error,
# and that --help and --version answer on standard output and a usage error ends with the usage.
set(command ${EVAL})
if(EMULATOR)
  set(command ${EMULATOR} ${EVAL})
endif()

execute_process(COMMAND ${command} --precise --seed 1
  INPUT_FILE ${INPUT} OUTPUT_FILE ${OUTPUT} RESULT_VARIABLE status)
if(NOT status EQUAL 1)
  message(FATAL_ERROR "expected exit status 1 (some golden formulas fail), got ${status}")
endif()
file(READ ${OUTPUT} actual)
file(READ ${EXPECTED} expected)
string(REPLACE "\r\n" "\n" actual "${actual}")
if(NOT actual STREQUAL expected)
  message(FATAL_ERROR "output differs from ${EXPECTED}; see ${OUTPUT}")
endif()

execute_process(COMMAND ${command} 1+2 OUTPUT_VARIABLE out RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT out MATCHES "^3\r?\n$")
  message(FATAL_ERROR "1+2 gave '${out}' with status ${status}")
endif()
execute_process(COMMAND ${command} --help OUTPUT_VARIABLE help ERROR_VARIABLE err
  RESULT_VARIABLE status)
string(REPLACE "\r" "" help "${help}")
if(NOT status EQUAL 0 OR NOT help MATCHES "^usage: tallyra-eval .*--version" OR NOT err STREQUAL "")
  message(FATAL_ERROR "--help gave status ${status}, output '${help}', error '${err}'")
endif()
execute_process(COMMAND ${command} --version OUTPUT_VARIABLE out RESULT_VARIABLE status)
string(REPLACE "\r" "" out "${out}")
if(NOT status EQUAL 0 OR NOT out STREQUAL "tallyra-eval ${VERSION}\n")
  message(FATAL_ERROR "--version gave '${out}' with status ${status}")
endif()
execute_process(COMMAND ${command} --no-such-option
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
string(REPLACE "\r" "" err "${err}")
if(NOT status EQUAL 2 OR NOT out STREQUAL "" OR
   NOT err STREQUAL "tallyra-eval: unknown option --no-such-option\n${help}")
  message(FATAL_ERROR "a usage error gave status ${status}, output '${out}', error '${err}'")
endif()
