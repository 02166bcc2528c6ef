# Fails when a C++ file of the tree is not formatted as .clang-format says; the message
# names the files and the command that formats them. Run as a test:
#   cmake -DQX_SOURCE_DIR=<root> -DQX_CLANG_FORMAT=<clang-format> -P cmake/CheckFormat.cmake
cmake_policy(VERSION 3.20)
if(NOT QX_SOURCE_DIR OR NOT QX_CLANG_FORMAT)
  message(FATAL_ERROR "QX_SOURCE_DIR and QX_CLANG_FORMAT must be set")
endif()

file(GLOB_RECURSE files RELATIVE ${QX_SOURCE_DIR} ${QX_SOURCE_DIR}/*.cpp ${QX_SOURCE_DIR}/*.h)
list(FILTER files EXCLUDE REGEX "^(build|out)/")
set(unformatted)
foreach(file IN LISTS files)
  execute_process(COMMAND ${QX_CLANG_FORMAT} --dry-run --Werror ${file}
                  WORKING_DIRECTORY ${QX_SOURCE_DIR} RESULT_VARIABLE rc OUTPUT_QUIET ERROR_QUIET)
  if(NOT rc EQUAL 0)
    list(APPEND unformatted ${file})
  endif()
endforeach()
list(LENGTH files checked)
if(unformatted)
  list(JOIN unformatted "\n  " names)
  message(FATAL_ERROR "not formatted as .clang-format says:\n  ${names}\n"
                      "format them with: clang-format -i <files> (or git clang-format for changed lines)")
endif()
message(STATUS "${checked} C++ files formatted as .clang-format says")
