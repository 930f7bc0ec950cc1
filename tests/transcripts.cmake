# Runs PROGRAM (through EMULATOR, its arguments joined by "|", if given) on
# each transcript below, with tests/data/<name>.in as standard input, and
# checks its exit status and standard output: the worked example byte for
# byte; the verdict on readings typed exactly as the limits of 117.878 mm
# and Rho 2.730 print, which a limit one unit off inward would judge
# outside the band; and a tiny reading (a denormal) above limits of 0, which
# a target or start-up file that flushes tiny values to zero would judge
# good. A Windows program's CR LF line ends are compared as line feeds.
#
# usage: cmake [-DEMULATOR=...] -DPROGRAM=... -P tests/transcripts.cmake
set(data ${CMAKE_CURRENT_LIST_DIR}/data)
# Each transcript: its name, then the whole output's file or the last line,
# trailing blanks aside.
set(transcripts
  "worked_example|FILE|${data}/worked_example.out"
  "upper_limit_typed|LAST_LINE|        **** G U T ****"
  "lower_limit_typed|LAST_LINE|        **** G U T ****"
  "tiny_reading|LAST_LINE| Obere Grenze verletzt: SCHLECHT")

string(REPLACE "|" ";" emulator "${EMULATOR}")
foreach(transcript IN LISTS transcripts)
  string(REPLACE "|" ";" transcript "${transcript}")
  list(GET transcript 0 name)
  list(GET transcript 1 kind)
  list(GET transcript 2 want)
  execute_process(COMMAND ${emulator} ${PROGRAM} INPUT_FILE ${data}/${name}.in
                  OUTPUT_VARIABLE output RESULT_VARIABLE status)
  string(REPLACE "\r\n" "\n" got "${output}")
  if(kind STREQUAL "FILE")
    file(READ ${want} want)
  else()
    string(REGEX MATCH "[^\n]*\n$" got "${got}")
    string(REGEX REPLACE " *\n$" "" got "${got}")
  endif()
  if(NOT status EQUAL 0)
    message(SEND_ERROR "${name}: exit status ${status}, not 0")
  elseif(NOT got STREQUAL want)
    message(SEND_ERROR "${name}: not as expected:\n${output}")
  else()
    message(STATUS "${name}: as expected")
  endif()
endforeach()
