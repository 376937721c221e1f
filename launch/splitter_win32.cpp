#include "launch/splitter.h"

#include <windowsx.h>

#include "launch/splitter_geometry.h"

namespace {

const char kSplitterClass[] = "SplitterWndClass";

// One per splitter, in the window's user data from WM_CREATE to WM_DESTROY.
// The field order is kept; every field is 32-bit on the shipped build.
struct SplitterData {
  int orientation;  // 0: horizontal bar
  int barMode;
  HCURSOR cursor;
  HWND first;   // looked up when first needed: the panes come after the splitter
  HWND second;
  int dragging;
  int percent;
};
static_assert(sizeof(void*) != 4 || sizeof(SplitterData) == 28, "32-bit record layout");

ATOM gSplitterClass;  // registered once per run

// Only one drag runs at a time, so one tracking bar serves every splitter.
struct TrackingBar {
  RECT rect;  // where the next one goes
  bool shown;
  RECT drawn;  // drawing it again erases it
};
TrackingBar gTrackingBar;

SplitterData* DataOf(HWND splitter) {
  return (SplitterData*)GetWindowLongPtrA(splitter, GWLP_USERDATA);
}

void EraseTrackingBar(HWND splitter) {
  if (gTrackingBar.shown) DrawTrackingBar(splitter, nullptr);
  gTrackingBar.shown = false;
}

void MovePane(HWND pane, const PaneRect& rect) {
  if (pane) MoveWindow(pane, rect.x, rect.y, rect.width, rect.height, TRUE);
}

// However a drag ends: the button up, a margin reached, the capture taken
// away. The capture is released only while still ours, so the
// WM_CAPTURECHANGED that releasing brings finds no drag left.
void EndDrag(HWND splitter, SplitterData* data) {
  data->dragging = 0;
  if (GetCapture() == splitter) ReleaseCapture();
  EraseTrackingBar(splitter);
}

// The bar and the panes where layout puts them; a layout pulled back to a
// margin ends a drag. Returns the bar's position.
int ApplyLayout(HWND splitter, SplitterData* data, const SplitterLayout& layout) {
  if (!data->first) data->first = GetWindow(splitter, GW_CHILD);
  if (!data->second && data->first) data->second = GetWindow(data->first, GW_HWNDNEXT);
  if (layout.clamped && data->dragging) EndDrag(splitter, data);
  data->percent = layout.percent;
  if (data->dragging && data->barMode) return layout.pos;
  MovePane(data->first, layout.first);
  MovePane(data->second, layout.second);
  return layout.pos;
}

// The bar dragged to the pointer's x (vertical bar) or y in client
// coordinates, 0 included.
int DragBarTo(HWND splitter, SplitterData* data, int pointer) {
  RECT client;
  GetClientRect(splitter, &client);
  return ApplyLayout(splitter, data,
                     LayOutSplitterAt(data->orientation != 0, client.right, client.bottom,
                                      data->percent, pointer));
}

LRESULT CALLBACK SplitterProc(HWND splitter, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      return SendMessageA(GetParent(splitter), message, wParam, lParam);
    case WM_CREATE:
      SetWindowLongPtrA(splitter, GWLP_USERDATA,
                        (LONG_PTR)((const CREATESTRUCTA*)lParam)->lpCreateParams);
      break;
  }
  SplitterData* data = DataOf(splitter);
  if (!data) return DefWindowProcA(splitter, message, wParam, lParam);  // before WM_CREATE
  switch (message) {
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED) SetSplitterPos(splitter, data->percent, 0);
      break;
    case WM_LBUTTONDOWN:
      SetCursor(data->cursor);
      SetCapture(splitter);
      data->dragging = 1;
      if (data->barMode) GetClientRect(splitter, &gTrackingBar.rect);
      break;
    case WM_MOUSEMOVE:
      if (!data->dragging) {
        SetCursor(data->cursor);
        break;
      }
      if (data->orientation) {
        int pos = DragBarTo(splitter, data, GET_X_LPARAM(lParam));
        gTrackingBar.rect.left = pos - SPLITTER_BAR_HALF;
        gTrackingBar.rect.right = pos + SPLITTER_BAR_HALF;
      } else {
        int pos = DragBarTo(splitter, data, GET_Y_LPARAM(lParam));
        gTrackingBar.rect.top = pos - SPLITTER_BAR_HALF;
        gTrackingBar.rect.bottom = pos + SPLITTER_BAR_HALF;
      }
      // A move past an edge has ended the drag and laid the panes out.
      if (data->barMode && data->dragging) {
        EraseTrackingBar(splitter);
        DrawTrackingBar(splitter, &gTrackingBar.rect);
        gTrackingBar.shown = true;
      }
      break;
    case WM_CAPTURECHANGED:
      // Taken away mid-drag (another window, Alt+Tab, a message box): the
      // drag ends as if the button came up where the bar stands.
      if (!data->dragging) break;
      // fall through
    case WM_LBUTTONUP:
      EndDrag(splitter, data);
      if (data->barMode) SetSplitterPos(splitter, data->percent, 0);
      break;
    case WM_DESTROY:
      SetWindowLongPtrA(splitter, GWLP_USERDATA, 0);
      GlobalFree(data);
      break;
  }
  return DefWindowProcA(splitter, message, wParam, lParam);
}

