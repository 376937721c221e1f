// The extractor stub's own copies of the pure text services of shell/paths.h
// and shell/cmdline.h, under the same contracts. The stub cannot link the
// shell's library, which brings the platform layer and the project file with
// it; the tests hold both copies to the same cases.
#include <string.h>

#include "shell/cmdline.h"
#include "shell/paths.h"

bool CopyText(char* out, size_t outSize, const char* src) {
  if (outSize == 0) return false;
  size_t n = 0;
  while (src[n] && n + 1 < outSize) {
    out[n] = src[n];
    ++n;
  }
  out[n] = 0;
  return src[n] == 0;
}

bool AppendText(char* out, size_t outSize, const char* src) {
  size_t used = strnlen(out, outSize);
  if (used >= outSize) return false;
  return CopyText(out + used, outSize - used, src);
}

bool NormalisePath(const char* text, char* out, size_t outSize) {
  if (outSize == 0) return false;
  bool network = text[0] == '\\' && text[1] == '\\';
  size_t n = 0;
  for (size_t i = 0; text[i]; ++i) {
    char c = text[i] == '/' ? '\\' : text[i];
    int copies = 1;
    if (c == '\\') {
      if (text[i + 1] == '\\' || text[i + 1] == '/') ++i;  // a pair collapses
      if (network) copies = 2;
    }
    while (copies-- > 0) {
      if (n + 1 >= outSize) {
        out[n] = 0;
        return false;
      }
      out[n++] = c;
    }
  }
  out[n] = 0;
  return true;
}

bool IsTrimmedSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\r';
}

bool IsBlankText(const char* text) {
  while (IsTrimmedSpace(*text)) ++text;
  return *text == 0;
}

const char* CommandTailOf(const char* commandLine) {
  const char* p = commandLine;
  while (*p && *p != ' ') {
    if (*p == '"') {
      const char* close = strchr(p + 1, '"');
      p = close ? close + 1 : p + strlen(p);
    } else {
      ++p;
    }
  }
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  return p;
}
