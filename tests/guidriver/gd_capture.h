// Screen capture shared by the driver's screenshot and icon code. Internal.
#ifndef VQ_TESTS_GD_CAPTURE_H
#define VQ_TESTS_GD_CAPTURE_H

#include <windows.h>

// Copies width x height pixels of the screen from (left, top) into top-down
// rows of 3 bytes each (R, G, B), through a GDI copy of the screen DC.
// Returns the pixels, which the caller frees with free(); NULL when the
// screen cannot be read, memory runs out or the size is not positive.
unsigned char* CaptureScreen(int left, int top, int width, int height);

// Lets paint draw into a width x height top-down 32-bit bitmap (pixels B, G,
// R, unused, 4 bytes each, also handed over raw) selected into a memory DC
// compatible with the screen, then returns its pixels as RGB rows.
// Returns NULL when paint returns false or GDI or memory fails; the caller
// frees the result with free().
typedef bool (*PaintFunction)(HDC memory, unsigned char* pixels, void* context);
unsigned char* PaintToRgb(int width, int height, PaintFunction paint, void* context);

#endif
