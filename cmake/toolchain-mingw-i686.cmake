# The release build for Windows: a 32-bit console program from Debian's
# mingw-w64 GCC, linked statically so that it needs only the system's DLLs.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(MINGW_TRIPLET i686-w64-mingw32)
set(MINGW_COMPILER_SUFFIX "")
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/i686.cmake)
