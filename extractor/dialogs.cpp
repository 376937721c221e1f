// The extractor's windows, built from templates in memory: the progress
// window, the password and replace dialogs, and the box of a numbered error.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "extractor/errors.h"
#include "extractor/stub.h"
#include "base/text.h"

enum {
  STYLE_A = 0x90C00A04,  // popup, visible, caption, centred, foreground, 3-D look
  STYLE_B = 0x90C80A04,  // style A with a system menu and close box
  EX_STATIC_TOOL = 0x20080,
  EX_STATIC = 0x20000,
  ICON_PROGRAM = 8001,
  ICON_PASSWORD = 8002,
};

// Pixels for 4 x 8 dialog units of the window being initialised.
static RECT gScale;
static DWORD gTemplate[128];  // the template of the window being built
// What the progress window shows, position + 1; 0 before its first showing
// (kept out of .data).
static uint32_t gShownPlusOne;
static DWORD gUpdatedAt;  // when the window last repainted and let its messages through
static const WCHAR* gReplacePath;  // the file the replace dialog asks about
static HICON gReplaceIcon;
static char gSystemText[VQ_TEXT_SIZE], gErrorText[VQ_TEXT_SIZE];  // an error box's texts

// ---------------------------------------------------------------- templates

// A template with no controls, no menu, the default class and no font (the
// system font sets the dialog unit). The caption goes in as UTF-16.
static const DLGTEMPLATE* BuildTemplate(const char* caption, short width, short height,
                                        DWORD style, DWORD exStyle) {
  DLGTEMPLATE* dialog = (DLGTEMPLATE*)gTemplate;
  ZeroMemory(gTemplate, sizeof gTemplate);
  dialog->style = style;
  dialog->dwExtendedStyle = exStyle;
  dialog->cx = width;
  dialog->cy = height;
  WORD* words = (WORD*)(dialog + 1);
  words[0] = 0;  // no menu
  words[1] = 0;  // default dialog class
  MultiByteToWideChar(CP_ACP, 0, caption, -1, (WCHAR*)(words + 2),
                      (int)(sizeof gTemplate - sizeof *dialog) / 2 - 3);
  return dialog;
}

static INT_PTR ShowModal(DLGPROC procedure, const char* caption, HWND owner, short width,
                         short height, DWORD style, DWORD exStyle) {
  return DialogBoxIndirectParamA(gRun.instance,
                                 BuildTemplate(caption, width, height, style, exStyle), owner,
                                 procedure, 0);
}

