# SPDX-License-Identifier: MIT
# One static library per folder, each seeing only the folders it links.
#
# The project's top folder is on no include path. Each folder gets an include
# root of its own under the build tree, holding only a link to that folder, so
# its files are included as "FOLDER/Header.h" by the targets that use that
# root: a library can include a folder only when it links that folder's
# library, and an include that goes up a layer or sideways fails to build.

# quill_include_root(FOLDER OUT) makes FOLDER's include root and names it in OUT.
function(quill_include_root folder out)
  string(REPLACE "/" "_" rootName "${folder}")
  set(root ${PROJECT_BINARY_DIR}/include-roots/${rootName})
  get_filename_component(linkParent ${root}/${folder} DIRECTORY)
  file(MAKE_DIRECTORY ${linkParent})
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  set(${out} ${root} PARENT_SCOPE)
endfunction()

# quill_folder_library(FOLDER [TARGET name]): the static library quill_FOLDER
# (or TARGET) whose users see FOLDER.
function(quill_folder_library folder)
  cmake_parse_arguments(ARG "" "TARGET" "" ${ARGN})
  set(target quill_${folder})
  if(ARG_TARGET)
    set(target ${ARG_TARGET})
  endif()
  quill_include_root(${folder} root)
  add_library(${target} STATIC)
  target_include_directories(${target} PUBLIC $<BUILD_INTERFACE:${root}>)
endfunction()

# quill_sees_folder(TARGET FOLDER): a program that includes FOLDER's files
# without a library of its own (the screenshot makers, the benchmarks).
function(quill_sees_folder target folder)
  quill_include_root(${folder} root)
  target_include_directories(${target} PRIVATE ${root})
endfunction()
