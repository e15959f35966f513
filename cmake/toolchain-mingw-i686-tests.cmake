# The tests of the 32-bit release: the release's code and flags, built with
# the -posix compiler, whose threads GoogleTest and the test runner use. The
# end-to-end tests run the release's own .exe (PRIMESEARCH_PROGRAM); all of
# it runs under the 32-bit Wine (scripts/wine-test --32).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(MINGW_TRIPLET i686-w64-mingw32)
set(MINGW_COMPILER_SUFFIX -posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/i686.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-test --32)
