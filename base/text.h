// The pure text services: no system calls, so the builder, the packer, the
// path variables and the extractor stub share one copy and treat texts and
// paths alike. Byte strings of the system code page; Windows-style paths.
#pragma once

#include <stddef.h>
#include <stdint.h>

// Limits both programs share.
enum {
  VQ_TEXT_SIZE = 2048,  // text buffers: 2047 characters and a zero
  VQ_PATH_SIZE = 260,   // paths the system reports: 259 characters and a zero
  VQ_MAX_LAUNCH = 64,   // launch entries ExecFile0 .. ExecFile63
  // A text buffer's text in UTF-8: a byte of any code page, or a character
  // of two bytes, takes at most three.
  VQ_UTF8_TEXT_SIZE = 3 * VQ_TEXT_SIZE,
};

// Copies src into out (size outSize); returns false when it was cut to fit.
bool CopyText(char* out, size_t outSize, const char* src);
// Appends src to the text in out; returns false when it was cut to fit.
bool AppendText(char* out, size_t outSize, const char* src);

// "a".."z" raised to "A".."Z"; every other byte as it is (no code page rules).
char UpperAscii(char c);
// The first n bytes of a and b equal after UpperAscii (shorter texts compare
// their terminating zero).
bool EqualIgnoringCase(const char* a, const char* b, size_t n);

// Appends "\" to the text in out unless it is empty or ends with one.
// Returns false when it did not fit (out is then unchanged).
bool AddTrailingBackslash(char* out, size_t outSize);

// The path up to and including its last backslash; empty when it has none.
// Returns false when cut to fit outSize.
bool FolderOfPath(const char* path, char* out, size_t outSize);

// "/" becomes "\", each pair of backslashes becomes one (scanning left to
// right, so three become two and four become two), and a text that began with
// two backslashes (a network path) gets every backslash doubled afterwards.
// Writes at most outSize - 1 characters; returns false when the result was
// cut to fit.
bool NormalisePath(const char* text, char* out, size_t outSize);

// Cuts the file-name part (after the last backslash) before its first dot and
// appends `extension` (with its dot). Returns false when cut to fit outSize.
bool ForceExtension(const char* path, const char* extension, char* out, size_t outSize);

// Blanks, tabs, line feeds, vertical tabs and carriage returns.
bool IsTrimmedSpace(char c);
// Copies text without those characters at either end into out; returns false
// when cut to fit.
bool TrimText(const char* text, char* out, size_t outSize);
// True when the text holds nothing but those characters.
bool IsBlankText(const char* text);

// The part of `commandLine` behind the program name and the white space that
// follows it (a quoted span in the name may hold blanks). Points into
// commandLine; empty when nothing follows.
const char* CommandTailOf(const char* commandLine);

// A progress bar's position for done of total bytes: done / (total / 100),
// both divisions truncating; done * 100 / total while total is below 100 (the
// divisor would be 0); 100 for a total of 0. Passes 100 when more was done
// than the total promised: a bar shows at most 100 by itself. Inline, so that
// only the programs that call it link the 64-bit division (libgcc's
// __udivdi3 on 32-bit Windows), which the extractor stub leaves out.
inline uint32_t ProgressPosition(uint64_t done, uint64_t total) {
  if (total == 0) return 100;
  uint64_t position = total < 100 ? done * 100 / total : done / (total / 100);
  return position > 0xFFFFFFFFu ? 0xFFFFFFFFu : (uint32_t)position;
}
// The same position for 32-bit counts, in 32-bit divisions only: the
// extractor stub's.
uint32_t ProgressPosition32(uint32_t done, uint32_t total);
