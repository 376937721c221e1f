#include "extractor/locate.h"

#include "base/layout.h"
#include "extractor/errors.h"

const RaisedPattern kMetaMarker = {{'[' + 1, 'V' + 1, 'Q' + 1, ']' + 1}};
const RaisedPattern kLocalHeader = {{'P' + 1, 'K' + 1, 3 + 1, 4 + 1}};

static const uint32_t FIND_BLOCK_SIZE = 16384;

static unsigned char gFindBlock[FIND_BLOCK_SIZE];

FindResult FindPattern(ReadAtFunction read, void* context, uint32_t from, uint32_t last,
                       const RaisedPattern* pattern, uint32_t* at) {
  const unsigned char* want = pattern->bytes;
  uint32_t position = from;
  while (position <= last) {
    // Enough for every start up to `last`, whose match runs three further.
    uint32_t size = last - position < FIND_BLOCK_SIZE - 3 ? last - position + 4 : FIND_BLOCK_SIZE;
    uint32_t got = 0;
    SourceStatus status = read(context, position, gFindBlock, size, &got);
    if (status == SOURCE_SEEK_FAILED) return FIND_SEEK_FAILED;
    if (status != SOURCE_OK) return FIND_READ_FAILED;
    for (uint32_t i = 0; i + 4 <= got && position + i <= last; ++i) {
      if ((unsigned char)(gFindBlock[i] + 1) == want[0] &&
          (unsigned char)(gFindBlock[i + 1] + 1) == want[1] &&
          (unsigned char)(gFindBlock[i + 2] + 1) == want[2] &&
          (unsigned char)(gFindBlock[i + 3] + 1) == want[3]) {
        *at = position + i;
        return FIND_FOUND;
      }
    }
    if (got < size) return FIND_NOT_FOUND;  // the file ends here
    position += got - 3;  // the last three bytes may start a match across blocks
  }
  return FIND_NOT_FOUND;
}

StubError LocatePackedParts(ReadAtFunction read, void* context, uint32_t* marker, uint32_t* archive) {
  // Indexed by FindResult.
  static const StubError kMarkerErrors[] = {STUB_ERROR_NONE, STUB_ERROR_MARKER_NOT_FOUND,
                                            STUB_ERROR_MARKER_READ, STUB_ERROR_MARKER_SEEK};
  static const StubError kArchiveErrors[] = {STUB_ERROR_NONE, STUB_ERROR_ARCHIVE_NOT_FOUND,
                                             STUB_ERROR_ARCHIVE_READ, STUB_ERROR_ARCHIVE_SEEK};
  FindResult found = FindPattern(read, context, 0, VQ_STUB_MAX_SIZE, &kMetaMarker, marker);
  if (found != FIND_FOUND) return kMarkerErrors[found];
  found = FindPattern(read, context, *marker + 4, VQ_ARCHIVE_MAX_START, &kLocalHeader, archive);
  return kArchiveErrors[found];
}
