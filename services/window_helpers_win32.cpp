#include "services/window_helpers_win32.h"

#include <commctrl.h>

namespace {
// The replaced procedure is kept as a property of the control itself.
const char kPreviousProc[] = "Wprc";
}  // namespace

void ControlText(HWND dialog, int id, char* out, size_t outSize) {
  if (outSize == 0) return;
  out[0] = '\0';
  GetDlgItemTextA(dialog, id, out, (int)outSize);
}

void AddListColumns(HWND list, const char* const* headings, const int* widths, int count) {
  for (int i = 0; i < count; ++i) {
    LVCOLUMNA column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    column.fmt = LVCFMT_LEFT;
    column.cx = widths[i];
    column.pszText = (char*)headings[i];
    SendMessageA(list, LVM_INSERTCOLUMNA, i, (LPARAM)&column);
  }
}

void CentreWithin(HWND window, const RECT& area) {
  RECT r;
  GetWindowRect(window, &r);
  int width = r.right - r.left, height = r.bottom - r.top;
  SetWindowPos(window, nullptr, area.left + (area.right - area.left - width) / 2,
               area.top + (area.bottom - area.top - height) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CentreOnWorkArea(HWND window) {
  RECT work;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  CentreWithin(window, work);
}

void SubclassControl(HWND control, WNDPROC proc) {
  SetPropA(control, kPreviousProc, (HANDLE)SetWindowLongPtrA(control, GWLP_WNDPROC, (LONG_PTR)proc));
}

LRESULT ChainControlProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  WNDPROC previous = (WNDPROC)GetPropA(control, kPreviousProc);
  if (message == WM_NCDESTROY) RemovePropA(control, kPreviousProc);
  return CallWindowProcA(previous, control, message, wParam, lParam);
}