// Centres the window in the work area and takes its dialog scale.
static void BeginWindow(HWND window) {
  RECT area, box;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  GetWindowRect(window, &box);
  SetWindowPos(window, nullptr, area.left + (area.right - area.left - (box.right - box.left)) / 2,
               area.top + (area.bottom - area.top - (box.bottom - box.top)) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  gScale.left = gScale.top = 0;
  gScale.right = 4;
  gScale.bottom = 8;
  MapDialogRect(window, &gScale);
}

// One visible child control at a position in dialog units, with the default
// GUI font.
static HWND AddControl(HWND parent, const char* className, const char* text, DWORD style,
                       DWORD exStyle, int id, int x, int y, int width, int height) {
  HWND control = CreateWindowExA(exStyle, className, text, WS_CHILD | WS_VISIBLE | style,
                                 x * gScale.right / 4, y * gScale.bottom / 8,
                                 width * gScale.right / 4, height * gScale.bottom / 8, parent,
                                 (HMENU)(INT_PTR)id, gRun.instance, nullptr);
  SendMessageA(control, WM_SETFONT, (WPARAM)GetStockObject(DEFAULT_GUI_FONT), FALSE);
  return control;
}

static HWND AddButton(HWND parent, const char* text, int id, int x, int y, int width) {
  return AddControl(parent, "Button", text, BS_PUSHBUTTON | BS_MULTILINE | WS_TABSTOP, 0, id, x, y,
                    width, 12);
}

static HWND AddIcon(HWND parent, int id, int x, int y, HICON icon) {
  HWND control = AddControl(parent, "Static", "", SS_ICON, 0, id, x, y, 0, 0);
  SendMessageA(control, STM_SETICON, (WPARAM)icon, 0);
  return control;
}

static HICON LoadStubIcon(int id, int size) {
  return (HICON)LoadImageA(gRun.instance, MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0);
}

// ---------------------------------------------------------------- progress

static INT_PTR CALLBACK ProgressProcedure(HWND window, UINT message, WPARAM, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: {
      BeginWindow(window);
      AddControl(window, "Static", "Extracting files...", 0, 0, 1, 32, 9, 40, 8);
      gRun.progressPercent = AddControl(window, "Static", "", SS_CENTER, 0, 1, 72, 9, 15, 8);
      HWND icon = AddIcon(window, 2, 7, 15, LoadStubIcon(ICON_PROGRAM, 24));
      // SetWindowPos, not MoveWindow: one import less.
      SetWindowPos(icon, nullptr, 8, 16, 48, 48, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
      gRun.progressBar = AddControl(window, PROGRESS_CLASSA, "", 0, 0, 3, 32, 19, 160, 12);
      SendMessageA(gRun.progressBar, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
      SendMessageA(gRun.progressBar, PBM_SETSTEP, 1, 0);
      return TRUE;
    }
    case WM_CLOSE: DestroyWindow(window); return TRUE;
    case WM_DESTROY: gRun.progress = nullptr; return FALSE;
  }
  return FALSE;
}

void CreateProgressWindow() {
  gRun.progress = CreateDialogIndirectParamA(
      gRun.instance, BuildTemplate("", 199, 38, STYLE_A, EX_STATIC_TOOL), nullptr,
      ProgressProcedure, 0);
}

static void ShowProgressAt(HWND window, uint32_t position) {
  gShownPlusOne = position + 1;
  // Coming up, the whole window is painted; while it stays up, only the bar
  // and the percentage, which invalidate themselves.
  if (!IsWindowVisible(window)) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
    ShowWindow(window, SW_SHOW);
  }
  SendMessageA(gRun.progressBar, PBM_SETPOS, position, 0);
  char percent[16];
  FormatPercent(position, percent);
  SendMessageA(gRun.progressPercent, WM_SETTEXT, 0, (LPARAM)percent);  // as SetWindowTextA, one import less
  UpdateWindow(window);
  GdiFlush();  // on the screen whole before any message is answered
}

void HideProgress() {
  HWND window = gRun.progress;
  if (!window) return;
  // The last percentage is seen before the window goes, however fast it came.
  uint32_t position = ProgressPosition32(gRun.extractedBytes, gRun.settings.unzipSize);
  if (IsWindowVisible(window) && position + 1 != gShownPlusOne) ShowProgressAt(window, position);
  ShowWindow(window, SW_HIDE);
}

static void DispatchPendingMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

void UpdateProgress() {
  HWND window = gRun.progress;
  bool visible = IsWindowVisible(window);
  // On a remote or emulated display a look at the message queue costs more
  // than writing a small entry, and a repaint more than a chunk: while the
  // window is up, both wait until the last ones are a few tens of
  // milliseconds old. Coming up, the window is painted at once.
  DWORD now = GetTickCount();
  if (visible && now - gUpdatedAt < STUB_PROGRESS_REPAINT_MS) return;
  gUpdatedAt = now;
  // The queue is emptied before the painting as well: Wine pushes a window
  // that paints after a long busy stretch to the screen in parts (a new bar
  // beside an old percentage), one that paints right after an empty queue
  // whole.
  DispatchPendingMessages();
  uint32_t position = ProgressPosition32(gRun.extractedBytes, gRun.settings.unzipSize);
  if (!visible || position + 1 != gShownPlusOne) ShowProgressAt(window, position);
  DispatchPendingMessages();
}

// ---------------------------------------------------------------- password

enum { ID_PASSWORD_OK = 6, ID_PASSWORD_CANCEL = 7, ID_PASSWORD_EDIT = 8 };

static INT_PTR CALLBACK PasswordProcedure(HWND window, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: {
      BeginWindow(window);
      HICON icon = LoadStubIcon(ICON_PASSWORD, 32);
      SendMessageA(window, WM_SETICON, ICON_BIG, (LPARAM)icon);
      AddControl(window, "Static",
                 "This executable is password protected. Please enter the password in the box "
                 "below.",
                 0, 0, 4, 24, 4, 100, 20);
      AddControl(window, "Static", "Password:", 0, 0, 5, 24, 32, 28, 8);
      AddButton(window, "&OK", ID_PASSWORD_OK, 132, 8, 36);
      AddButton(window, "&Cancel", ID_PASSWORD_CANCEL, 132, 28, 36);
      HWND edit = AddControl(window, "Edit", "", ES_PASSWORD | ES_AUTOHSCROLL | WS_TABSTOP,
                             WS_EX_CLIENTEDGE, ID_PASSWORD_EDIT, 52, 29, 77, 12);
      SendMessageA(edit, EM_SETPASSWORDCHAR, '*', 0);
      // The password buffer holds 2047 characters; longer input is cut.
      SendMessageA(edit, EM_LIMITTEXT, VQ_TEXT_SIZE - 1, 0);
      AddIcon(window, 9, 4, 6, icon);
      SetFocus(edit);
      return FALSE;
    }
    case WM_COMMAND:
      // Neither button carries IDOK or IDCANCEL, so Enter and Escape do
      // nothing here.
      if (LOWORD(wParam) == ID_PASSWORD_OK) {
        GetDlgItemTextA(window, ID_PASSWORD_EDIT, gRun.password, sizeof gRun.password);
        EndDialog(window, 1);
      } else if (LOWORD(wParam) == ID_PASSWORD_CANCEL) {
        EndDialog(window, 0);
      }
      return TRUE;
    case WM_CLOSE: EndDialog(window, 0); return TRUE;
  }
  return FALSE;
}

