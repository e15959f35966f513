# The release build for Windows: a 32-bit console program from Debian's
# mingw-w64 GCC, linked statically so that it needs only the system's DLLs.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(MINGW_TRIPLET i686-w64-mingw32)
set(MINGW_COMPILER_SUFFIX "")
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
# IEEE double arithmetic, as on every other build: SSE2 rather than the x87
# unit's extended precision (every PC that runs Windows 8 or later has SSE2).
string(APPEND CMAKE_CXX_FLAGS_INIT " -msse2 -mfpmath=sse")
