# Cross-compiles the 32-bit Windows program on Debian with MinGW-w64 (posix threads).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)

# Dependencies built for the cross target are installed under QM_DEPS_PREFIX.
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32 ${QM_DEPS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Try-compiles must see the deps prefix as well.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QM_DEPS_PREFIX)
