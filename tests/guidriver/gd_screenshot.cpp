// What the screen shows: a GDI copy of it, saved as PNG (zlib) or read by pixel.
#include "guidriver.h"

#include <stdio.h>
#include <zlib.h>

#include <vector>

namespace {

// Top-down rows of R, G, B bytes: the screen's width x height pixels from (left, top). Empty when GDI
// fails.
std::vector<unsigned char> Pixels(int left, int top, int width, int height) {
  HDC screen = GetDC(NULL);
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
  HGDIOBJ old = SelectObject(memory, bitmap);
  bool ok = bits != NULL && BitBlt(memory, 0, 0, width, height, screen, left, top, SRCCOPY | CAPTUREBLT);
  GdiFlush();
  std::vector<unsigned char> rgb;
  const unsigned char* bgr = static_cast<const unsigned char*>(bits);  // B, G, R, unused
  for (int i = 0; ok && i < width * height; ++i)
    rgb.insert(rgb.end(), {bgr[i * 4 + 2], bgr[i * 4 + 1], bgr[i * 4]});
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(NULL, screen);
  return rgb;
}

void Put32(std::vector<unsigned char>* out, unsigned long value) {
  for (int shift = 24; shift >= 0; shift -= 8) out->push_back(static_cast<unsigned char>(value >> shift));
}

void PutChunk(std::vector<unsigned char>* png, const char* type, const std::vector<unsigned char>& data) {
  Put32(png, data.size());
  size_t start = png->size();
  png->insert(png->end(), type, type + 4);
  png->insert(png->end(), data.begin(), data.end());
  Put32(png, crc32(0, png->data() + start, png->size() - start));
}

// Writes an 8-bit RGB PNG, creating the folders above an absolute path.
bool WritePng(const std::string& path, const std::vector<unsigned char>& rgb, int width, int height) {
  std::vector<unsigned char> raw;
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);  // filter type None
    raw.insert(raw.end(), rgb.begin() + y * width * 3, rgb.begin() + (y + 1) * width * 3);
  }
  uLongf packedSize = compressBound(raw.size());
  std::vector<unsigned char> packed(packedSize);
  if (compress2(packed.data(), &packedSize, raw.data(), raw.size(), 6) != Z_OK) return false;
  packed.resize(packedSize);
  std::vector<unsigned char> header;
  Put32(&header, width);
  Put32(&header, height);
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits per sample, RGB, deflate, no filter, no interlace
  std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  PutChunk(&png, "IHDR", header);
  PutChunk(&png, "IDAT", packed);
  PutChunk(&png, "IEND", {});
  for (size_t at = path.find_first_of("\\/", 3); at != std::string::npos; at = path.find_first_of("\\/", at + 1))
    CreateDirectoryA(path.substr(0, at).c_str(), NULL);
  FILE* file = fopen(path.c_str(), "wb");
  if (!file) return false;
  bool written = fwrite(png.data(), 1, png.size(), file) == png.size();
  return fclose(file) == 0 && written;
}

}  // namespace

bool GuiSaveWindowShot(HWND window, const std::string& pngPath) {
  RECT area;
  if (!IsWindow(window) || !GetWindowRect(window, &area)) return false;
  int width = area.right - area.left;
  int height = area.bottom - area.top;
  std::vector<unsigned char> rgb = Pixels(area.left, area.top, width, height);
  return !rgb.empty() && WritePng(pngPath, rgb, width, height);
}

bool GuiPixelAt(HWND window, int x, int y, COLORREF* colour) {
  POINT at = {x, y};
  if (!IsWindow(window) || !ClientToScreen(window, &at)) return false;
  std::vector<unsigned char> rgb = Pixels(at.x, at.y, 1, 1);
  if (rgb.empty()) return false;
  *colour = RGB(rgb[0], rgb[1], rgb[2]);
  return true;
}
