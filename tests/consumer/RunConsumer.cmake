# The consumer test: installs the build tree, builds tests/consumer against the install
# tree with find_package, and runs the host program under the emulator.
#   cmake -DQX_BUILD_DIR=... -DQX_SOURCE_DIR=... -DQX_TOOLCHAIN=... -DQX_EMULATOR=... -P RunConsumer.cmake
cmake_policy(VERSION 3.21)
set(work ${QX_BUILD_DIR}/consumer-test)
file(REMOVE_RECURSE ${work})

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed (${rc}): ${ARGN}\n${out}\n${err}")
  endif()
  set(run_output "${out}" PARENT_SCOPE)
endfunction()

run(${CMAKE_COMMAND} --install ${QX_BUILD_DIR} --prefix ${work}/install)
run(${CMAKE_COMMAND} -S ${QX_SOURCE_DIR}/tests/consumer -B ${work}/build
    -DCMAKE_TOOLCHAIN_FILE=${QX_TOOLCHAIN} -DCMAKE_PREFIX_PATH=${work}/install -DCMAKE_BUILD_TYPE=Release)
run(${CMAKE_COMMAND} --build ${work}/build)
run(${QX_EMULATOR} ${work}/build/qxconsumer.exe "Z:${work}/install/share/QxQVInfo320U/demo")
string(REPLACE "\r" "" output "${run_output}")
foreach(expected "environment: Demo (SQLite)" "environment: Local service server"
                 "tip: bool Load(long customerId)\nReads the row with this key")
  string(FIND "${output}" "${expected}" at)
  if(at LESS 0)
    message(FATAL_ERROR "the host program did not print \"${expected}\":\n${output}")
  endif()
endforeach()
message(STATUS "The host built against the install tree runs:\n${output}")
