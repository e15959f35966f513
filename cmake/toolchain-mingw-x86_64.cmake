# The same program for 64-bit Windows, the one the 64-bit Wine here runs, so
# the tests build with it too: the -posix compiler, whose threads GoogleTest
# and the test runner use. Tests run under Wine (scripts/wine-test).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_TRIPLET x86_64-w64-mingw32)
set(MINGW_COMPILER_SUFFIX -posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-test)
