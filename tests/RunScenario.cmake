# Runs one scenario script through the host program in a fresh home folder (also the
# working folder, so scripts may use relative paths) and compares the output with the
# expected transcript. Set UPDATE=1 in the environment to rewrite the transcript instead.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
execute_process(
  COMMAND ${EMULATOR} ${HOST} --home ${WORK} ${SCRIPT}
  WORKING_DIRECTORY ${WORK}
  OUTPUT_VARIABLE output
  ERROR_VARIABLE errors
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "host exited with ${status}\n${output}\n${errors}")
endif()
# The home folder lies in the build directory; the transcript names it <home> so that it
# holds in every build directory.
string(REPLACE "${WORK}" "<home>" output "${output}")
if(WINDOWS)
  # The host program names its home by its absolute path, which Wine gives as Z:\work\...
  string(REPLACE "/" "\\" windowsWork "Z:${WORK}")
  string(REPLACE "${windowsWork}" "<home>" output "${output}")
  # Windows joins paths below the home folder with backslashes: <home>\cfg\Postplay.cfg
  # reads as <home>/cfg/Postplay.cfg. Backslashes elsewhere (map entries) stay as printed.
  set(previous "")
  while(NOT previous STREQUAL output)
    set(previous "${output}")
    string(REGEX REPLACE "(<home>[^ \n\"\\]*)\\\\" "\\1/" output "${output}")
  endwhile()
endif()
# Transcripts compare with LF line ends, whichever the platform writes.
string(REPLACE "\r\n" "\n" output "${output}")
if(DEFINED ENV{UPDATE})
  file(WRITE ${EXPECTED} "${output}")
  return()
endif()
file(READ ${EXPECTED} expected)
string(REPLACE "\r\n" "\n" expected "${expected}")
string(FIND "${expected}" "...\n" tailMarker)
if(tailMarker EQUAL 0)
  string(SUBSTRING "${expected}" 4 -1 expected)
  string(LENGTH "${expected}" tailLength)
  string(LENGTH "${output}" outputLength)
  if(outputLength GREATER tailLength)
    math(EXPR tailStart "${outputLength} - ${tailLength}")
    string(SUBSTRING "${output}" ${tailStart} -1 output)
  endif()
endif()
if(DEFINED CFG)
  file(READ ${CFG} expectedCfg)
  file(READ ${WORK}/cfg/Postplay.cfg actualCfg)  # file(READ) drops the CR of CRLF line ends
  if(WINDOWS)
    # The cfg file is written with CRLF line ends on Windows, and with those only: as many
    # CR LF pairs as LF bytes.
    file(READ ${WORK}/cfg/Postplay.cfg bytes HEX)
    string(REGEX REPLACE "(..)" " \\1" bytes "${bytes}")
    string(REGEX MATCHALL " 0a" lineFeeds "${bytes}")
    string(REGEX MATCHALL " 0d 0a" lineEnds "${bytes}")
    list(LENGTH lineFeeds lineFeedCount)
    list(LENGTH lineEnds lineEndCount)
    if(NOT lineFeedCount EQUAL lineEndCount OR lineEndCount EQUAL 0)
      message(FATAL_ERROR "cfg/Postplay.cfg has line ends other than CRLF:\n${actualCfg}")
    endif()
  endif()
  if(NOT actualCfg STREQUAL expectedCfg)
    message(FATAL_ERROR "cfg/Postplay.cfg differs from ${CFG}:\n${actualCfg}")
  endif()
endif()
if(NOT output STREQUAL expected)
  file(WRITE ${WORK}/actual.txt "${output}")
  execute_process(COMMAND diff -u ${EXPECTED} ${WORK}/actual.txt OUTPUT_VARIABLE difference)
  message(FATAL_ERROR "transcript differs from ${EXPECTED}:\n${difference}")
endif()
