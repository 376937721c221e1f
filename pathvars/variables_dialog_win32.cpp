#include "pathvars/variables_dialog.h"

#include <windows.h>
#include <commctrl.h>

#include "pathvars/pathvars.h"
#include "pathvars/system_win32.h"
#include "resources/builder_resources.h"
#include "services/window_helpers_win32.h"

namespace {

enum { VARIABLES_OK = 4001, VARIABLES_LIST = 4002 };

// The box a pick writes into is kept by the dialog itself (DWLP_USER).
void PickVariable(HWND list, int row) {
  char variable[VQ_TEXT_SIZE] = "";
  ListView_GetItemText(list, row, 0, variable, sizeof variable);
  HWND dialog = GetParent(list);
  SetWindowTextA((HWND)GetWindowLongPtrA(dialog, DWLP_USER), variable);
  EndDialog(dialog, 0);
}

// Enter and double-clicks pick a row; every message, these included, goes on
// to the list view's own procedure.
LRESULT CALLBACK VariableListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
  // Enter is acted on at key-down and at key-up: inside the dialog the
  // dialog manager takes the key-down, and the key-up still arrives here.
  if ((message == WM_KEYDOWN || message == WM_KEYUP) && wParam == VK_RETURN) {
    int row = ListView_GetNextItem(list, -1, LVNI_SELECTED);
    if (row >= 0) PickVariable(list, row);
  } else if (message == WM_LBUTTONDBLCLK) {
    LVHITTESTINFO hit = {};
    hit.pt.x = (short)LOWORD(lParam);
    hit.pt.y = (short)HIWORD(lParam);
    int row = ListView_HitTest(list, &hit);
    if (row >= 0) PickVariable(list, row);
  }
  return ChainControlProc(list, message, wParam, lParam);
}

void FillVariableList(HWND list) {
  SubclassControl(list, VariableListProc);
  ListView_SetExtendedListViewStyle(list, LVS_EX_GRIDLINES | LVS_EX_SUBITEMIMAGES |
                                              LVS_EX_FULLROWSELECT);
  const char* const kHeadings[] = {"Variable.", "Variable path for this computer."};
  const int kWidths[] = {150, 500};
  AddListColumns(list, kHeadings, kWidths, 2);
  // Each row goes in on top, so going through the table backwards leaves
  // the rows in table order.
  for (int v = PATHVAR_COUNT - 1; v >= 0; --v) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.pszText = (char*)kPathVariables[v].name;
    SendMessageA(list, LVM_INSERTITEMA, 0, (LPARAM)&item);
    char path[VQ_TEXT_SIZE];
    LocalVariablePath(kPathVariables[v].name, &kLocalPathVarSystem, path, sizeof path);
    ListView_SetItemText(list, 0, 1, path);
  }
}

INT_PTR CALLBACK VariablesProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      FillVariableList(GetDlgItem(dialog, VARIABLES_LIST));
      SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      CentreOnWorkArea(dialog);
      RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
      ShowWindow(dialog, SW_SHOW);
      return TRUE;
    }
    case WM_COMMAND:
      // OK and the close box end the dialog; Escape (IDCANCEL from the
      // keyboard) does not.
      if (LOWORD(wParam) == VARIABLES_OK) EndDialog(dialog, 0);
      return TRUE;
    case WM_CLOSE:
      EndDialog(dialog, 0);
      return TRUE;
  }
  return FALSE;
}

}  // namespace

void ShowVariablesDialog(HWND page, int extractionBoxId) {
  DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_VARIABLES), page, VariablesProc,
                  (LPARAM)GetDlgItem(page, extractionBoxId));
}
