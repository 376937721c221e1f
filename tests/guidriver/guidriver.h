// GUI test driver: lets a Windows GoogleTest program start another program under Wine and work its
// windows from outside its process, the way a user would. Plain functions; false/NULL/-1 on failure.
//
// What the callers rely on under Wine 8 (Xvfb, no window manager):
// - Clicks are posted, never sent: a click that opens a modal box would block a sent message.
// - Posted WM_KEYDOWN/WM_KEYUP reach their window without focus, and its dialog's IsDialogMessage sees
//   them: Enter and Escape posted to a control act as if typed.
// - Real input (SendInput) goes to the foreground focus, which GuiFocusControl sets in another process.
// - Screenshots read Xvfb through GDI; the bench keeps top-level windows unmanaged, so Wine draws their
//   frames and captions itself and screenshots show them.
// - Standard dialogs: a file dialog's name box is GuiFindControl(box, 0x47C), whose text GuiSetText sets; the
//   "Browse for Folder" dialog has its prompt in 0x3742 and its tree in 0x3741, and goes to a path with
//   GuiSendTextMessage(box, BFFM_SETSELECTIONA, TRUE, path, NULL).
#ifndef VQ_TESTS_GUIDRIVER_H
#define VQ_TESTS_GUIDRIVER_H

#include <windows.h>
#include <commctrl.h>
#include <stddef.h>

// ---------------------------------------------------------------- processes

// One program started by the driver; all zero when not started.
struct GuiProcess {
  HANDLE process;
  DWORD pid;
};

// Starts commandLine in workFolder (NULL: ours) with the null device as its standard handles (else
// Wine's helper processes would hold ctest's output pipes open). False when CreateProcessA fails.
bool GuiStartProgram(const char* commandLine, const char* workFolder, GuiProcess* out);

// True, with *exitCode (may be NULL), when the program has ended within timeoutMs.
bool GuiWaitProgram(const GuiProcess* program, DWORD timeoutMs, DWORD* exitCode);

// Terminates the program if it still runs, closes its handle and zeroes *program.
void GuiEndProgram(GuiProcess* program);

// Ends its program when the test leaves, even through a failed ASSERT.
struct GuiProgram {
  GuiProcess p = {};
  GuiProgram() = default;
  GuiProgram(const GuiProgram&) = delete;
  GuiProgram& operator=(const GuiProgram&) = delete;
  ~GuiProgram() { GuiEndProgram(&p); }
};

// The Windows path of a path relative to the build tree (VQ_BUILD_DIR, seen under Z:):
// "shots\\a.png" gives "Z:\\work\\out\\shots\\a.png". False when unset or too long for size.
bool GuiBuildTreePath(const char* relative, char* out, size_t size);

// ------------------------------------------------------------------ windows

// How GuiFindWindow compares captions; GuiMatchDialog may be added to accept only dialogs ("#32770").
enum GuiMatch { GuiMatchExact = 0, GuiMatchPrefix = 1, GuiMatchDialog = 2 };

// The first visible top-level window of process pid (0: any) whose caption matches, or NULL.
HWND GuiFindWindow(const char* caption, int match, DWORD pid);

// Polls GuiFindWindow for up to timeoutMs; NULL when none appeared.
HWND GuiWaitWindow(const char* caption, int match, DWORD pid, DWORD timeoutMs);

// True when the window is destroyed within timeoutMs.
bool GuiWaitWindowGone(HWND window, DWORD timeoutMs);

// A window's text (WM_GETTEXT, so an edit box's contents too), always zero-terminated. False when the
// window does not answer within 2 s or the text was cut to size.
bool GuiReadText(HWND window, char* text, size_t size);

// True when window's text equals text within timeoutMs; false also when the window is gone.
bool GuiWaitText(HWND window, const char* text, DWORD timeoutMs);

// The first descendant of parent with control id id, or NULL.
HWND GuiFindControl(HWND parent, int id);

// The first descendant whose text equals text, with or without its '&' markers ("&Yes" matches "Yes"),
// of class className (NULL: any); or NULL.
HWND GuiFindControlByText(HWND parent, const char* text, const char* className);

// A standard message box as the user sees it.
struct GuiMessageBox {
  char caption[256];
  char text[2048];  // the Static control 0xFFFF
  int firstButton;  // the id (IDOK, IDYES, ...) of the first visible button in Z order, 0 for none
};

