# Fails when a file includes a header of a layer it may not use. Run as a test:
#   cmake -DQX_SOURCE_DIR=<root> -P cmake/CheckLayers.cmake
#
# What each folder may include (its own folder is always allowed) is the table of
# cmake/QxLayers.cmake, the same that the build declares the layers' targets from; tools,
# tests and benchmarks may use everything.
include(${CMAKE_CURRENT_LIST_DIR}/QxLayers.cmake)
set(layers platform afx foundation runtime_adaptors runtime config service editor ui resources include)

cmake_policy(VERSION 3.20)
if(NOT QX_SOURCE_DIR)
  message(FATAL_ERROR "QX_SOURCE_DIR is not set")
endif()
set(faults 0)
foreach(layer IN LISTS layers)
  string(REPLACE "_" "/" folder ${layer})
  file(GLOB_RECURSE files RELATIVE ${QX_SOURCE_DIR}
       ${QX_SOURCE_DIR}/${folder}/*.h ${QX_SOURCE_DIR}/${folder}/*.cpp ${QX_SOURCE_DIR}/${folder}/*.rc)
  foreach(file IN LISTS files)
    # The adaptor modules are a layer of their own inside runtime/.
    if(layer STREQUAL "runtime" AND file MATCHES "^runtime/adaptors/")
      continue()
    endif()
    file(STRINGS ${QX_SOURCE_DIR}/${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]+\"")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]+\"([^\"]+)\".*" "\\1" name "${line}")
      if(NOT name MATCHES "/")
        if(NOT layer STREQUAL "include" AND NOT name STREQUAL "QxQVInfo320U.h")
          continue()  # a file beside the includer
        endif()
        set(target include)
      else()
        string(REGEX REPLACE "/.*" "" target "${name}")
      endif()
      if(target STREQUAL folder OR (layer STREQUAL "runtime_adaptors" AND name MATCHES "^runtime/adaptors/"))
        continue()
      endif()
      if(NOT target IN_LIST QX_USES_${layer})
        message(SEND_ERROR "${file}: includes \"${name}\", but ${folder}/ may include only: ${folder}/ and ${QX_USES_${layer}}")
        math(EXPR faults "${faults} + 1")
      endif()
    endforeach()
  endforeach()
endforeach()
if(faults)
  message(FATAL_ERROR "${faults} include(s) cross the layers")
endif()
message(STATUS "Every include keeps to its layer")
