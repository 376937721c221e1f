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

struct IconOnBackground {
  HICON icon;
  int size;
  const unsigned char* background;  // R, G, B
};

bool DrawIconOnBackground(HDC memory, unsigned char* pixels, void* context) {
  const IconOnBackground* job = static_cast<const IconOnBackground*>(context);
  for (int i = 0; i < job->size * job->size; ++i) {
    pixels[i * 4] = job->background[2];
    pixels[i * 4 + 1] = job->background[1];
    pixels[i * 4 + 2] = job->background[0];
    pixels[i * 4 + 3] = 0;
  }
  return DrawIconEx(memory, 0, 0, job->icon, job->size, job->size, 0, NULL, DI_NORMAL) != 0;
}

// Draws icon at its standard size over background into top-down RGB rows.
// Returns NULL on failure; caller frees.
unsigned char* RenderIcon(HICON icon, int size, const unsigned char* background) {
  IconOnBackground job = {icon, size, background};
  return PaintToRgb(size, size, DrawIconOnBackground, &job);
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
