# The static analysers as tests: clang-tidy (the checks of .clang-tidy, every finding an
# error) and cppcheck, over the library, the adaptor modules and the service server, from
# this tree's compile_commands.json. A finding that is deliberate is suppressed where it
# stands, with the reason (NOLINT(check) or cppcheck-suppress id).
#
# clang-tidy parses the sources as clang does for x86_64-w64-windows-gnu, with the MinGW
# headers of the cross compiler (found through its driver on the PATH) and the compiler's
# own libstdc++ headers, which clang would not find next to a "-posix" compiler.

set(QX_ANALYSED_FOLDERS platform afx foundation runtime config service editor ui tools/qxserviced)

function(qx_add_static_analysis)
  find_program(QX_RUN_CLANG_TIDY NAMES run-clang-tidy run-clang-tidy-14 REQUIRED)
  find_program(QX_CPPCHECK cppcheck REQUIRED)

  # The compiler's C++ library headers, as its driver lists them.
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -E -x c++ - -v INPUT_FILE /dev/null
                  OUTPUT_QUIET ERROR_VARIABLE driver)
  string(REGEX MATCHALL "\n [^\n]*/include/c\\+\\+[^\n]*" cxx_dirs "${driver}")
  set(tidy_args -extra-arg=--target=x86_64-w64-windows-gnu -extra-arg=-nostdinc++)
  foreach(dir IN LISTS cxx_dirs)
    string(STRIP "${dir}" dir)
    list(APPEND tidy_args -extra-arg=-isystem${dir})
  endforeach()

  set(folders_regex ${QX_ANALYSED_FOLDERS})
  list(JOIN folders_regex "|" folders_regex)
  set(files_regex "^${PROJECT_SOURCE_DIR}/(${folders_regex})/")
  set(cppcheck_filters)
  foreach(folder IN LISTS QX_ANALYSED_FOLDERS)
    list(APPEND cppcheck_filters --file-filter=${PROJECT_SOURCE_DIR}/${folder}/*)
  endforeach()

  add_test(NAME check_clang_tidy
    COMMAND ${QX_RUN_CLANG_TIDY} -p ${PROJECT_BINARY_DIR} -quiet -j 2 ${tidy_args}
            "-header-filter=^${PROJECT_SOURCE_DIR}/(${folders_regex})/" "${files_regex}")
  add_test(NAME check_cppcheck
    COMMAND ${QX_CPPCHECK} --project=${PROJECT_BINARY_DIR}/compile_commands.json ${cppcheck_filters}
            --enable=warning,performance,portability --library=windows --std=c++17
            --inline-suppr --suppress=missingIncludeSystem --error-exitcode=1 --quiet -j 2
            --cppcheck-build-dir=${PROJECT_BINARY_DIR}/cppcheck)
  file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/cppcheck)
  set_tests_properties(check_clang_tidy check_cppcheck PROPERTIES LABELS "host;analysis" TIMEOUT 1800)
endfunction()
