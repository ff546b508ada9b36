# Cross-compiling for 64-bit Windows with mingw-w64 (posix thread model).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KIV_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${KIV_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KIV_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${KIV_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KIV_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The programs must run on a bare Windows: no runtime DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run)
