// The running computer as the path variables see it from the stub: the
// shared Windows lookups, the packed executable's own arguments, the browse
// dialog and the quit question.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "extractor/errors.h"
#include "extractor/stub.h"
#include "pathvars/system_win32.h"
#include "base/text.h"

// The new browse dialog style (a button to make a folder) needs COM on this
// thread, started once.
static bool gComReady;

// The own command line in UTF-8, read in UTF-16 so that no code page
// changes an argument on its way to the programs started.
static char gCommandLine[3 * VQ_TEXT_SIZE];
static const char* StubCommandTail() {
  NarrowToUtf8(GetCommandLineW(), gCommandLine, sizeof gCommandLine);
  return CommandTailOf(gCommandLine);
}

static void BrowseForFolder(char* out, size_t outSize) {
  if (!gComReady) gComReady = SUCCEEDED(CoInitialize(nullptr));
  char display[MAX_PATH];
  BROWSEINFOA browse;
  ZeroMemory(&browse, sizeof browse);
  browse.hwndOwner = GetActiveWindow();
  browse.pszDisplayName = display;
  browse.lpszTitle =
      "Please select or create the folder where you would like to extract the files packed in "
      "this executable.";
  browse.ulFlags = BIF_NEWDIALOGSTYLE;
  out[0] = 0;
  LPITEMIDLIST chosen = SHBrowseForFolderA(&browse);
  if (!chosen) return;
  char path[MAX_PATH];
  if (SHGetPathFromIDListA(chosen, path)) CopyText(out, outSize, path);
  CoTaskMemFree(chosen);
}

static bool ConfirmQuit() { return ShowErrorBox({STUB_ERROR_QUIT_QUESTION, 0}) == IDYES; }

const PathVarSystem kStubPathVarSystem = {
    Win32ModuleFolder, Win32CurrentFolder, Win32WindowsFolder,   Win32SystemFolder,
    Win32TempFolder,   Win32ShellFolder,   Win32ProgramFilesDir, Win32PathExists,
    StubCommandTail,   BrowseForFolder,    ConfirmQuit,
};
