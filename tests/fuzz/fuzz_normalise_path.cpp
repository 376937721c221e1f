// libFuzzer target: NormalisePath on any text and any buffer size. It must
// stay inside its buffer, say when it cut, and leave no "/" behind.
#include "base/text.h"

#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  size_t outSize = (size_t)data[0] + 1;  // 1..256
  std::string text((const char*)data + 1, size - 1);
  text = text.c_str();  // the function takes a C string

  std::vector<char> out(outSize);  // exact size: ASan sees any overrun
  bool whole = NormalisePath(text.c_str(), out.data(), outSize);
  size_t length = strnlen(out.data(), outSize);
  if (length >= outSize) abort();
  if (memchr(out.data(), '/', length)) abort();

  // The same text with ample room: never cut, and the cut result is its prefix.
  std::vector<char> full(2 * text.size() + 2);
  if (!NormalisePath(text.c_str(), full.data(), full.size())) abort();
  if (strncmp(full.data(), out.data(), length) != 0) abort();
  if (whole != (strlen(full.data()) == length)) abort();
  // Pairs only shrink a path; a network path at most doubles.
  bool network = text.size() >= 2 && text[0] == '\\' && text[1] == '\\';
  size_t limit = network ? 2 * text.size() : text.size();
  if (strlen(full.data()) > limit) abort();
  return 0;
}
