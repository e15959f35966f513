# What every 32-bit Windows build compiles with. IEEE double arithmetic, as
# on every other build: SSE2 rather than the x87 unit's extended precision
# (every PC that runs Windows 8 or later has SSE2).
string(APPEND CMAKE_CXX_FLAGS_INIT " -msse2 -mfpmath=sse")
