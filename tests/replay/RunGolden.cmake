# SPDX-License-Identifier: MIT
# Runs quill-replay on one script and compares its standard output (and, when
# given, its exit status and standard error) with the expected files.
#   -DREPLAY=path -DSCRIPT=path -DEXPECTED=path -DACTUAL=path [-DARGS=a|b] [-DSTATUS=n] [-DSTDERR=path]
string(REPLACE "|" ";" ARGS "${ARGS}")
execute_process(COMMAND ${REPLAY} ${ARGS} ${SCRIPT}
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
file(READ ${EXPECTED} expected)
if(NOT out STREQUAL expected)
  file(WRITE ${ACTUAL} "${out}")
  message(FATAL_ERROR "output differs from ${EXPECTED} (actual output written to ${ACTUAL})\nstderr: ${err}")
endif()
if(NOT DEFINED STATUS)
  set(STATUS 0)
endif()
if(NOT status EQUAL STATUS)
  message(FATAL_ERROR "exit status ${status}, expected ${STATUS}\nstderr: ${err}")
endif()
if(DEFINED STDERR)
  file(READ ${STDERR} expectedErr)
  if(NOT err STREQUAL expectedErr)
    message(FATAL_ERROR "standard error differs:\n${err}")
  endif()
endif()
