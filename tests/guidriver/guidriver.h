// GUI test driver: lets a Windows GoogleTest program start another program
// under Wine and work its windows the way a user would, from outside its
// process. Plain functions, results instead of exceptions. Link
// vq_guidriver (win32 preset only).
//
// Typical use, an error box answered:
//   GuiProgram app;  // ends the program when the test leaves, pass or fail
//   ASSERT_TRUE(GuiStartProgram("\"Z:\\...\\packed.exe\" /x", folder, &app.p));
//   HWND box = GuiWaitWindow("ERROR #", GuiMatchPrefix, app.p.pid, 10000);
//   ASSERT_NE(box, nullptr);
//   GuiMessageBox msg;
//   ASSERT_TRUE(GuiReadMessageBox(box, &msg));  // msg.caption, msg.text
//   EXPECT_EQ(GuiMessageBoxIcon(box), MB_ICONERROR);
//   GuiClickButton(box, IDOK);
//   DWORD code;
//   ASSERT_TRUE(GuiWaitProgram(&app.p, 10000, &code));
// A dialog built by the program: GuiWaitWindow by its caption, then
// GuiFindControl(dialog, id) for each control, GuiSetText/GuiClickButton on
// them. A wizard page replaced by the next one with the same caption:
// GuiWaitWindowGone(oldPage, ...) and then GuiWaitWindow again.
// The standard dialogs under Wine 8: a file dialog's name box is
// GuiFindControlOfClass(box, 0x47C, "Edit"), its OK button IDOK; the
// browse-for-folder dialog ("Browse for Folder") has its prompt in 0x3742,
// its tree in 0x3741, goes to a path with GuiSendTextMessage(box,
// BFFM_SETSELECTIONA, TRUE, path, NULL), and takes IDOK or IDCANCEL.
//
// What works under Wine 8 (Xvfb, no window manager), relied on by the
// builder's and the extractor's window tests:
// - Clicks are posted (BM_CLICK to the button, or WM_COMMAND to its parent),
//   never sent: a click that opens a modal box would block a sent message
//   until the box is answered.
// - Posted WM_KEYDOWN/WM_KEYUP reach the window they are posted to without
//   any focus; the target's IsDialogMessage sees them too, so Enter and
//   Escape posted to a dialog's control act as if typed.
// - Real input (SendInput) goes to the focus window of the foreground thread.
//   GuiFocusControl makes a control of another process the foreground focus
//   (SetForegroundWindow, then SetFocus through AttachThreadInput); after it,
//   GuiTypeKeys/GuiPressKeys type into that control.
// - The screen is captured through GDI: BitBlt from GetDC(NULL) returns what
//   Xvfb shows. The Wine bench makes top-level windows unmanaged (Wine would
//   otherwise wait 2 s for a window manager on every closed window), so Wine
//   draws their frames and captions itself and screenshots show them.
// - Another process's list view and tree view are read through a buffer
//   allocated in that process (VirtualAllocEx), since their messages carry
//   pointers that the system does not carry across. Both sides are built
//   alike, so the local LVITEMA/TVITEMA layouts are the target's layouts.
#ifndef VQ_TESTS_GUIDRIVER_H
#define VQ_TESTS_GUIDRIVER_H

#include <windows.h>
#include <commctrl.h>
#include <stddef.h>

// ---------------------------------------------------------------- processes

// One program started by the driver. All zero when not started.
struct GuiProcess {
  HANDLE process;
  HANDLE thread;
  DWORD pid;
};

// Starts commandLine (the program first, quoted when its path has blanks) in
// workFolder (NULL: the caller's current folder), shown normally, with the
// null device as its standard input, output and error: under Wine, a started
// program and the desktop and service processes Wine starts from it and
// keeps running would otherwise hold the test's output pipes, and ctest
// would wait for them until its timeout. (A test that starts programs with
// CreateProcessA itself should do the same.)
// Returns true and fills *out; false when CreateProcessA fails (*out is then
// all zero and GetLastError tells why).
bool GuiStartProgram(const char* commandLine, const char* workFolder, GuiProcess* out);

// Waits up to timeoutMs for the program to end.
// Returns true and sets *exitCode (may be NULL) when it has ended; false when
// it is still running after timeoutMs or was never started.
bool GuiWaitProgram(const GuiProcess* program, DWORD timeoutMs, DWORD* exitCode);

// Ends the program if it is still running (TerminateProcess, exit code
// GuiKilledExitCode), waits for it and closes its handles; *program becomes
// all zero. Only ever touches the process the driver started.
// Returns true when the program had already ended by itself; false when it
// had to be terminated or was never started.
bool GuiEndProgram(GuiProcess* program);
const DWORD GuiKilledExitCode = 0xDEAD;

