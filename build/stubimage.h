// The extractor stub's finished image and its own icon as an icon file,
// generated at build time from the stub executable and the reference icon
// (both checked then: see embed_stub.py). Writable: the custom icon is put
// into both in place.
#pragma once

#include <stddef.h>

extern unsigned char gStubImage[];
extern const size_t gStubImageSize;  // at most VQ_STUB_MAX_SIZE
extern unsigned char gStubIconReference[];
extern const size_t gStubIconReferenceSize;  // VQ_STUB_ICON_FILE_SIZE
