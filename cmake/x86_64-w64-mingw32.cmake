# Cross-compiles 64-bit Windows programs with mingw-w64: the test build for hosts that run
# 64-bit programs only. The shipped program is the 32-bit build.
set(VANTOR_MINGW_TARGET x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
# The 64-bit loader itself: Debian's "wine" starts the 32-bit one whenever wine32 is installed.
# ctest runs each test program through run-test-program.sh, which says how a failed one ended.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/run-test-program.sh
    ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine64/wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