bool RegisterSplitterClass() {
  if (gSplitterClass) return true;
  WNDCLASSA windowClass = {};
  windowClass.style = CS_PARENTDC;
  windowClass.lpfnWndProc = SplitterProc;
  windowClass.cbWndExtra = 4;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hbrBackground = (HBRUSH)(COLOR_ACTIVEBORDER + 1);  // shows in the gap
  windowClass.lpszClassName = kSplitterClass;
  gSplitterClass = RegisterClassA(&windowClass);
  return gSplitterClass != 0;
}

}  // namespace

HWND CreateSplitter(HWND parent, int id, int orientation, bool barMode, int x, int y, int width,
                    int height) {
  if (!RegisterSplitterClass()) return nullptr;
  SplitterData* data = (SplitterData*)GlobalAlloc(GPTR, sizeof(SplitterData));
  if (!data) return nullptr;
  data->orientation = orientation;
  data->barMode = barMode;
  data->cursor = LoadCursorA(nullptr, orientation ? IDC_SIZEWE : IDC_SIZENS);
  data->percent = 50;
  if (width == 0 || height == 0) {
    RECT client;
    GetClientRect(parent, &client);
    x = y = 0;
    width = client.right;
    height = client.bottom;
  }
  HWND splitter = CreateWindowExA(0, kSplitterClass, nullptr,
                                  WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, x, y,
                                  width, height, parent, (HMENU)(INT_PTR)id,
                                  GetModuleHandleA(nullptr), data);
  // WM_CREATE never fails, so a window that was not created never reached
  // WM_DESTROY either: the record is still ours.
  if (!splitter) GlobalFree(data);
  return splitter;
}

int SetSplitterPos(HWND splitter, int percent, int pixels) {
  SplitterData* data = DataOf(splitter);
  if (!data) return 0;
  RECT client;
  GetClientRect(splitter, &client);
  return ApplyLayout(splitter, data,
                     LayOutSplitter(data->orientation != 0, client.right, client.bottom, percent,
                                    pixels));
}

void DrawTrackingBar(HWND splitter, const RECT* rect) {
  // One 16-bit word per row of the 8x8 monochrome bitmap: a one-pixel checkerboard.
  static const WORD kCheckerboard[8] = {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55};
  HBITMAP bitmap = CreateBitmap(8, 8, 1, 1, kCheckerboard);
  HBRUSH brush = CreatePatternBrush(bitmap);
  HDC dc = GetDCEx(splitter, nullptr, DCX_PARENTCLIP);
  SetTextColor(dc, RGB(255, 255, 0));
  SetBkColor(dc, RGB(43, 43, 43));
  if (rect) gTrackingBar.drawn = *rect;
  const RECT& bar = gTrackingBar.drawn;
  SetBrushOrgEx(dc, bar.left, bar.top, nullptr);
  HGDIOBJ previous = SelectObject(dc, brush);
  PatBlt(dc, bar.left, bar.top, bar.right - bar.left, bar.bottom - bar.top, PATINVERT);
  SelectObject(dc, previous);
  DeleteObject(brush);
  DeleteObject(bitmap);
  ReleaseDC(splitter, dc);
}
