// The packed executable, shared by the builder (which writes it) and the
// extractor stub (which reads its own file).
//
//   offset 0       +-------------------------------------+
//                  | extractor stub image                |  the stub's size, at most 60000 bytes;
//                  |   icon resource 1 = user's icon     |  no "[VQ]" anywhere inside it
//   stub size      +-------------------------------------+ <- M: first "[VQ]" in the file
//                  | meta data header, LF line ends      |  [VQ] / ExtractionPath= / ZipSize=
//                  |                                     |  UnZipSize= / ProgressBar= /
//                  |                                     |  DeleteFiles= / Password= / Overwrite=
//                  | launch-entry text, CR line ends     |  ExecFile<i>= / CmdLine<i>= / WinState<i>=
//                  |   (absent with no launch entries)   |  for i = 0 .. at most 63
//                  | check line, CR line end             |  Check=XXXXXXXX
//                  +-------------------------------------+ <- A: first "PK\3\4" behind M + 4
//                  | zip archive, byte for byte as built |  ZipSize bytes; its offsets count from A
//                  | in its own temporary file           |
//   end of file    +-------------------------------------+  end-of-central-directory record
//
// No padding, length fields or trailer between the pieces. The stub reads the
// block M..A through the profile services (section "VQ"), which take LF and
// CR alike as line ends. Its values are UTF-8 when it ends with the check
// line; a block without one is read as before only when it ends as an older
// build's did, with its Overwrite= line or its last WinState<i>= line.
#pragma once

#include "base/names.h"

// The one icon kind a build accepts, 32x32 in 256 colours, is a file of
// this many bytes.
#define VQ_ICON_FILE_BYTES 2238
// A number such as the one above as text, for messages built at compile time.
#define VQ_TEXT_OF(number) VQ_TEXT_OF_(number)
#define VQ_TEXT_OF_(number) #number

enum {
  VQ_STUB_MAX_SIZE = 60000,        // the marker search gives up behind this offset
  VQ_ARCHIVE_MAX_START = 800004,   // the archive search gives up behind this offset
  VQ_STUB_ICON_FILE_SIZE = VQ_ICON_FILE_BYTES,
  VQ_STUB_ICON_IMAGE_SIZE = 2216,  // its image (bitmap header, colours, pixels, mask)
  VQ_STUB_ICON_IMAGE_OFFSET = 22,  // where that image starts in the icon file
  VQ_COPY_PIECE_SIZE = 5120000,    // archive copy and source reads go in pieces this big
};

// The meta data header. Only the builder formats it; the stub must never hold
// the marker's four bytes whole, so it does not use this text.
#define VQ_META_HEADER_FORMAT                                                          \
  "[" VQ_META_SECTION "]\n" VQ_META_EXTRACTION_PATH "=%s\n" VQ_META_ZIP_SIZE "=%d\n"       \
  VQ_META_UNZIP_SIZE "=%d\n" VQ_META_PROGRESS_BAR "=%d\n" VQ_META_DELETE_FILES "=%d\n"     \
  VQ_META_PASSWORD "=%d\n" VQ_META_OVERWRITE "=%d\n"

// The check line that ends the meta data block: VQ_META_CHECK_PREFIX, the
// CRC-32 (zlib's crc32) of every byte before the line (from the "[" of the
// header up to and including the line end in front of the key) as
// VQ_META_CHECK_DIGITS upper-case hexadecimal digits, and a CR, as the
// launch lines end. Neither digits, "=" nor CR can complete the marker or
// the archive's signature, so both searches still find what they did.
// base/meta_check.h writes and verifies it.
#define VQ_META_CHECK_PREFIX VQ_META_CHECK "="
enum {
  VQ_META_CHECK_DIGITS = 8,
  VQ_META_CHECK_LINE_LENGTH = sizeof VQ_META_CHECK_PREFIX - 1 + VQ_META_CHECK_DIGITS + 1,
};
