# Cross-compiles 32-bit Windows programs with mingw-w64: the shipped build.
set(VANTOR_MINGW_TARGET i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR i686)
# ctest runs each test program through this, which says how a failed one ended.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/run-test-program.sh wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