// Owns a GuiProcess for one test: a failed ASSERT that returns early still
// ends the program, so no stray process keeps the Wine bench busy.
struct GuiProgram {
  GuiProcess p = {};
  GuiProgram() = default;
  GuiProgram(const GuiProgram&) = delete;
  GuiProgram& operator=(const GuiProgram&) = delete;
  ~GuiProgram() { GuiEndProgram(&p); }
};

// Maps a path relative to the build tree (VQ_BUILD_DIR, a Unix path that
// Wine shows under Z:) to a Windows path, backslashes throughout:
// "shots\\a.png" in /work/out gives "Z:\\work\\out\\shots\\a.png".
// Returns false when VQ_BUILD_DIR is not set or the result does not fit size.
bool GuiBuildTreePath(const char* relative, char* out, size_t size);

// ------------------------------------------------------------------ windows

// How GuiFindWindow compares captions: GuiMatchExact or GuiMatchPrefix, to
// which these may be added:
// - GuiMatchHidden accepts windows that are not visible (the extractor's
//   progress window is hidden at first); without it only visible ones match.
// - GuiMatchDialog accepts only dialogs (class "#32770": dialog boxes,
//   message boxes, common dialogs), which tells a window with an empty
//   caption from the hidden helper windows a process may own.
enum GuiMatch { GuiMatchExact = 0, GuiMatchPrefix = 1, GuiMatchHidden = 2, GuiMatchDialog = 4 };

// The first top-level window whose caption matches (case-sensitive), of
// process pid (0: any process).
// Returns the window, or NULL when there is none.
HWND GuiFindWindow(const char* caption, int match, DWORD pid);

// Polls GuiFindWindow every 25 ms for up to timeoutMs.
// Returns the window, or NULL when none appeared in time.
HWND GuiWaitWindow(const char* caption, int match, DWORD pid, DWORD timeoutMs);

// Waits up to timeoutMs for the window to be destroyed.
// Returns true when it is gone; false when it still exists.
bool GuiWaitWindowGone(HWND window, DWORD timeoutMs);

// Reads a window's text with WM_GETTEXT (answered by the window's own
// thread, so an edit box's contents are read, not only captions).
// Returns true when the whole text fit into size; false when the window does
// not answer within 2 s, does not exist, or the text was cut (text then holds
// the cut text; it is always zero-terminated when size > 0).
bool GuiReadText(HWND window, char* text, size_t size);

// A child window as GuiListControls reports it.
struct GuiControl {
  HWND window;
  int id;              // GetDlgCtrlID
  char className[64];  // "Button", "Edit", "Static", "SysListView32", ...
  char text[512];      // WM_GETTEXT, cut to fit
  bool visible;        // the WS_VISIBLE style of the control itself
  bool enabled;
};

// Lists every descendant of parent in the order EnumChildWindows gives
// (Z order, depth first). Stores at most capacity of them.
// Returns the number of descendants, which may exceed capacity.
int GuiListControls(HWND parent, GuiControl* out, int capacity);

// The first descendant of parent with control id id.
// Returns it, or NULL when there is none.
HWND GuiFindControl(HWND parent, int id);

// The first descendant of parent with control id id and class className
// (case-insensitive). Wine's file dialogs nest a ComboBoxEx32, a ComboBox
// and an Edit all with id 0x47C: GuiFindControlOfClass(box, 0x47C, "Edit").
// Returns it, or NULL when there is none.
HWND GuiFindControlOfClass(HWND parent, int id, const char* className);

// Polls window's text (GuiReadText) every 25 ms until it equals text.
// Returns true when it did within timeoutMs; false otherwise or when the
// window is gone.
bool GuiWaitText(HWND window, const char* text, DWORD timeoutMs);

// The first descendant whose text equals text either exactly or with its
// '&' mnemonic markers removed ("&Yes" matches "&Yes" and "Yes"), and whose
// class is className (case-insensitive; NULL: any class).
// Returns it, or NULL when there is none.
HWND GuiFindControlByText(HWND parent, const char* text, const char* className);

// True when label equals text exactly or once the '&' markers of label are
// removed ("&&" stands for one '&').
bool GuiSameLabel(const char* label, const char* text);

// A standard message box as the user sees it.
struct GuiMessageBox {
  char caption[256];
  char text[2048];      // the Static control 0xFFFF
  int buttonCount;
  int buttonIds[8];     // IDOK, IDCANCEL, IDYES, IDNO, ... in Z order
  char buttons[8][64];  // their labels, "&Yes", "OK", ...
};

// Reads a message box (a #32770 window with the Static 0xFFFF).
// Returns true when box is one; false otherwise (*out is then zeroed).
bool GuiReadMessageBox(HWND box, GuiMessageBox* out);

