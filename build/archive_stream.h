// The archive's file as the zip library writes it: through a buffer of its
// own that seeking within does not flush. The library seeks back to every
// entry's local header to fill in its CRC and sizes; through stdio each of
// those seeks cost a write and a seek of the file, more than deflating a
// small file takes.
#pragma once

#include <stdint.h>
#include <stdio.h>

#include "ioapi.h"

struct ArchiveStream;

// Takes over an open file (created, or opened for reading and writing).
// nullptr when out of memory; the file is closed then.
ArchiveStream* WrapArchiveFile(FILE* file);

// How far the archive has got: buffered bytes count as written.
uint64_t ArchiveStreamSize(const ArchiveStream* stream);

// The zip library's file functions over a wrapped stream, all but opening.
// Writes are all-or-nothing; a failed write or flush makes the error
// function report and closing fail.
void SetArchiveStreamFunctions(zlib_filefunc64_def* functions);
