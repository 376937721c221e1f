// The standard dialogs and services the pages share: file and folder
// choosers, centring, the help file.
#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include <stdlib.h>

#include "shell/pages.h"
#include "shell/wizard_win32.h"

namespace {

bool gFileDialogPending;  // a file dialog is up and not yet centred

// Centres the file dialog on the desktop as soon as its WM_INITDIALOG is
// done, before it shows. A thread hook rather than the dialog's own hook
// procedure (OFN_ENABLEHOOK), which would make Vista and later show the old
// style of dialog. Not at HCBT_ACTIVATE: the dialog becomes active in the
// middle of its set-up, before it takes its final size.
LRESULT CALLBACK CentreFileDialog(int code, WPARAM wParam, LPARAM lParam) {
  const CWPRETSTRUCT* call = (const CWPRETSTRUCT*)lParam;
  char className[16] = "";
  if (code == HC_ACTION && gFileDialogPending && call->message == WM_INITDIALOG &&
      !(GetWindowLongA(call->hwnd, GWL_STYLE) & WS_CHILD) &&
      GetClassNameA(call->hwnd, className, sizeof className) &&
      lstrcmpA(className, "#32770") == 0) {
    gFileDialogPending = false;
    RECT screen;
    GetWindowRect(GetDesktopWindow(), &screen);
    CentreWithin(call->hwnd, screen);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

void AskFileName(const char* title, const char* filter, bool save, HWND owner, char* out,
                 size_t outSize) {
  if (outSize) out[0] = '\0';
  // The dialog's own buffer is large enough for any choice the user makes.
  const DWORD kChoiceSize = 500000;
  char* choice = (char*)calloc(kChoiceSize, 1);
  char filters[VQ_TEXT_SIZE + 1] = "", folder[VQ_TEXT_SIZE] = "";
  if (!choice) return;
  CopyText(filters, sizeof filters - 1, filter);
  for (char* c = filters; *c; ++c)
    if (*c == '|') *c = '\0';
  GetCurrentDirectoryA(sizeof folder, folder);
  OPENFILENAMEA dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filters;
  dialog.lpstrFile = choice;
  dialog.nMaxFile = kChoiceSize;
  dialog.lpstrInitialDir = folder;
  dialog.lpstrTitle = title;
  // The current folder stays where it was: relative paths the pages check
  // must not change meaning behind the user's back.
  dialog.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR;
  gFileDialogPending = true;
  HHOOK hook =
      SetWindowsHookExA(WH_CALLWNDPROCRET, CentreFileDialog, nullptr, GetCurrentThreadId());
  BOOL chosen;
  if (save) {
    chosen = GetSaveFileNameA(&dialog);
  } else {
    dialog.Flags |= OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NONETWORKBUTTON;
    chosen = GetOpenFileNameA(&dialog);
  }
  gFileDialogPending = false;
  if (hook) UnhookWindowsHookEx(hook);
  if (chosen) CopyText(out, outSize, choice);
  free(choice);
}

void AskFolder(const char* prompt, char* out, size_t outSize) {
  if (outSize) out[0] = '\0';
  char display[MAX_PATH] = "", path[MAX_PATH] = "";
  BROWSEINFOA browse = {};
  browse.hwndOwner = GetActiveWindow();
  browse.pszDisplayName = display;
  browse.lpszTitle = prompt;
  LPITEMIDLIST chosen = SHBrowseForFolderA(&browse);
  if (!chosen) return;
  if (SHGetPathFromIDListA(chosen, path)) CopyText(out, outSize, path);
  CoTaskMemFree(chosen);
}

namespace {

HWND gHelpOwner;  // the page whose Help button was pressed

void OpenHelpFromPage(const char* path, bool page) {
  if (page)
    ShellExecuteA(gHelpOwner, "open", path, nullptr, nullptr, SW_SHOWNORMAL);
  else
    WinHelpA(gHelpOwner, path, HELP_CONTENTS, 0);
}

}  // namespace

void ShowHelp(HWND page) {
  gHelpOwner = page;
  OpenHelp(OpenHelpFromPage);
}
