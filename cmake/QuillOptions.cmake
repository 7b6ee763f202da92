# SPDX-License-Identifier: MIT
# Build options of Quill, with a summary printed at the end of configuration.

option(QUILL_BUILD_UI "Build the window and the quill program (Qt Widgets)" ON)
option(QUILL_BUILD_TESTS "Build the GoogleTest suites and register them with CTest" ON)
option(QUILL_BUILD_BENCH "Build the Google Benchmark programs under bench/" OFF)
option(QUILL_BUILD_FUZZ "Build the libFuzzer targets (needs clang)" OFF)
option(QUILL_WITH_JACK "MIDI output through a JACK server (libjack)" ON)
option(QUILL_E2E_TESTS "Register the end-to-end tests that start a JACK server" ON)
set(QUILL_SANITIZE OFF CACHE STRING "Sanitizers: OFF, ON (address and undefined), address, or thread")
set_property(CACHE QUILL_SANITIZE PROPERTY STRINGS OFF ON address thread)
option(QUILL_WERROR "Treat compiler warnings as errors" OFF)

add_compile_options(-Wall -Wextra)
if(QUILL_WERROR)
  add_compile_options(-Werror)
endif()
# ON (or any other true value) keeps meaning what it did when the option was
# a switch: AddressSanitizer with UndefinedBehaviorSanitizer. ThreadSanitizer
# cannot be combined with AddressSanitizer, hence a build of its own.
string(TOLOWER "${QUILL_SANITIZE}" quill_sanitize)
if(quill_sanitize STREQUAL "address" OR quill_sanitize STREQUAL "thread")
  set(quill_sanitizers ${quill_sanitize})
elseif(quill_sanitize MATCHES "^(on|yes|true|y|1)$")
  set(quill_sanitizers address,undefined)
elseif(quill_sanitize MATCHES "^(off|no|false|n|0|)$")
  set(quill_sanitizers "")
else()
  message(FATAL_ERROR "QUILL_SANITIZE is OFF, ON (address and undefined), address or thread, not '${QUILL_SANITIZE}'")
endif()
if(quill_sanitizers)
  add_compile_options(-fsanitize=${quill_sanitizers} -fno-omit-frame-pointer)
  add_link_options(-fsanitize=${quill_sanitizers})
endif()
if(quill_sanitizers MATCHES "undefined")
  add_compile_options(-fno-sanitize-recover=undefined)
endif()

function(quill_show_option name)
  message(STATUS "  ${name}: ${${name}}")
endfunction()

function(quill_print_options)
  message(STATUS "Quill ${PROJECT_VERSION} build options:")
  foreach(opt QUILL_BUILD_UI QUILL_WITH_JACK QUILL_BUILD_TESTS QUILL_BUILD_BENCH QUILL_BUILD_FUZZ
              QUILL_E2E_TESTS QUILL_SANITIZE QUILL_WERROR)
    quill_show_option(${opt})
  endforeach()
  message(STATUS "  build type: ${CMAKE_BUILD_TYPE}")
endfunction()
