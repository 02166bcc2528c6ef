# Compares the export tables of one module built for two targets, name by name after
# undecoration: the same functions and classes on both, nothing missing, nothing extra.
# Needs only the two built modules and binutils, so it runs where the programs cannot.
#   cmake -DQX_OBJDUMP=<objdump> -DQX_CXXFILT=<c++filt> -DQX_MODULE=<dll>
#         -DQX_PEER_OBJDUMP=<the other target's objdump>
#         -DQX_PEER_MODULE=<the same dll of the other tree> -P cmake/CompareExports.cmake
cmake_policy(VERSION 3.20)
foreach(var QX_OBJDUMP QX_CXXFILT QX_MODULE QX_PEER_OBJDUMP QX_PEER_MODULE)
  if(NOT ${var})
    message(FATAL_ERROR "${var} is not set")
  endif()
endforeach()
if(NOT EXISTS "${QX_PEER_MODULE}")
  # The marker that the test's SKIP_REGULAR_EXPRESSION looks for.
  message("QX-SKIP: no peer module to compare with: ${QX_PEER_MODULE} (build the other tree)")
  return()
endif()

# The exported names of a module, undecorated and brought to one form for both targets.
function(qx_exported_names objdump module out)
  execute_process(COMMAND ${objdump} -p ${module} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${objdump} -p ${module} failed")
  endif()
  set(header "[Ordinal/Name Pointer] Table\n")
  string(FIND "${dump}" "${header}" at)
  if(at LESS 0)
    message(FATAL_ERROR "${module} has no export table")
  endif()
  string(LENGTH "${header}" skip)
  math(EXPR at "${at} + ${skip}")
  string(SUBSTRING "${dump}" ${at} -1 dump)
  string(REGEX MATCH "^([ \t]*\\[ *[0-9]+\\] [^\n]+\n)+" table "${dump}")
  # One name a line, without the ordinals ("\t[  12] name"): brackets confuse CMake's lists.
  # __stdcall names carry their argument bytes on i686 only ("@16"); the calling convention
  # itself is checked at compile time.
  string(REGEX REPLACE "[ \t]*\\[ *[0-9]+\\] ([^\n@]+)(@[0-9]+)?" "\\1" mangled "${table}")
  # A scratch file of its own per module: the tests of several modules run side by side.
  string(MD5 id "${module}")
  set(scratch ${CMAKE_CURRENT_BINARY_DIR}/exports-${id}.txt)
  file(WRITE ${scratch} "${mangled}")
  # -n: the export table holds the names as they are, without the i686 symbol prefix "_".
  execute_process(COMMAND ${QX_CXXFILT} -n INPUT_FILE ${scratch}
                  OUTPUT_VARIABLE plain RESULT_VARIABLE rc)
  file(REMOVE ${scratch})
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${QX_CXXFILT} failed")
  endif()
  # Pointer-sized integers (size_t, WPARAM, LPARAM, LONG_PTR) are 32-bit types on i686 and
  # 64-bit ones on x86_64: each pair is one name here.
  string(REPLACE "unsigned long long" "UINT_PTR" plain "${plain}")
  string(REPLACE "unsigned int" "UINT_PTR" plain "${plain}")
  string(REPLACE "long long" "LONG_PTR" plain "${plain}")
  string(REGEX REPLACE "([(, ])long([,)])" "\\1LONG_PTR\\2" plain "${plain}")
  string(REGEX REPLACE "([(, ])long([,)])" "\\1LONG_PTR\\2" plain "${plain}")
  string(REPLACE ";" "<semicolon>" plain "${plain}")
  string(REGEX REPLACE "\n$" "" plain "${plain}")
  string(REPLACE "\n" ";" plain "${plain}")
  list(SORT plain)
  set(${out} "${plain}" PARENT_SCOPE)
endfunction()

qx_exported_names(${QX_OBJDUMP} ${QX_MODULE} ours)
qx_exported_names(${QX_PEER_OBJDUMP} ${QX_PEER_MODULE} theirs)
set(only_ours ${ours})
list(REMOVE_ITEM only_ours ${theirs})
set(only_theirs ${theirs})
list(REMOVE_ITEM only_theirs ${ours})
list(LENGTH ours count)
get_filename_component(name ${QX_MODULE} NAME)
if(only_ours OR only_theirs)
  list(JOIN only_ours "\n  " a)
  list(JOIN only_theirs "\n  " b)
  message(FATAL_ERROR "${name}: the export tables differ\n"
    "only in ${QX_MODULE}:\n  ${a}\nonly in ${QX_PEER_MODULE}:\n  ${b}")
endif()
message(STATUS "${name}: the same ${count} exports as ${QX_PEER_MODULE}")
