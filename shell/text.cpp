// The pure text services: no system calls, so the extractor stub compiles
// this file as it is, and both programs treat texts and paths alike.
#include <string.h>

#include "shell/cmdline.h"
#include "shell/paths.h"

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
  const char* slash = strrchr(path, '\\');
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
