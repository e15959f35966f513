# What both Windows cross builds share: Debian's mingw-w64 GCC for
# MINGW_TRIPLET (with MINGW_COMPILER_SUFFIX, e.g. -posix), a static link so
# that the program needs only the system's DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${MINGW_TRIPLET}-gcc${MINGW_COMPILER_SUFFIX})
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLET}-g++${MINGW_COMPILER_SUFFIX})
set(CMAKE_RC_COMPILER ${MINGW_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# A 64-bit time_t on 32-bit Windows too (msvcrt's _time64 and _localtime64),
# so that the stamps and elapsed times are right past 2038.
set(CMAKE_CXX_FLAGS_INIT "-D__MINGW_USE_VC2005_COMPAT")
