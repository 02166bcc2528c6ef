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
