# Cross-compiles for 32-bit Windows with Debian's mingw-w64 i686 compilers:
# the shipped programs.
set(VQ_MINGW_ARCH i686)
include("${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake")
