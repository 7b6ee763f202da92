# SPDX-License-Identifier: MIT
# cmake -DREPLAY=quill-replay -DSCRIPT=NAME.qrs -DFOLDER=DIR -P MakePreset.cmake
# Plays SCRIPT through quill-replay with @FOLDER@ replaced by DIR, so that the
# preset file it saves names its pictures by their full paths in DIR. A
# picture that fails to load fails the build.
cmake_minimum_required(VERSION 3.25)
file(READ "${SCRIPT}" script)
string(REPLACE "@FOLDER@" "${FOLDER}" script "${script}")
get_filename_component(name "${SCRIPT}" NAME_WE)
file(WRITE "${FOLDER}/${name}.script" "${script}")
# No MIDI device: the saved presets name none, and pick the first port on load.
execute_process(COMMAND "${REPLAY}" --devices 0 "${FOLDER}/${name}.script"
                OUTPUT_VARIABLE output RESULT_VARIABLE status)
file(REMOVE "${FOLDER}/${name}.script")
if(NOT status EQUAL 0 OR output MATCHES "picture|configuration file")
  message(FATAL_ERROR "${SCRIPT} did not make its preset:\n${output}")
endif()
