# Shared by the two MinGW-w64 toolchain files, which set QM_MINGW_TRIPLE and
# CMAKE_SYSTEM_PROCESSOR first (posix threads, for std::thread and GoogleTest).
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${QM_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QM_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QM_MINGW_TRIPLE}-windres)

# Dependencies built for the cross target are installed under QM_DEPS_PREFIX.
set(CMAKE_FIND_ROOT_PATH /usr/${QM_MINGW_TRIPLE} ${QM_DEPS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Try-compiles must see the deps prefix as well.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QM_DEPS_PREFIX)