// Reads a message box (a "#32770" with the Static 0xFFFF); false, *out zeroed, when box is none.
bool GuiReadMessageBox(HWND box, GuiMessageBox* out);

// ---------------------------------------------------------------- messages

// SendMessageTimeoutA with a 2 s limit, for messages the system carries across processes. True, with
// *result (may be NULL), when the window answered.
bool GuiAsk(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result);

// GuiAsk with lParam pointing to a copy of text placed in the target process: for WM_USER messages such
// as BFFM_SETSELECTIONA, whose pointers the system passes on unchanged.
bool GuiSendTextMessage(HWND window, UINT message, WPARAM wParam, const char* text, DWORD_PTR* result);

// ------------------------------------------------------------------- input

// Posts BM_CLICK to the descendant of parent with id id; false when there is none.
bool GuiClickButton(HWND parent, int id);

// Posts BM_CLICK to the first button whose label matches text as GuiFindControlByText does.
bool GuiClickButtonByText(HWND parent, const char* text);

// Posts WM_COMMAND with notification code for control id to parent, as the control would.
bool GuiNotifyCommand(HWND parent, int id, WORD code);

// A combo box's item count (-1 when it does not answer), and one item's text in the system code page
// (asked in UTF-16: Wine 8 answers CB_GETLBTEXTA across processes in UTF-16).
int GuiComboCount(HWND combo);
bool GuiComboText(HWND combo, int index, char* text, size_t size);

// Selects the first item beginning with text (CB_SELECTSTRING) and posts CBN_SELCHANGE to the parent.
bool GuiSelectComboItem(HWND combo, const char* text);

// Replaces a control's text (WM_SETTEXT, no key events).
bool GuiSetText(HWND control, const char* text);

// Posts one key press (WM_KEYDOWN, WM_KEYUP) of virtual key vk to window.
bool GuiPostKey(HWND window, WORD vk);

// Posts WM_CLOSE (a message box takes it as Cancel).
bool GuiCloseWindow(HWND window);

// Posts a left click at client position (x, y); twice adds WM_LBUTTONDBLCLK and WM_LBUTTONUP.
bool GuiPostClickAt(HWND window, int x, int y, bool twice);

// Brings control's top-level window to the foreground and gives control the focus; true when it has it.
bool GuiFocusControl(HWND control);

// Real key input (SendInput) to the foreground focus: a press of each virtual key, or text typed as
// Unicode characters. False when the system did not take every event.
bool GuiPressKeys(const WORD* keys, int count);
bool GuiTypeKeys(const char* text);

// ------------------------------------------------------ list and tree views

// A list view's item count (-1 when it does not answer).
int GuiListViewCount(HWND list);

// Text of a cell (subItem 0 first); false when it was cut or could not be read.
bool GuiListViewText(HWND list, int item, int subItem, char* text, size_t size);

// An item's image index (I_IMAGECALLBACK is -1); -2 when the view does not answer.
int GuiListViewImage(HWND list, int item);

// Selects and focuses one item as a user would (the view sends LVN_ITEMCHANGED).
bool GuiSelectListViewItem(HWND list, int item);

// A cell's client rectangle (LVM_GETSUBITEMRECT): the label of column 0, the whole cell of later ones.
bool GuiListViewItemRect(HWND list, int item, int subItem, RECT* rect);

// One item of a tree view, as GuiReadTreeView reports it.
struct GuiTreeItem {
  HTREEITEM handle;  // for TVM_ messages to the view
  int level;         // 0 for a root item
  UINT state;        // TVIS_ bits and the state image index
  char text[260];    // cut to fit
};

// Stores at most capacity items, depth first, collapsed branches too; returns how many there are, or
// -1 when the view cannot be read.
int GuiReadTreeView(HWND tree, GuiTreeItem* out, int capacity);

// Selects an item (TVM_SELECTITEM, with the view's notifications).
bool GuiSelectTreeItem(HWND tree, HTREEITEM item);

// An item's client rectangle, its text only or the whole row; false for an item in a collapsed branch.
bool GuiTreeItemRect(HWND tree, HTREEITEM item, bool textOnly, RECT* rect);

// -------------------------------------------------------------- screenshots

// Writes the screen area of window (GetWindowRect) as an 8-bit RGB PNG to an absolute path.
bool GuiSaveWindowShot(HWND window, const char* pngPath);

// The screen's colour at client position (x, y) of window, as shown.
bool GuiPixelAt(HWND window, int x, int y, COLORREF* colour);

#endif
