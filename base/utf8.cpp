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
