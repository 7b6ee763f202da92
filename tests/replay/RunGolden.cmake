# SPDX-License-Identifier: MIT
# Runs quill-replay on one script and compares its standard output (and, when
# given, its exit status and standard error) with the expected files.
#   -DREPLAY=path -DSCRIPT=path -DEXPECTED=path -DACTUAL=path [-DARGS=a|b] [-DSTATUS=n] [-DSTDERR=path]
#   [-DSCRATCH=folder -DWORK=folder [-DSAME=a|b]]
# With SCRATCH the script runs in WORK, made afresh as a copy of SCRATCH (the
# files a script loads, saves and spoils stay out of the source tree); SAME
# names two files the run must leave byte for byte the same.
string(REPLACE "|" ";" ARGS "${ARGS}")
set(where "")
if(DEFINED SCRATCH)
  file(REMOVE_RECURSE ${WORK})
  file(COPY ${SCRATCH}/ DESTINATION ${WORK})
  set(where WORKING_DIRECTORY ${WORK})
endif()
execute_process(COMMAND ${REPLAY} ${ARGS} ${SCRIPT} ${where}
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
if(DEFINED SAME)
  string(REPLACE "|" ";" SAME "${SAME}")
  list(GET SAME 0 first)
  list(GET SAME 1 second)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/${first} ${WORK}/${second} RESULT_VARIABLE differ)
  if(NOT differ EQUAL 0)
    message(FATAL_ERROR "${first} and ${second} differ")
  endif()
endif()
