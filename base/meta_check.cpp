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

// An older build ends its block with its last header line, VQ_META_OVERWRITE
// "=" and a number, LF-ended, or with its last launch line, VQ_KEY_WIN_STATE
// and the entry's number, "=" and a window state, CR-ended. A check line
// damaged in its key starts a line with no such key; damaged in the line end
// in front of it, it leaves a second "=" on the line before.
static bool EndsAsOlderBlock(const char* block, size_t length) {
  if (length == 0 || (block[length - 1] != '\n' && block[length - 1] != '\r')) return false;
  const char* end = block + length - 1;
  const char* at = end;
  while (at > block && at[-1] != '\n' && at[-1] != '\r') --at;
  // The last line's shape: '#' one or more digits, '-' an optional minus
  // (printf's %d), '*' any text without "=", other characters themselves.
  for (const char* shape = *end == '\n' ? VQ_META_OVERWRITE "=-#" : VQ_KEY_WIN_STATE "#=*";
       *shape; ++shape) {
    if (*shape == '*') {  // a plain loop: one import less for the stub
      while (at < end && *at != '=') ++at;
      return at == end;
    }
    if (*shape == '-') {
      at += at < end && *at == '-';
    } else if (*shape == '#') {
      const char* digits = at;
      while (at < end && *at >= '0' && *at <= '9') ++at;
      if (at == digits) return false;
    } else if (at == end || *at++ != *shape) {
      return false;
    }
  }
  return at == end;
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
  return EndsAsOlderBlock(block, length) ? META_CHECK_ABSENT : META_CHECK_FAILED;
}