// ---------------------------------------------------------------- messages

// Sends a message to a window of any process and waits up to 2 s for the
// answer (SendMessageTimeoutA, SMTO_ABORTIFHUNG). Only for messages whose
// parameters are plain numbers or that the system carries across processes
// (WM_GETTEXT, WM_SETTEXT, CB_GETLBTEXT, LB_GETTEXT, ...): BM_GETCHECK,
// TBM_GETPOS, PBM_GETPOS, CB_GETCURSEL, LVM_GETITEMCOUNT.
// Returns true and sets *result (may be NULL) when the window answered;
// false when it is no window or did not answer in time.
bool GuiAsk(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result);

// Sends a message whose lParam points to a zero-terminated text, with the
// text copied into the target process first: for messages from WM_USER up,
// which the system passes on unchanged (the browse-for-folder dialog's
// BFFM_SETSELECTIONA). Not for the system's own messages with texts
// (WM_SETTEXT, CB_SELECTSTRING, LB_FINDSTRING, ...): the system copies those
// itself, from the caller's memory, so use GuiAsk with a local text.
// Returns as GuiAsk; false also when the target's memory cannot be reached.
bool GuiSendTextMessage(HWND window, UINT message, WPARAM wParam, const char* text,
                        DWORD_PTR* result);

// Which standard icon a message box shows, by comparing its pixels on the
// screen with the system's icons (icon handles cannot be compared across
// processes); the box must not be covered.
// Returns MB_ICONERROR, MB_ICONWARNING, MB_ICONQUESTION or
// MB_ICONINFORMATION; 0 when the box shows no icon; -1 when the screen
// cannot be read or the icon is none of these.
int GuiMessageBoxIcon(HWND box);

// ------------------------------------------------------------------- input

// Posts a click to the button (BM_CLICK); returns at once.
// Returns false when button is not a window.
bool GuiClickControl(HWND button);

// Clicks the descendant of parent with id id (BM_CLICK). A message box's
// buttons carry IDOK, IDYES, ...
// Returns false when there is no such control.
bool GuiClickButton(HWND parent, int id);

// Clicks the first button of parent whose label matches text (GuiSameLabel).
// Returns false when there is no such button.
bool GuiClickButtonByText(HWND parent, const char* text);

// Posts WM_COMMAND (BN_CLICKED, id) to parent as a button's click would,
// whether or not such a button exists or is enabled.
// Returns false when parent is not a window.
bool GuiCommand(HWND parent, int id);

// Posts WM_COMMAND (code, id) to parent as control id's notification would
// (EN_KILLFOCUS, CBN_SELENDOK, ...).
// Returns false when parent is not a window.
bool GuiNotifyCommand(HWND parent, int id, WORD code);

// Number of items in a combo box's list (CB_GETCOUNT).
// Returns the count, or -1 when the box does not answer.
int GuiComboCount(HWND combo);

// Text of one item of a combo box's list (CB_GETLBTEXT, asked in UTF-16:
// Wine 8 answers the ANSI form across processes in UTF-16), in the system
// code page.
// Returns false when there is no such item, it does not answer, or the text
// does not fit into size.
bool GuiComboText(HWND combo, int index, char* text, size_t size);

// Selects the first item whose text begins with text (CB_SELECTSTRING,
// case-insensitive) and posts CBN_SELCHANGE to the box's parent, as a
// choice in the list does. Other notifications (CBN_SELENDOK, CBN_CLOSEUP)
// are the caller's, with GuiNotifyCommand; real keys (GuiFocusControl,
// then GuiPressKeys VK_DOWN) make the box send its own.
// Returns false when no item matches or the box does not answer.
bool GuiSelectComboItem(HWND combo, const char* text);

// Replaces a control's text (WM_SETTEXT; no key events, no EN_CHANGE
// beyond what the control itself sends).
// Returns false when the window does not answer or refuses the text.
bool GuiSetText(HWND control, const char* text);

// Posts one key press (WM_KEYDOWN, then WM_KEYUP) of virtual key vk to
// window, focus or not; letters and digits also get their WM_CHAR from the
// target's TranslateMessage.
// Returns false when window is not a window.
bool GuiPostKey(HWND window, WORD vk);

// Posts WM_CLOSE to window (the close box; a message box takes it as its
// Cancel, when it has one).
// Returns false when window is not a window.
bool GuiCloseWindow(HWND window);

// Posts a left click (WM_LBUTTONDOWN, WM_LBUTTONUP; with twice, then
// WM_LBUTTONDBLCLK, WM_LBUTTONUP) at client position (x, y) of window.
// Returns false when window is not a window.
bool GuiPostClickAt(HWND window, int x, int y, bool twice);

