// Screenshots: a GDI copy of the screen, written as PNG with zlib.
#include "gd_capture.h"
#include "guidriver.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <zlib.h>

namespace {

void PutBig32(unsigned char* at, unsigned long value) {
  at[0] = static_cast<unsigned char>(value >> 24);
  at[1] = static_cast<unsigned char>(value >> 16);
  at[2] = static_cast<unsigned char>(value >> 8);
  at[3] = static_cast<unsigned char>(value);
}

bool WriteChunk(FILE* file, const char* type, const unsigned char* data, size_t size) {
  unsigned char head[8];
  PutBig32(head, static_cast<unsigned long>(size));
  memcpy(head + 4, type, 4);
  unsigned long crc = crc32(0, head + 4, 4);
  if (size) crc = crc32(crc, data, static_cast<uInt>(size));
  unsigned char tail[4];
  PutBig32(tail, crc);
  return fwrite(head, 1, 8, file) == 8 && (size == 0 || fwrite(data, 1, size, file) == size) &&
         fwrite(tail, 1, 4, file) == 4;
}

// Creates every missing folder above the file path.
void MakeParentFolders(const char* path) {
  char folder[MAX_PATH];
  lstrcpynA(folder, path, sizeof folder);
  for (char* c = folder; *c; ++c) {
    if (*c != '\\' && *c != '/') continue;
    if (c == folder || c[-1] == ':') continue;  // the root, or "C:\"
    char keep = *c;
    *c = 0;
    CreateDirectoryA(folder, NULL);
    *c = keep;
  }
}

}  // namespace

unsigned char* PaintToRgb(int width, int height, PaintFunction paint, void* context) {
  if (width <= 0 || height <= 0) return NULL;
  HDC screen = GetDC(NULL);
  if (!screen) return NULL;
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = NULL;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, NULL, 0);
  unsigned char* rgb = NULL;
  if (memory && bitmap) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    unsigned char* from = static_cast<unsigned char*>(bits);
    if (paint(memory, from, context)) {
      GdiFlush();
      rgb = static_cast<unsigned char*>(malloc(static_cast<size_t>(width) * height * 3));
      for (size_t i = 0; rgb && i < static_cast<size_t>(width) * height; ++i) {
        rgb[i * 3] = from[i * 4 + 2];  // DIB pixels are B, G, R, unused
        rgb[i * 3 + 1] = from[i * 4 + 1];
        rgb[i * 3 + 2] = from[i * 4];
      }
    }
    SelectObject(memory, old);
  }
  if (bitmap) DeleteObject(bitmap);
  if (memory) DeleteDC(memory);
  ReleaseDC(NULL, screen);
  return rgb;
}

namespace {

struct ScreenArea {
  int left, top, width, height;
};

bool CopyScreenArea(HDC memory, unsigned char*, void* context) {
  const ScreenArea* area = static_cast<const ScreenArea*>(context);
  HDC screen = GetDC(NULL);
  bool ok = screen && BitBlt(memory, 0, 0, area->width, area->height, screen, area->left,
                             area->top, SRCCOPY | CAPTUREBLT);
  if (screen) ReleaseDC(NULL, screen);
  return ok;
}

}  // namespace

unsigned char* CaptureScreen(int left, int top, int width, int height) {
  ScreenArea area = {left, top, width, height};
  return PaintToRgb(width, height, CopyScreenArea, &area);
}

namespace {

bool SaveScreenArea(int left, int top, int width, int height, const char* pngPath) {
  unsigned char* rgb = CaptureScreen(left, top, width, height);
  if (!rgb) return false;
  bool ok = GuiWritePng(pngPath, rgb, width, height);
  free(rgb);
  return ok;
}

}  // namespace

bool GuiWritePng(const char* pngPath, const unsigned char* rgb, int width, int height) {
  if (width <= 0 || height <= 0) return false;
  size_t row = static_cast<size_t>(width) * 3;
  size_t rawSize = (row + 1) * height;
  unsigned char* raw = static_cast<unsigned char*>(malloc(rawSize));
  uLongf packedSize = compressBound(static_cast<uLong>(rawSize));
  unsigned char* packed = static_cast<unsigned char*>(malloc(packedSize));
  bool ok = raw && packed;
  if (ok) {
    for (int y = 0; y < height; ++y) {
      raw[y * (row + 1)] = 0;  // filter type None
      memcpy(raw + y * (row + 1) + 1, rgb + y * row, row);
    }
    ok = compress2(packed, &packedSize, raw, static_cast<uLong>(rawSize), 6) == Z_OK;
  }
  if (ok) {
    MakeParentFolders(pngPath);
    FILE* file = fopen(pngPath, "wb");
    ok = file != NULL;
    if (ok) {
      static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
      unsigned char header[13] = {};
      PutBig32(header, width);
      PutBig32(header + 4, height);
      header[8] = 8;  // bits per sample
      header[9] = 2;  // colour type RGB
      ok = fwrite(signature, 1, 8, file) == 8 && WriteChunk(file, "IHDR", header, 13) &&
           WriteChunk(file, "IDAT", packed, packedSize) && WriteChunk(file, "IEND", NULL, 0);
      if (fclose(file) != 0) ok = false;
    }
  }
  free(raw);
  free(packed);
  return ok;
}

bool GuiSaveWindowShot(HWND window, const char* pngPath) {
  RECT area;
  if (!IsWindow(window) || !GetWindowRect(window, &area)) return false;
  return SaveScreenArea(area.left, area.top, area.right - area.left, area.bottom - area.top,
                        pngPath);
}

bool GuiPixelAt(HWND window, int x, int y, COLORREF* colour) {
  POINT at = {x, y};
  if (!IsWindow(window) || !ClientToScreen(window, &at)) return false;
  unsigned char* rgb = CaptureScreen(at.x, at.y, 1, 1);
  if (!rgb) return false;
  *colour = RGB(rgb[0], rgb[1], rgb[2]);
  free(rgb);
  return true;
}
