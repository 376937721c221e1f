// Finding the pieces of a packed executable in its own file: the meta data
// marker and the archive's first local header. Portable: the stub passes a
// reader over its file, the tests one over a buffer.
#pragma once

#include <stdint.h>

#include "extractor/errors.h"

enum SourceStatus { SOURCE_OK, SOURCE_READ_FAILED, SOURCE_SEEK_FAILED };

// Reads up to size bytes at offset into buffer; *got receives the count
// (less than size only at the end of the file).
// Returns SOURCE_OK, SOURCE_SEEK_FAILED when the position cannot be set, or
// SOURCE_READ_FAILED when the read fails.
typedef SourceStatus (*ReadAtFunction)(void* context, uint32_t offset, unsigned char* buffer,
                                       uint32_t size, uint32_t* got);

enum FindResult { FIND_FOUND, FIND_NOT_FOUND, FIND_READ_FAILED, FIND_SEEK_FAILED };

// Four bytes to look for, each stored raised by one: the stub must never
// hold the meta data marker whole, not even as a constant.
struct RaisedPattern {
  unsigned char bytes[4];
};
extern const RaisedPattern kMetaMarker;   // "[VQ]"
extern const RaisedPattern kLocalHeader;  // "PK" 3 4

// The first offset p with from <= p <= last at which the file holds all four
// bytes of pattern, read in blocks. Returns FIND_FOUND (*at = p),
// FIND_NOT_FOUND (no such p, the end of the file included), or
// FIND_READ_FAILED / FIND_SEEK_FAILED when the reader failed.
FindResult FindPattern(ReadAtFunction read, void* context, uint32_t from, uint32_t last,
                       const RaisedPattern* pattern, uint32_t* at);

// Where the pieces of a packed executable start: the first marker at or
// before VQ_STUB_MAX_SIZE, then the first local header behind the marker's
// four bytes at or before VQ_ARCHIVE_MAX_START. Returns STUB_ERROR_NONE with
// *marker and *archive set, or the error the search ends in (the marker's or
// the archive's read, seek or not-found error).
StubError LocatePackedParts(ReadAtFunction read, void* context, uint32_t* marker, uint32_t* archive);
