# MinGW-w64 (POSIX threads) cross toolchain for 64-bit Windows; programs run under Wine's 64-bit loader.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QX_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${QX_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QX_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${QX_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${QX_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# The loader is chosen by scripts/wine-env.sh, never by Debian's `wine` wrapper.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
