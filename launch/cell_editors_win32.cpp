// In-place editing of the launch list view: a current cell outlined in red,
// moved with the arrow keys and clicks, and two editors laid over a cell, an
// edit box for "Command Line." and a drop-down list of the window states for
// "Window State.". An editor stores its text when it loses the focus, when a
// state is chosen, or when the list scrolls; no key cancels an edit.
#include <windows.h>
#include <commctrl.h>

#include <stdlib.h>

#include "launch/launch_page_win32.h"
#include "services/window_helpers_win32.h"

namespace {

enum { TEXT_EDITOR_ID = 5001, STATE_EDITOR_ID = 5002 };

struct Cell {
  int row, column;
};

Cell gCurrent = {-1, 0};  // the outlined cell; row -1: none
Cell gEdited = {-1, 0};   // where the open editor's text goes
HWND gTextEditor, gStateEditor;
RECT gLastOutline;

int ColumnCount(HWND list) { return Header_GetItemCount(ListView_GetHeader(list)); }

// Left edge of a column inside its row, and its width.
int ColumnOffset(HWND list, int column) {
  int offset = 0;
  for (int c = 0; c < column; ++c) offset += ListView_GetColumnWidth(list, c);
  return offset;
}

RECT RowBounds(HWND list, int row) {
  RECT bounds = {};
  ListView_GetItemRect(list, row, &bounds, LVIR_BOUNDS);
  return bounds;
}

RECT CellRect(HWND list, int row, int column) {
  RECT rect = RowBounds(list, row);
  rect.left += ColumnOffset(list, column);
  rect.right = rect.left + ListView_GetColumnWidth(list, column);
  return rect;
}

Cell HitTestCell(HWND list, int x, int y) {
  const Cell none = {-1, -1};
  if ((GetWindowLongA(list, GWL_STYLE) & LVS_TYPEMASK) != LVS_REPORT) return none;
  int first = ListView_GetTopIndex(list);
  int last = first + ListView_GetCountPerPage(list);
  if (last > ListView_GetItemCount(list)) last = ListView_GetItemCount(list);
  POINT at = {x, y};
  for (int row = first; row <= last; ++row) {
    RECT bounds;
    if (!ListView_GetItemRect(list, row, &bounds, LVIR_BOUNDS) || !PtInRect(&bounds, at)) continue;
    int left = bounds.left;
    for (int column = 0; column < ColumnCount(list); ++column) {
      int width = ListView_GetColumnWidth(list, column);
      if (x >= left && x <= left + width) return {row, column};  // a border goes left
      left += width;
    }
  }
  return none;
}

// Brings a cell that lies outside the client area to its left border.
void ScrollCellIntoView(HWND list, int row, int column) {
  RECT bounds = RowBounds(list, row), client;
  GetClientRect(list, &client);
  int offset = ColumnOffset(list, column), width = ListView_GetColumnWidth(list, column);
  if (bounds.left + offset < 0 || offset + width > client.right)
    ListView_Scroll(list, bounds.left + offset, 0);
}

void DrawFrameRect(HWND window, int left, int top, int right, int bottom, COLORREF colour,
                   bool filled, HDC dc) {
  HDC used = dc ? dc : GetDC(window);
  HPEN pen = CreatePen(PS_SOLID, 1, colour);
  HBRUSH brush = filled ? CreateSolidBrush(colour) : (HBRUSH)GetStockObject(NULL_BRUSH);
  HGDIOBJ oldPen = SelectObject(used, pen), oldBrush = SelectObject(used, brush);
  Rectangle(used, left, top, right, bottom);
  SelectObject(used, oldPen);
  SelectObject(used, oldBrush);
  DeleteObject(pen);
  if (filled) DeleteObject(brush);
  if (!dc) ReleaseDC(window, used);
}

// Leaves the focus where it is: the list repaints its frame when a toggle in
// the tree brings its scroll bar, and the keyboard stays with the tree.
void DrawCellOutline(HWND list, Cell cell) {
  InvalidateRect(list, &gLastOutline, TRUE);
  if (cell.row < 0) return;
  const UINT kMask = LVIS_FOCUSED | LVIS_SELECTED | LVIS_CUT | LVIS_DROPHILITED;
  ListView_SetItemState(list, cell.row, LVIS_FOCUSED | LVIS_SELECTED, kMask);
  UpdateWindow(list);
  RECT rect = CellRect(list, cell.row, cell.column);
  gLastOutline = rect;
  if (cell.row < ListView_GetTopIndex(list)) return;
  DrawFrameRect(list, rect.left, rect.top, rect.right, rect.bottom, RGB(255, 0, 0), false, nullptr);
  ValidateRect(list, &rect);  // no pending paint may wipe it out
}

void SyncCurrentCell(HWND list, int column) {
  int row = ListView_GetNextItem(list, -1, LVNI_SELECTED);
  if (row < 0) {
    gCurrent.row = -1;  // no current cell: Enter opens nothing
    return;
  }
  int last = ColumnCount(list) - 1;
  column = column < 0 ? 0 : column > last ? last : column;
  ScrollCellIntoView(list, row, column);
  gCurrent = {row, column};
  DrawCellOutline(list, gCurrent);
}

HWND CreateEditor(const char* className, const char* text, HWND parent, int id, RECT at,
                  DWORD style) {
  HWND editor = CreateWindowExA(WS_EX_CLIENTEDGE, className, text, style, at.left, at.top,
                                at.right - at.left, at.bottom - at.top, parent,
                                (HMENU)(INT_PTR)id, GetModuleHandleA(nullptr), nullptr);
  SendMessageA(editor, WM_SETFONT, (WPARAM)GetStockObject(DEFAULT_GUI_FONT), FALSE);
  return editor;
}

// Where an editor for the cell goes, the cell scrolled into view first;
// false for a column beyond the last.
bool EditorPlace(HWND list, Cell cell, int extraHeight, RECT* at) {
  ListView_EnsureVisible(list, cell.row, FALSE);
  if (cell.column >= ColumnCount(list)) return false;
  ScrollCellIntoView(list, cell.row, cell.column);
  RECT bounds = RowBounds(list, cell.row), client;
  GetClientRect(list, &client);
  int width = ListView_GetColumnWidth(list, cell.column);
  at->left = bounds.left + ColumnOffset(list, cell.column);
  at->top = bounds.top;
  at->right = at->left + (width < client.right ? width : client.right);
  at->bottom = bounds.bottom + extraHeight;
  return true;
}

void OpenTextEditor(HWND list, Cell cell) {
  RECT at;
  if (!EditorPlace(list, cell, 1, &at)) return;
  LVCOLUMNA format = {};
  format.mask = LVCF_FMT;
  ListView_GetColumn(list, cell.column, &format);
  DWORD align = (format.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_RIGHT    ? ES_RIGHT
                : (format.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_CENTER ? ES_CENTER
                                                                     : ES_LEFT;
  char text[VQ_TEXT_SIZE] = "";
  ListView_GetItemText(list, cell.row, cell.column, text, sizeof text);
  gTextEditor = CreateEditor("edit", text, list, TEXT_EDITOR_ID, at,
                             WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL | align);
  SendMessageA(gTextEditor, EM_SETSEL, 0, lstrlenA(text));
  SetFocus(gTextEditor);
}

void OpenStateEditor(HWND list, Cell cell) {
  RECT at;
  if (!EditorPlace(list, cell, 0, &at)) return;
  char text[VQ_TEXT_SIZE] = "";
  ListView_GetItemText(list, cell.row, cell.column, text, sizeof text);
  gStateEditor = CreateEditor("Combobox", "", list, STATE_EDITOR_ID, at,
                              WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_TABSTOP |
                                  CBS_DROPDOWNLIST);
  for (const char* state : kWindowStates) SendMessageA(gStateEditor, CB_ADDSTRING, 0, (LPARAM)state);
  // The box shows one row; the height a combo box is given is also its open
  // list's, so it gets room for the four states below the row.
  SetWindowPos(gStateEditor, nullptr, 0, 0, at.right - at.left, (at.bottom - at.top) * 6,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  LRESULT chosen = SendMessageA(gStateEditor, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)text);
  SendMessageA(gStateEditor, CB_SETCURSEL, chosen == CB_ERR ? 0 : chosen, 0);
  SetFocus(gStateEditor);
}

// Stores an open editor's text into the edited cell and closes it. The
// editor is forgotten before it is destroyed: destroying it takes its focus,
// and the commit that loss starts must find nothing left to store.
void CommitEditor(HWND* editor) {
  HWND open = *editor;
  if (!open) return;
  *editor = nullptr;
  int length = GetWindowTextLengthA(open);
  char* text = (char*)calloc(length + 1, 1);
  if (text) GetWindowTextA(open, text, length + 1);
  SetLaunchCell(gEdited.row, gEdited.column, text ? text : "");
  free(text);
  DestroyWindow(open);
  ListView_Update(gLaunchView, gEdited.row);
}

void OpenEditorAt(HWND list, Cell cell) {
  gEdited = cell;
  if (cell.column == COLUMN_COMMAND) OpenTextEditor(list, cell);
  if (cell.column == COLUMN_STATE) OpenStateEditor(list, cell);
}

LRESULT CALLBACK CellEditorsProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN:
      InvalidateRect(list, &gLastOutline, TRUE);
      if (wParam == VK_LEFT || wParam == VK_RIGHT) {
        gCurrent.column += wParam == VK_LEFT ? -1 : 1;
        SyncCurrentCell(list, gCurrent.column);
      }
      break;
    case WM_KEYUP:
      SyncCurrentCell(list, gCurrent.column);
      // Enter arrives here at key-up: the dialog manager takes its key-down.
      if (wParam == VK_RETURN && gCurrent.row >= 0) OpenEditorAt(list, gCurrent);
      break;
    case WM_COMMAND:
      if (LOWORD(wParam) == TEXT_EDITOR_ID && HIWORD(wParam) == EN_KILLFOCUS) CommitEditor(&gTextEditor);
      if (LOWORD(wParam) == STATE_EDITOR_ID &&
          (HIWORD(wParam) == CBN_KILLFOCUS || HIWORD(wParam) == CBN_SELENDOK))
        CommitEditor(&gStateEditor);
      break;
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_NCPAINT:
      CommitCellEditors();
      DrawCellOutline(list, gCurrent);
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      Cell hit = HitTestCell(list, (short)LOWORD(lParam), (short)HIWORD(lParam));
      if (message != WM_LBUTTONDBLCLK) {
        // Taking the focus commits an open editor before a double-click opens the next one.
        SetFocus(list);
        gCurrent = hit;
        DrawCellOutline(list, gCurrent);
      } else if (hit.row >= 0) {
        OpenEditorAt(list, hit);
      }
      break;
    }
  }
  return ChainControlProc(list, message, wParam, lParam);
}

}  // namespace

void AttachCellEditors(HWND list) {
  gCurrent = {-1, 0};
  gTextEditor = gStateEditor = nullptr;
  SetRectEmpty(&gLastOutline);
  SubclassControl(list, CellEditorsProc);
}

void CommitCellEditors() {
  CommitEditor(&gTextEditor);
  CommitEditor(&gStateEditor);
}
