#include "build/stubicon.h"

#include <string.h>

#include <vector>

#include "platform/platform.h"

namespace {

// The part that is compared and replaced starts inside the bitmap header; the
// icon's directory and the header's first ten bytes are never replaced.
const size_t kIconImageTail = 32;

// Reads exactly size bytes; a short read is a failure.
bool ReadExactly(PlatformFile* file, unsigned char* buffer, size_t size) {
  size_t done = 0;
  while (done < size) {
    size_t got = 0;
    if (!PlatformReadFile(file, buffer + done, size - done, &got) || got == 0) return false;
    done += got;
  }
  return true;
}

}  // namespace

StubIconResult ReplaceStubIcon(unsigned char* stub, size_t stubSize, unsigned char* reference,
                               size_t referenceSize, const char* iconPath) {
  if (referenceSize <= kIconImageTail || stubSize < referenceSize - kIconImageTail) {
    return STUB_ICON_NOT_FOUND;
  }
  PlatformFile* file = PlatformOpenRead(iconPath);
  if (!file) return STUB_ICON_UNREADABLE;

  const unsigned char* tail = reference + kIconImageTail;
  const size_t tailSize = referenceSize - kIconImageTail;
  size_t match = stubSize;
  for (size_t p = 0; p + tailSize <= stubSize; ++p) {
    if (memcmp(stub + p, tail, tailSize) == 0) {
      match = p;
      break;
    }
  }
  if (match == stubSize) {
    PlatformCloseFile(file);
    return STUB_ICON_NOT_FOUND;
  }

  // Read into a copy first, so that a short icon file leaves both as they were.
  std::vector<unsigned char> icon(referenceSize);
  bool read = ReadExactly(file, icon.data(), referenceSize);
  PlatformCloseFile(file);
  if (!read) return STUB_ICON_UNREADABLE;

  memcpy(reference + kIconImageTail, icon.data() + kIconImageTail, tailSize);
  memcpy(stub + match, reference + kIconImageTail, tailSize);
  return STUB_ICON_REPLACED;
}
