# zlib, minizip and GoogleTest, compiled from the sources that the setup
# script installs (scripts/setup.sh). Nothing of them lives in this tree.
set(VQ_ZLIB_SRC "/opt/varnoquist-deps/zlib-1.2.13" CACHE PATH "zlib source tree (with contrib/minizip)")
set(VQ_GTEST_SRC "/usr/src/googletest" CACHE PATH "GoogleTest sources")

if(NOT EXISTS "${VQ_ZLIB_SRC}/contrib/minizip/zip.c")
  message(FATAL_ERROR "zlib sources not found in ${VQ_ZLIB_SRC}: run scripts/setup.sh")
endif()

set(VQ_MINIZIP_DIR "${VQ_ZLIB_SRC}/contrib/minizip")

if(WIN32)
  # Size matters for the extractor stub: -Os, sections for --gc-sections, no
  # unwind tables, and the CRC table computed at run time instead of stored.
  set(VQ_SMALL_C_FLAGS -Os -fno-asynchronous-unwind-tables -ffunction-sections -fdata-sections)
  set(_zsrc adler32.c compress.c crc32.c deflate.c infback.c inffast.c inflate.c
    inftrees.c trees.c uncompr.c zutil.c)
  list(TRANSFORM _zsrc PREPEND "${VQ_ZLIB_SRC}/")
  add_library(vq_zlib STATIC ${_zsrc})
  target_include_directories(vq_zlib SYSTEM PUBLIC "${VQ_ZLIB_SRC}")
  target_compile_definitions(vq_zlib PRIVATE DYNAMIC_CRC_TABLE)
  target_compile_options(vq_zlib PRIVATE ${VQ_SMALL_C_FLAGS} -w)
  add_library(ZLIB::ZLIB ALIAS vq_zlib)
else()
  find_package(ZLIB REQUIRED)
endif()

# zlib's own contrib/minizip: its crypt.h reads the CRC table as z_crc_t, which
# keeps traditional encryption right on 64-bit hosts.
# Its unzip.c switches decryption off unconditionally (it defines NOUNCRYPT
# itself); the extractor needs it, so the build compiles a copy without that
# one definition.
file(READ "${VQ_MINIZIP_DIR}/unzip.c" _unzip)
string(REPLACE "#ifndef NOUNCRYPT\n        #define NOUNCRYPT\n#endif" "" _unzip_crypt "${_unzip}")
if(_unzip_crypt STREQUAL _unzip)
  message(FATAL_ERROR "minizip's unzip.c no longer has the NOUNCRYPT switch this build removes")
endif()
# AE-2 entries carry method 99, which the reader's local header check refuses
# even for a raw open; the stub opens them raw and decrypts them itself
# (extractor/aes_entry.cpp).
set(_methods_checked "(s->cur_file_info.compression_method!=Z_DEFLATED))\n        err=UNZ_BADZIPFILE;")
string(REPLACE "${_methods_checked}"
  "(s->cur_file_info.compression_method!=Z_DEFLATED) && (s->cur_file_info.compression_method!=99))\n        err=UNZ_BADZIPFILE;"
  _unzip_aes "${_unzip_crypt}")
if(_unzip_aes STREQUAL _unzip_crypt)
  message(FATAL_ERROR "minizip's unzip.c no longer checks the local header's method as this build expects")
endif()
file(WRITE "${CMAKE_BINARY_DIR}/deps/unzip.c" "${_unzip_aes}")
# Its zip.c takes methods 0 and 8 only. AE-2 entries (services/zip_aes.h)
# carry 99 in both headers; the builder writes them raw, encrypted already,
# so the copy lets 99 through for raw entries and changes nothing else.
file(READ "${VQ_MINIZIP_DIR}/zip.c" _zip)
string(REPLACE "#else\n    if ((method!=0) && (method!=Z_DEFLATED))\n"
  "#else\n    if ((method!=0) && (method!=Z_DEFLATED) && (method!=99 || !raw))\n" _zip_aes "${_zip}")
if(_zip_aes STREQUAL _zip)
  message(FATAL_ERROR "minizip's zip.c no longer checks the method as this build expects")
endif()
file(WRITE "${CMAKE_BINARY_DIR}/deps/zip.c" "${_zip_aes}")
add_library(vq_minizip STATIC
  "${CMAKE_BINARY_DIR}/deps/zip.c" "${CMAKE_BINARY_DIR}/deps/unzip.c" "${VQ_MINIZIP_DIR}/ioapi.c")
target_include_directories(vq_minizip SYSTEM PUBLIC "${VQ_MINIZIP_DIR}")
target_link_libraries(vq_minizip PUBLIC ZLIB::ZLIB)
if(WIN32)
  target_compile_options(vq_minizip PRIVATE ${VQ_SMALL_C_FLAGS} -w)
else()
  target_compile_options(vq_minizip PRIVATE -w)
  target_compile_definitions(vq_minizip PRIVATE _LARGEFILE64_SOURCE)
endif()

if(VQ_BUILD_TESTS)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  add_subdirectory("${VQ_GTEST_SRC}" "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL)
endif()
