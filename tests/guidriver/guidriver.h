// GUI test driver: lets a Windows GoogleTest program start another program under Wine and work its
// windows from outside its process, the way a user would. Plain functions; false, NULL or "" on failure.
//
// What the callers rely on under Wine 8 (Xvfb, no window manager):
// - Clicks and keys are posted, never sent: a click that opens a modal box would block a sent message.
//   Posted WM_KEYDOWN/WM_KEYUP reach their window without focus, and its dialog's IsDialogMessage sees
//   them: Enter and Escape posted to a control act as if typed.
// - Screenshots read Xvfb through GDI; the bench keeps top-level windows unmanaged, so Wine draws their
//   frames and captions itself and screenshots show them.
// - Standard dialogs: a file dialog's name box is control 0x47C; the "Browse for Folder" dialog has its
//   prompt in 0x3742 and its tree in 0x3741, and goes to a path with
//   GuiSendTextMessage(box, BFFM_SETSELECTIONA, TRUE, path, NULL).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

// ---------------------------------------------------------------- programs

// One program started by the driver, ended when the test leaves, even through a failed ASSERT.
struct GuiProgram {
  HANDLE process = NULL;
  DWORD pid = 0;
  GuiProgram() = default;
  GuiProgram(const GuiProgram&) = delete;
  GuiProgram& operator=(const GuiProgram&) = delete;
  ~GuiProgram();
  // Starts commandLine in workFolder (NULL: ours) with the null device as its standard handles (else
  // Wine's helper processes would hold ctest's output pipes open).
  bool Start(const std::string& commandLine, const char* workFolder = NULL);
  // True, with *exitCode (may be NULL), when the program has ended within timeoutMs.
  bool Wait(DWORD timeoutMs, DWORD* exitCode = NULL) const;
};

// A path of the build tree (VQ_BUILD_DIR, seen under Z:): "shots\\a.png" gives "Z:\\work\\out\\shots\\a.png".
std::string GuiBuildTreePath(const std::string& relative);

// ------------------------------------------------------------------ windows

// The first visible dialog ("#32770") of process pid whose caption is caption (or starts with it),
// polled for up to timeoutMs.
HWND GuiFindWindow(const char* caption, bool prefix, DWORD pid, DWORD timeoutMs = 0);
// True when the window is destroyed within timeoutMs.
bool GuiWaitWindowGone(HWND window, DWORD timeoutMs);

// A window's text (WM_GETTEXT, so an edit box's contents too); "" when it does not answer within 2 s.
std::string GuiReadText(HWND window);
// True when window's text equals text within timeoutMs; false also when the window is gone.
bool GuiWaitText(HWND window, const std::string& text, DWORD timeoutMs);

// The first descendant of parent with control id id, or whose text equals text with or without its
// '&' markers ("&Yes" matches "Yes") and of class className (NULL: any).
HWND GuiFindControl(HWND parent, int id);
HWND GuiFindControlByText(HWND parent, const char* text, const char* className);

// A standard message box: its text (the Static 0xFFFF), the id (IDOK, ...) of its first visible button.
struct GuiMessageBox {
  std::string text;
  int firstButton;
};
bool GuiReadMessageBox(HWND box, GuiMessageBox* out);

// ---------------------------------------------------------------- messages

// SendMessageTimeoutA with a 2 s limit, for messages the system carries across processes. True, with
// *result (may be NULL), when the window answered.
bool GuiAsk(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result);
// GuiAsk with lParam pointing to a copy of text placed in the target process: for WM_USER messages such
// as BFFM_SETSELECTIONA, whose pointers the system passes on unchanged.
bool GuiSendTextMessage(HWND window, UINT message, WPARAM wParam, const char* text, DWORD_PTR* result);

// ------------------------------------------------------------------- input

// BM_CLICK to the descendant with id id, or to the first button labelled text (as GuiFindControlByText).
bool GuiClickButton(HWND parent, int id);
bool GuiClickButtonByText(HWND parent, const char* text);
// WM_COMMAND with notification code for control id to parent, as the control would post it.
bool GuiNotifyCommand(HWND parent, int id, WORD code);
// Selects the first item beginning with text (CB_SELECTSTRING) and posts CBN_SELCHANGE to the parent.
bool GuiSelectComboItem(HWND combo, const char* text);
// Replaces a control's text (WM_SETTEXT, no key events).
bool GuiSetText(HWND control, const std::string& text);
// One key press (WM_KEYDOWN, WM_KEYUP) of virtual key vk.
bool GuiPostKey(HWND window, WORD vk);
// WM_CLOSE (a message box takes it as Cancel).
bool GuiCloseWindow(HWND window);
// A left click at client position (x, y); twice adds WM_LBUTTONDBLCLK and WM_LBUTTONUP.
bool GuiPostClickAt(HWND window, int x, int y, bool twice);

// ------------------------------------------------------ list and tree views

// A list view's rows from the top, their first `columns` cells joined by "|" ("?" for a cell that
// cannot be read), each after its image index and "|" when images is set.
std::vector<std::string> GuiListViewRows(HWND list, int columns, bool images = false);
// A cell's client rectangle (LVM_GETSUBITEMRECT): the label of column 0, the whole cell of later ones.
bool GuiListViewItemRect(HWND list, int item, int subItem, RECT* rect);

struct GuiTreeItem {
  HTREEITEM handle;  // for TVM_ messages to the view
  int level;         // 0 for a root item
  UINT state;        // TVIS_ bits and the state image index
  std::string text;
};
// Every item, depth first, collapsed branches too; none when the view cannot be read.
std::vector<GuiTreeItem> GuiReadTreeView(HWND tree);
// An item's client rectangle, its text only or the whole row; false for an item in a collapsed branch.
bool GuiTreeItemRect(HWND tree, HTREEITEM item, bool textOnly, RECT* rect);

// -------------------------------------------------------------- screenshots

// Writes the screen area of window (GetWindowRect) as an RGB PNG to an absolute path, folders made.
bool GuiSaveWindowShot(HWND window, const std::string& pngPath);
// The screen's colour at client position (x, y) of window, as shown.
bool GuiPixelAt(HWND window, int x, int y, COLORREF* colour);
