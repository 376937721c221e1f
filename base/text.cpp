#include "base/text.h"

#include <string.h>

bool CopyText(char* out, size_t outSize, const char* src) {
  if (outSize == 0) return false;
  size_t n = strnlen(src, outSize);
  bool fits = n < outSize;
  if (!fits) n = outSize - 1;
  memcpy(out, src, n);
  out[n] = '\0';
  return fits;
}

bool AppendText(char* out, size_t outSize, const char* src) {
  size_t used = strnlen(out, outSize);
  if (used >= outSize) return false;
  return CopyText(out + used, outSize - used, src);
}

char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? (char)(c - 'a' + 'A') : c; }

bool EqualIgnoringCase(const char* a, const char* b, size_t n) {
  for (size_t i = 0; i < n; i++) {
    if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
    if (a[i] == '\0') return true;
  }
  return true;
}

bool AddTrailingBackslash(char* out, size_t outSize) {
  size_t length = strnlen(out, outSize);
  if (length == 0 || out[length - 1] == '\\') return true;
  if (length + 1 >= outSize) return false;
  out[length] = '\\';
  out[length + 1] = '\0';
  return true;
}

// strrchr(path, '\\'), written out: the stub links this file, and an
// imported function stays in its import table even where nothing calls it.
static const char* LastBackslash(const char* path) {
  const char* last = nullptr;
  for (; *path; ++path)
    if (*path == '\\') last = path;
  return last;
}

bool FolderOfPath(const char* path, char* out, size_t outSize) {
  if (outSize == 0) return false;
  const char* slash = LastBackslash(path);
  size_t length = slash ? (size_t)(slash - path) + 1 : 0;
  bool fits = length < outSize;
  if (!fits) length = outSize - 1;
  memcpy(out, path, length);
  out[length] = '\0';
  return fits;
}

bool NormalisePath(const char* text, char* out, size_t outSize) {
  if (outSize == 0) return false;
  // Only a text that came with two backslashes counts as a network path.
  bool network = text[0] == '\\' && text[1] == '\\';
  size_t n = 0;
  bool fits = true;
  // Writes one character, doubled backslashes of a network path included.
  auto put = [&](char c) {
    size_t copies = network && c == '\\' ? 2 : 1;
    if (n + copies >= outSize) {  // a doubled backslash goes in whole or not at all
      fits = false;
      return;
    }
    for (size_t i = 0; i < copies; i++) out[n++] = c;
  };
  for (size_t i = 0; text[i] && fits; i++) {
    char c = text[i] == '/' ? '\\' : text[i];
    if (c == '\\') {
      char following = text[i + 1] == '/' ? '\\' : text[i + 1];
      if (following == '\\') i++;  // a pair collapses; the scan goes on behind it
    }
    put(c);
  }
  out[n] = '\0';
  return fits;
}

bool ForceExtension(const char* path, const char* extension, char* out, size_t outSize) {
  const char* slash = LastBackslash(path);
  const char* name = slash ? slash + 1 : path;
  const char* dot = strchr(name, '.');
  size_t keep = dot ? (size_t)(dot - path) : strlen(path);
  if (outSize == 0) return false;
  bool fits = keep < outSize;
  if (!fits) keep = outSize - 1;
  memcpy(out, path, keep);
  out[keep] = '\0';
  return AppendText(out, outSize, extension) && fits;
}

bool IsTrimmedSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\r';
}

bool TrimText(const char* text, char* out, size_t outSize) {
  while (IsTrimmedSpace(*text)) text++;
  size_t n = strlen(text);
  while (n > 0 && IsTrimmedSpace(text[n - 1])) n--;
  if (outSize == 0) return false;
  bool fits = n < outSize;
  if (!fits) n = outSize - 1;
  memcpy(out, text, n);
  out[n] = '\0';
  return fits;
}

bool IsBlankText(const char* text) {
  while (IsTrimmedSpace(*text)) text++;
  return *text == '\0';
}

static bool IsTailSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

const char* CommandTailOf(const char* commandLine) {
  const char* p = commandLine;
  while (*p && *p != ' ') {
    if (*p == '"') {
      const char* close = strchr(p + 1, '"');
      p = close ? close + 1 : p + strlen(p);
    } else {
      p++;
    }
  }
  while (IsTailSpace(*p)) p++;
  return p;
}

uint32_t ProgressPosition32(uint32_t done, uint32_t total) {
  if (total == 0) return 100;
  if (total >= 100) return done / (total / 100);
  // done * 100 / total in two parts: the whole multiples of total, then the
  // rest, whose hundredfold stays below 10000.
  uint32_t whole = done / total, rest = done % total * 100 / total;
  return whole > (0xFFFFFFFFu - rest) / 100 ? 0xFFFFFFFFu : whole * 100 + rest;
}
