# Cross build for Windows with the posix-threads mingw-w64 compilers; the
# architecture's toolchain file sets CMAKE_SYSTEM_PROCESSOR first.
set(CMAKE_SYSTEM_NAME Windows)
set(ELK_TRIPLE ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)
set(CMAKE_C_COMPILER   ${ELK_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ELK_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${ELK_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${ELK_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
