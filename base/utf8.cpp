#include "base/utf8.h"

size_t Utf8SequenceLength(const char* text) {
  const unsigned char* p = (const unsigned char*)text;
  if (p[0] == 0) return 0;
  if (p[0] < 0x80) return 1;
  // The lead byte gives the length and the smallest and largest value the
  // second byte may hold; this keeps out overlong forms, surrogates
  // (U+D800..U+DFFF) and values above U+10FFFF.
  size_t length;
  unsigned char low = 0x80, high = 0xBF;
  if (p[0] >= 0xC2 && p[0] <= 0xDF) {
    length = 2;
  } else if (p[0] >= 0xE0 && p[0] <= 0xEF) {
    length = 3;
    if (p[0] == 0xE0) low = 0xA0;
    if (p[0] == 0xED) high = 0x9F;
  } else if (p[0] >= 0xF0 && p[0] <= 0xF4) {
    length = 4;
    if (p[0] == 0xF0) low = 0x90;
    if (p[0] == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (p[1] < low || p[1] > high) return 0;
  for (size_t i = 2; i < length; ++i) {
    if (p[i] < 0x80 || p[i] > 0xBF) return 0;
  }
  return length;
}

bool IsValidUtf8(const char* text) {
  while (*text) {
    size_t length = Utf8SequenceLength(text);
    if (length == 0) return false;
    text += length;
  }
  return true;
}

bool IsPlainAscii(const char* text) {
  for (; *text; ++text) {
    if ((unsigned char)*text >= 0x80) return false;
  }
  return true;
}

size_t Utf8ToUtf16(const char* text, Utf16Unit* out, size_t outUnits) {
  if (outUnits == 0) return (size_t)-1;
  // The lead byte's own bits by sequence length; six more per continuation.
  static const unsigned char kLeadMask[5] = {0, 0x7F, 0x1F, 0x0F, 0x07};
  size_t units = 0;
  for (const char* p = text; *p;) {
    size_t length = Utf8SequenceLength(p);
    unsigned long value = (unsigned char)p[0] & kLeadMask[length];
    for (size_t i = 1; i < length; ++i) value = value << 6 | ((unsigned char)p[i] & 0x3F);
    size_t need = value > 0xFFFF ? 2 : 1;
    if (length == 0 || units + need >= outUnits) {
      out[0] = 0;
      return (size_t)-1;
    }
    p += length;
    if (need == 2) {
      value -= 0x10000;
      out[units++] = (Utf16Unit)(0xD800 | value >> 10);
      out[units++] = (Utf16Unit)(0xDC00 | (value & 0x3FF));
    } else {
      out[units++] = (Utf16Unit)value;
    }
  }
  out[units] = 0;
  return units;
}

Utf16Unit* CopyUtf16(Utf16Unit* to, const Utf16Unit* text) {
  while ((*to = *text++) != 0) ++to;
  return to;
}