StubResult AskPassword() {
  if (ShowModal(PasswordProcedure, "Password needed.", gRun.progress, 172, 48, STYLE_B,
                EX_STATIC) != 1)
    return {STUB_END_CANCELLED, 0};
  return {};
}

// ---------------------------------------------------------------- replace

static INT_PTR CALLBACK ReplaceProcedure(HWND window, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: {
      HideProgress();
      BeginWindow(window);
      AddControl(window, "Button", "", BS_GROUPBOX, 0, 10, 4, 2, 167, 66);
      AddControl(window, "Static", "Would you like to replace the following file?", 0, 0, 11, 35,
                 8, 105, 8);
      // The path in UTF-16, so that the box shows every name the system can.
      SetWindowTextW(AddControl(window, "Static", "", SS_CENTERIMAGE, 0, 12, 27, 18, 137, 25),
                     gReplacePath);
      SHFILEINFOW file;
      ZeroMemory(&file, sizeof file);
      SHGetFileInfoW(gReplacePath, FILE_ATTRIBUTE_NORMAL, &file, sizeof file,
                     SHGFI_ICON | SHGFI_USEFILEATTRIBUTES);
      gReplaceIcon = file.hIcon;
      AddIcon(window, 12, 8, 23, gReplaceIcon);
      AddButton(window, "&Yes", REPLACE_YES, 8, 50, 35);
      AddButton(window, "&No", REPLACE_NO, 47, 50, 35);
      AddButton(window, "Y&es to All", REPLACE_YES_TO_ALL, 92, 50, 35);
      AddButton(window, "N&o to All", REPLACE_NO_TO_ALL, 132, 50, 35);
      return TRUE;
    }
    case WM_COMMAND: {
      int id = LOWORD(wParam);
      if (id >= REPLACE_YES && id <= REPLACE_NO_TO_ALL) EndDialog(window, id);
      return TRUE;
    }
    case WM_CLOSE: EndDialog(window, REPLACE_CLOSED); return TRUE;
    case WM_DESTROY:
      if (gReplaceIcon) DestroyIcon(gReplaceIcon);
      gReplaceIcon = nullptr;
      return FALSE;
  }
  return FALSE;
}

ReplaceButton AskReplace(const WCHAR* path) {
  gReplacePath = path;
  INT_PTR button = ShowModal(ReplaceProcedure, "Confirm File Replace.", gRun.progress, 175, 73,
                             STYLE_A, EX_STATIC_TOOL);
  return button > 0 ? (ReplaceButton)button : REPLACE_CLOSED;
}

// ---------------------------------------------------------------- errors

int ShowErrorBox(StubResult result) {
  StubError code = result.error;
  if (!FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                      result.lastError, 0, gSystemText, sizeof gSystemText - 32, nullptr))
    gSystemText[0] = 0;
  FormatErrorText(code, gSystemText, gErrorText, sizeof gErrorText);
  char caption[48];
  FormatErrorCaption(code, caption, sizeof caption);

  StubErrorKind kind = StubErrorKindOf(code);
  UINT flags = MB_OK | MB_ICONERROR;
  if (kind == STUB_WARNING || kind == STUB_FINAL_WARNING) flags = MB_OK | MB_ICONWARNING;
  if (kind == STUB_QUESTION) flags = MB_YESNO | MB_ICONQUESTION;

  HideProgress();
  return MessageBoxA(nullptr, gErrorText, caption, flags);
}
