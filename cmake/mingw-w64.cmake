# What both mingw-w64 toolchains share (posix threading model): the including file names its
# target as VANTOR_MINGW_TARGET, its processor and the emulator that runs its programs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER   ${VANTOR_MINGW_TARGET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VANTOR_MINGW_TARGET}-g++-posix)
set(CMAKE_RC_COMPILER  ${VANTOR_MINGW_TARGET}-windres)
set(CMAKE_DLLTOOL      ${VANTOR_MINGW_TARGET}-dlltool)
set(CMAKE_FIND_ROOT_PATH /usr/${VANTOR_MINGW_TARGET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
