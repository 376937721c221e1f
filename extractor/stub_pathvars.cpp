// The running computer as the path variables see it from the stub.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "extractor/stub.h"
#include "pathvars/pathvars.h"
#include "shell/cmdline.h"
#include "shell/paths.h"

bool StubPathExists(const char* path) {
  for (const char* p = path; *p; ++p) {
    if (*p == '*' || *p == '?') {
      WIN32_FIND_DATAA data;
      HANDLE find = FindFirstFileA(path, &data);
      if (find == INVALID_HANDLE_VALUE) return false;
      FindClose(find);
      return true;
    }
  }
  return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

// A system call that fills a buffer and returns the length it needed: the
// empty text when it failed or did not fit.
static void KeepIfFits(UINT got, char* out, size_t outSize) {
  if (got == 0 || got >= outSize) out[0] = 0;
}

static void ModuleFolder(char* out, size_t outSize) {
  CopyText(out, outSize, gRun.ownPath);
  char* slash = strrchr(out, '\\');
  if (slash) slash[1] = 0;
}

static void CurrentFolder(char* out, size_t outSize) {
  KeepIfFits(GetCurrentDirectoryA(STUB_PATH_SIZE, out), out, STUB_PATH_SIZE);
  (void)outSize;
}

static void WindowsFolder(char* out, size_t) {
  KeepIfFits(GetWindowsDirectoryA(out, STUB_PATH_SIZE), out, STUB_PATH_SIZE);
}

static void SystemFolder(char* out, size_t) {
  KeepIfFits(GetSystemDirectoryA(out, STUB_PATH_SIZE), out, STUB_PATH_SIZE);
}

static void TempFolder(char* out, size_t) {
  KeepIfFits(GetTempPathA(STUB_PATH_SIZE, out), out, STUB_PATH_SIZE);
}

static void ShellFolder(const char* valueName, char* out, size_t outSize) {
  ReadShellFolder(valueName, out, outSize);
}

static void ProgramFilesDir(char* out, size_t outSize) { ReadProgramFilesDir(out, outSize); }

static const char* StubCommandTail() { return CommandTailOf(GetCommandLineA()); }

static void BrowseForFolder(char* out, size_t outSize) {
  // The new dialog style (a button to make a folder) needs COM on this thread.
  static bool comReady = false;
  if (!comReady) comReady = SUCCEEDED(CoInitialize(nullptr));
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

static bool ConfirmQuit() { return ReportError(28) == IDYES; }

const PathVarSystem kStubPathVarSystem = {
    ModuleFolder, CurrentFolder, WindowsFolder, SystemFolder, TempFolder,    ShellFolder,
    ProgramFilesDir, StubPathExists, StubCommandTail, BrowseForFolder, ConfirmQuit,
};
