# SPDX-License-Identifier: MIT
# Build options of Quill, with a summary printed at the end of configuration.

option(QUILL_BUILD_UI "Build the window and the quill program (Qt Widgets)" ON)
option(QUILL_BUILD_TESTS "Build the GoogleTest suites and register them with CTest" ON)
option(QUILL_BUILD_BENCH "Build the Google Benchmark programs under bench/" OFF)
option(QUILL_BUILD_FUZZ "Build the libFuzzer targets (needs clang)" OFF)
option(QUILL_WITH_JACK "MIDI output through a JACK server (libjack)" ON)
option(QUILL_E2E_TESTS "Register the end-to-end tests that start a JACK server" ON)
option(QUILL_SANITIZE "Build with -fsanitize=address,undefined" OFF)
option(QUILL_WERROR "Treat compiler warnings as errors" OFF)

add_compile_options(-Wall -Wextra)
if(QUILL_WERROR)
  add_compile_options(-Werror)
endif()
if(QUILL_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
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
