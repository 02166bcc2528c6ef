# The C++ runtime every module of the project shares: libstdc++, libgcc and winpthread as
# DLLs, not linked into each module. With one runtime per module, an exception could not
# travel from one module into another on i686 (DWARF-2 unwinding knows only the frames of
# its own module), and every module would keep a heap and a type table of its own.
#
# QX_RUNTIME_DLLS names the DLLs as qx_copy_runtime() puts them beside the programs of the
# build tree (Windows and Wine find a program's DLLs in its own folder first), stripped of
# their debugging sections: the toolchain's libstdc++ is 23 MB with them and 2 MB without,
# and every program loads it.
set(QX_RUNTIME_DLLS)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(qx_runtime_names libstdc++-6.dll libgcc_s_dw2-1.dll libwinpthread-1.dll)
else()
  set(qx_runtime_names libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
endif()
foreach(name IN LISTS qx_runtime_names)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${name}
                  OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
    message(FATAL_ERROR "The compiler does not know where its ${name} is (${path})")
  endif()
  get_filename_component(path "${path}" REALPATH)
  list(APPEND QX_RUNTIME_DLLS "${path}")
endforeach()

function(qx_copy_runtime destination)
  set(copies)
  foreach(dll IN LISTS QX_RUNTIME_DLLS)
    get_filename_component(name "${dll}" NAME)
    set(copy "${destination}/${name}")
    if(NOT EXISTS "${copy}" OR "${dll}" IS_NEWER_THAN "${copy}")
      file(MAKE_DIRECTORY "${destination}")
      execute_process(COMMAND ${CMAKE_STRIP} --strip-debug -o "${copy}" "${dll}" RESULT_VARIABLE rc)
      if(NOT rc EQUAL 0)
        configure_file("${dll}" "${copy}" COPYONLY)
      endif()
    endif()
    list(APPEND copies "${copy}")
  endforeach()
  set(QX_RUNTIME_DLLS ${copies} PARENT_SCOPE)
endfunction()
