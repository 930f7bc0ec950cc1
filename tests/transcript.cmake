# Runs PROGRAM (through EMULATOR, its arguments joined by "|", if given) with
# the file INPUT as standard input, and checks its standard output: equal to
# the file EXPECTED, or its last line, without trailing blanks, LAST_LINE.
# A Windows program's CR LF line ends are compared as line feeds.
string(REPLACE "|" ";" emulator "${EMULATOR}")
execute_process(COMMAND ${emulator} ${PROGRAM} INPUT_FILE ${INPUT} OUTPUT_VARIABLE output
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "exit status ${status}, not 0")
endif()
string(REPLACE "\r\n" "\n" output "${output}")
if(DEFINED EXPECTED)
  file(READ ${EXPECTED} expected)
  if(NOT output STREQUAL expected)
    message(FATAL_ERROR "the output differs from ${EXPECTED}:\n${output}")
  endif()
endif()
if(DEFINED LAST_LINE)
  string(REGEX MATCH "[^\n]*\n$" last "${output}")
  string(REGEX REPLACE " *\n$" "" last "${last}")
  if(NOT last STREQUAL LAST_LINE)
    message(FATAL_ERROR "the last line is \"${last}\", not \"${LAST_LINE}\":\n${output}")
  endif()
endif()
