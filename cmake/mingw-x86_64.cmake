# Cross-compiles for 64-bit Windows with Debian's mingw-w64 x86_64 compilers:
# the Windows tests on machines that run 64-bit code only.
set(VQ_MINGW_ARCH x86_64)
include("${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake")
