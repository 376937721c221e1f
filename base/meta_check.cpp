#include "base/meta_check.h"

#include <string.h>

#include "zlib.h"

void FormatMetaCheckLine(const char* block, size_t length,
                         char line[VQ_META_CHECK_LINE_LENGTH + 1]) {
  // One call per block: a meta data block stays far below crc32's 4 GB.
  unsigned long crc = crc32(0L, (const Bytef*)block, (uInt)length);
  const size_t prefix = sizeof VQ_META_CHECK_PREFIX - 1;
  memcpy(line, VQ_META_CHECK_PREFIX, prefix);
  for (int i = 0; i < VQ_META_CHECK_DIGITS; ++i) {
    line[prefix + i] = "0123456789ABCDEF"[(crc >> (4 * (VQ_META_CHECK_DIGITS - 1 - i))) & 0xF];
  }
  line[VQ_META_CHECK_LINE_LENGTH - 1] = '\r';
  line[VQ_META_CHECK_LINE_LENGTH] = '\0';
}

MetaCheck VerifyMetaCheck(const char* block, size_t length) {
  const size_t prefix = sizeof VQ_META_CHECK_PREFIX - 1;
  for (size_t at = length >= prefix ? length - prefix : 0; at > 0; --at) {
    if ((block[at - 1] != '\n' && block[at - 1] != '\r') ||
        memcmp(block + at, VQ_META_CHECK_PREFIX, prefix) != 0) {
      continue;
    }
    char line[VQ_META_CHECK_LINE_LENGTH + 1];
    FormatMetaCheckLine(block, at, line);
    bool whole = length - at == VQ_META_CHECK_LINE_LENGTH &&
                 memcmp(block + at, line, VQ_META_CHECK_LINE_LENGTH) == 0;
    return whole ? META_CHECK_PASSED : META_CHECK_FAILED;
  }
  return META_CHECK_ABSENT;
}
