// The custom icon: the user's 32x32, 256-colour icon written over the stub's
// own icon image inside the stub image.
#pragma once

#include <stddef.h>

// Finds the reference's bytes 32..end (the stub icon's image from its
// eleventh byte on) in the stub image, the first match from offset 0, and
// replaces them there and in the reference with the same bytes of the icon
// file. Nothing changes when there is no match, when the icon file cannot be
// read in full, or when the reference is not longer than 32 bytes.
void ReplaceStubIcon(unsigned char* stub, size_t stubSize, unsigned char* reference,
                     size_t referenceSize, const char* iconPath);
