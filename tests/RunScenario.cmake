# Runs one scenario script through the host program in a fresh home folder (also the
# working folder, so scripts may use relative paths) and compares the output with the
# expected transcript. Set UPDATE=1 in the environment to rewrite the transcript instead.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
execute_process(
  COMMAND ${HOST} --home ${WORK} ${SCRIPT}
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
if(DEFINED ENV{UPDATE})
  file(WRITE ${EXPECTED} "${output}")
  return()
endif()
file(READ ${EXPECTED} expected)
if(NOT output STREQUAL expected)
  file(WRITE ${WORK}/actual.txt "${output}")
  execute_process(COMMAND diff -u ${EXPECTED} ${WORK}/actual.txt OUTPUT_VARIABLE difference)
  message(FATAL_ERROR "transcript differs from ${EXPECTED}:\n${difference}")
endif()
