# The options every target of the project takes, on one INTERFACE target (qx_options) that
# each target links, instead of directory-wide flags: a host that adds the project with
# add_subdirectory keeps its own flags, and GoogleTest keeps its own.
#   QX_WARNINGS_AS_ERRORS  every warning stops the build (scripts/test.sh turns it on)
option(QX_WARNINGS_AS_ERRORS "Treat compiler warnings as errors" OFF)

add_library(qx_options INTERFACE)
target_compile_features(qx_options INTERFACE cxx_std_17)
target_compile_options(qx_options INTERFACE $<$<COMPILE_LANGUAGE:C,CXX>:-Wall -Wextra>)
if(QX_WARNINGS_AS_ERRORS)
  target_compile_options(qx_options INTERFACE $<$<COMPILE_LANGUAGE:C,CXX>:-Werror>)
endif()
# QX_WINSOCK: the project's own modules take Winsock 2 with <windows.h> (platform/QxWin.h).
target_compile_definitions(qx_options INTERFACE UNICODE _UNICODE QX_WINSOCK)

#   QX_CHECKED  the checked build: undefined behaviour traps (an illegal instruction ends the
#               program at once; MinGW has no sanitizer runtime, and the trap needs none)
#               and the standard library's own assertions (bounds of operator[], front(),
#               back() and the like). On every target of the project, tests included.
option(QX_CHECKED "Trap undefined behaviour and check the standard library's preconditions" OFF)
if(QX_CHECKED)
  set(qx_checked_flags -fsanitize=undefined -fsanitize-undefined-trap-on-error)
  target_compile_options(qx_options INTERFACE $<$<COMPILE_LANGUAGE:C,CXX>:${qx_checked_flags}>)
  target_link_options(qx_options INTERFACE ${qx_checked_flags})
  target_compile_definitions(qx_options INTERFACE _GLIBCXX_ASSERTIONS)
endif()
