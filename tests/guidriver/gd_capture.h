// Screen capture shared by the driver's screenshot and icon code. Internal.
#ifndef VQ_TESTS_GD_CAPTURE_H
#define VQ_TESTS_GD_CAPTURE_H

// Copies width x height pixels of the screen from (left, top) into top-down
// rows of 3 bytes each (R, G, B), through a GDI copy of the screen DC.
// Returns the pixels, which the caller frees with free(); NULL when the
// screen cannot be read, memory runs out or the size is not positive.
unsigned char* CaptureScreen(int left, int top, int width, int height);

#endif
