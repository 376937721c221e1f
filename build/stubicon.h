// The custom icon: the user's 32x32, 256-colour icon written over the stub's
// own icon image inside the stub image.
#pragma once

#include <stddef.h>

enum StubIconResult {
  STUB_ICON_REPLACED = 0,
  STUB_ICON_UNREADABLE = 1,  // the icon file could not be opened or read in full
  STUB_ICON_NOT_FOUND = 2,   // the stub image holds no copy of the reference's image
};

// Finds the reference's bytes 32..end (the stub icon's image from its
// eleventh byte on) in the stub image, the first match from offset 0, and
// replaces them there and in the reference with the same bytes of the icon
// file. Returns STUB_ICON_REPLACED when it did; otherwise nothing changed:
// STUB_ICON_UNREADABLE when the icon file cannot be opened or holds fewer
// than referenceSize bytes, STUB_ICON_NOT_FOUND when there is no match or
// the reference is not longer than 32 bytes.
StubIconResult ReplaceStubIcon(unsigned char* stub, size_t stubSize, unsigned char* reference,
                               size_t referenceSize, const char* iconPath);