// Makes control the keyboard focus of the foreground window, in whatever
// process it lives: brings its top-level window to the foreground and sets
// the focus through the target thread's input state.
// Returns true when GetFocus, seen from that input state, is control.
bool GuiFocusControl(HWND control);

// Real key input (SendInput) for the focus window of the foreground thread:
// one press and release of each virtual key, in order; a key may be combined
// with Shift, Ctrl or Alt by adding GuiShift, GuiCtrl or GuiAlt ('X' |
// GuiAlt presses a dialog's "E&xit").
// Returns false when the system did not take every event.
bool GuiPressKeys(const WORD* keys, int count);
const WORD GuiShift = 0x100;
const WORD GuiCtrl = 0x200;
const WORD GuiAlt = 0x400;

// Types text (system code page) as real key input (SendInput with
// KEYEVENTF_UNICODE) into the focus window of the foreground thread.
// Returns false when the system did not take every event.
bool GuiTypeKeys(const char* text);

// ------------------------------------------------------ list and tree views

// Number of items of a list view of any process.
// Returns the count, or -1 when the view does not answer.
int GuiListViewCount(HWND list);

// Text of item (row) and subItem (column, 0 first) of a list view of any
// process (LVM_GETITEMTEXTA through the target's memory).
// Returns true when the text was read and fit into size; false when the
// target cannot be opened or does not answer, or the text was cut.
bool GuiListViewText(HWND list, int item, int subItem, char* text, size_t size);

// Image index of an item (LVM_GETITEMA, LVIF_IMAGE); -1 is I_IMAGECALLBACK.
// Returns the index, or -2 when the view does not answer.
int GuiListViewImage(HWND list, int item);

// Heading of one column (LVM_GETCOLUMNA).
// Returns false when there is no such column, the view does not answer, or
// the text does not fit into size.
bool GuiListViewColumnText(HWND list, int column, char* text, size_t size);

// Selects and focuses one item (LVM_SETITEMSTATE; the view sends its
// LVN_ITEMCHANGED notifications as for a user's choice).
// Returns false when the view does not accept it.
bool GuiSelectListViewItem(HWND list, int item);

// The rectangle of one cell in the view's client coordinates: the label of
// column 0, or the whole cell of a later column (LVM_GETSUBITEMRECT). Its
// centre is where a user clicks: GuiPostClickAt(list, (r.left + r.right) / 2,
// (r.top + r.bottom) / 2, false).
// Returns false when the view does not answer or has no such cell.
bool GuiListViewItemRect(HWND list, int item, int subItem, RECT* rect);

// One item of a tree view, as GuiReadTreeView reports it.
struct GuiTreeItem {
  HTREEITEM handle;  // valid in the target process, for TVM_ messages
  int level;         // 0 for a root item
  UINT state;        // TVIS_ bits, state image index in TVIS_STATEIMAGEMASK
  char text[260];    // cut to fit
};

// Every item of a tree view of any process, depth first, collapsed branches
// included (whatever has been inserted). Stores at most capacity.
// Returns the number of items, which may exceed capacity; -1 when the
// target cannot be opened or an item cannot be read.
int GuiReadTreeView(HWND tree, GuiTreeItem* out, int capacity);

// Selects one item of a tree view of any process (TVM_SELECTITEM, which
// sends the view's selection notifications).
// Returns false when the view does not accept it.
bool GuiSelectTreeItem(HWND tree, HTREEITEM item);

// The rectangle of one item in the view's client coordinates: its text only,
// or (textOnly false) the whole row. A check box (state image) sits left of
// the text: about (r.left - 8, centre) for 16-pixel state images.
// Returns false when the view does not answer or the item is not visible
// (inside a collapsed branch).
bool GuiTreeItemRect(HWND tree, HTREEITEM item, bool textOnly, RECT* rect);

// -------------------------------------------------------------- screenshots

// Writes the screen area covered by window (GetWindowRect) as a PNG.
// Returns false when window is not a window, the screen cannot be read or
// the file written.
bool GuiSaveWindowShot(HWND window, const char* pngPath);

// Colour of the screen at client position (x, y) of window, as shown (a
// red outline drawn on a list view's cell is seen here, not in any state).
// Returns false when window is not a window or the screen cannot be read.
bool GuiPixelAt(HWND window, int x, int y, COLORREF* colour);

// Writes width x height pixels, rows top-down, 3 bytes each in R, G, B
// order, as an 8-bit RGB PNG (deflated with zlib).
// Returns false when the file cannot be written or memory runs out.
bool GuiWritePng(const char* pngPath, const unsigned char* rgb, int width, int height);

#endif
