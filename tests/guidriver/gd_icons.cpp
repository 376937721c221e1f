// Which standard icon a message box shows. Icon handles are private to each
// process, so the box's icon cannot be compared by handle: its pixels on the
// screen are compared with each standard icon drawn here on the same
// background.
#include "gd_capture.h"
#include "guidriver.h"

#include <stdlib.h>
#include <string.h>

namespace {

// The static control that holds a message box's icon (Windows and Wine).
const int kIconControlIds[] = {0x14, 0x440};

// Draws icon at its standard size over background into top-down RGB rows.
// Returns NULL on failure; caller frees.
unsigned char* RenderIcon(HICON icon, int size, const unsigned char* background) {
  HDC screen = GetDC(NULL);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = size;
  info.bmiHeader.biHeight = -size;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = NULL;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, NULL, 0);
  unsigned char* rgb = NULL;
  if (memory && bitmap) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    unsigned char* pixels = static_cast<unsigned char*>(bits);
    for (int i = 0; i < size * size; ++i) {
      pixels[i * 4] = background[2];
      pixels[i * 4 + 1] = background[1];
      pixels[i * 4 + 2] = background[0];
      pixels[i * 4 + 3] = 0;
    }
    if (DrawIconEx(memory, 0, 0, icon, size, size, 0, NULL, DI_NORMAL)) {
      GdiFlush();
      rgb = static_cast<unsigned char*>(malloc(static_cast<size_t>(size) * size * 3));
      for (int i = 0; rgb && i < size * size; ++i) {
        rgb[i * 3] = pixels[i * 4 + 2];
        rgb[i * 3 + 1] = pixels[i * 4 + 1];
        rgb[i * 3 + 2] = pixels[i * 4];
      }
    }
    SelectObject(memory, old);
  }
  if (bitmap) DeleteObject(bitmap);
  if (memory) DeleteDC(memory);
  ReleaseDC(NULL, screen);
  return rgb;
}

int CountDifferentPixels(const unsigned char* a, const unsigned char* b, int pixels) {
  int different = 0;
  for (int i = 0; i < pixels; ++i)
    for (int c = 0; c < 3; ++c)
      if (abs(a[i * 3 + c] - b[i * 3 + c]) > 8) {
        ++different;
        break;
      }
  return different;
}

}  // namespace

int GuiMessageBoxIcon(HWND box) {
  HWND control = NULL;
  for (int id : kIconControlIds)
    if (!control) control = GetDlgItem(box, id);
  DWORD_PTR icon = 0;
  if (!control || !IsWindowVisible(control)) return 0;
  // Wine keeps the control when there is no icon, but with none set in it.
  if (GuiAsk(control, STM_GETICON, 0, 0, &icon) && !icon) return 0;
  RECT area;
  GetWindowRect(control, &area);
  const int size = GetSystemMetrics(SM_CXICON);
  unsigned char* shown = CaptureScreen(area.left, area.top, size, size);
  if (!shown) return -1;
  struct Candidate { LPCSTR icon; int kind; };
  const Candidate candidates[] = {{IDI_HAND, MB_ICONERROR}, {IDI_QUESTION, MB_ICONQUESTION},
                                  {IDI_EXCLAMATION, MB_ICONWARNING},
                                  {IDI_ASTERISK, MB_ICONINFORMATION}};
  int best = -1;
  int fewest = size * size;
  for (const Candidate& candidate : candidates) {
    // The top-left pixel lies outside every standard icon's round shape.
    unsigned char* drawn = RenderIcon(LoadIconA(NULL, candidate.icon), size, shown);
    if (!drawn) continue;
    int different = CountDifferentPixels(shown, drawn, size * size);
    free(drawn);
    if (different < fewest) {
      fewest = different;
      best = candidate.kind;
    }
  }
  free(shown);
  // A few stray pixels are allowed for edge blending; a real mismatch is
  // hundreds.
  return fewest <= size * size / 20 ? best : -1;
}
