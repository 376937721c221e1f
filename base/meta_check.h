// The check line of a meta data block (base/layout.h): written by the
// builder, verified by the extractor stub before it uses any value. Pure:
// each program computes the CRC with the zlib it links.
#pragma once

#include <stddef.h>

#include "base/layout.h"

// Writes the check line for the length bytes at block into line (exactly
// VQ_META_CHECK_LINE_LENGTH characters and a terminating zero).
void FormatMetaCheckLine(const char* block, size_t length,
                         char line[VQ_META_CHECK_LINE_LENGTH + 1]);

enum MetaCheck {
  META_CHECK_ABSENT,  // no line starts with VQ_META_CHECK_PREFIX, and the block ends
                      // as an older build's does (its last line the last header
                      // or launch line, see meta_check.cpp)
  META_CHECK_PASSED,  // the block ends with its own check line
  META_CHECK_FAILED,  // a check line is there, but it is not the block's last
                      // text, or its digits are not the CRC of what comes before;
                      // or there is none and the block does not end as an older
                      // build's does (a check line damaged in its key)
};

// Verifies the length bytes at block (from the marker to the archive). The
// last line that starts with VQ_META_CHECK_PREFIX is taken as the check line.
MetaCheck VerifyMetaCheck(const char* block, size_t length);
