# Cross-compiles the 32-bit Windows program (the product) on Debian with MinGW-w64.
set(QM_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
