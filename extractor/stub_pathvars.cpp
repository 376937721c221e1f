// The running computer as the path variables see it from the stub: its
// folders read through the wide functions and handed on in UTF-8 (so that a
// user folder outside the system code page resolves), the packed
// executable's own arguments, the browse dialog and the quit question.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "extractor/errors.h"
#include "extractor/stub.h"
#include <string.h>

#include "pathvars/pathvars.h"
#include "base/text.h"

// The new browse dialog style (a button to make a folder) needs COM on this
// thread, started once.
static bool gComReady;

// Each folder is read into VQ_PATH_SIZE units and taken only whole: a
// longer value, or one that does not fit out, counts as missing rather
// than cut (a cut folder would be another folder).
static void KeepIfFits(DWORD got, const WCHAR* value, char* out, size_t outSize) {
  if (got == 0 || got >= VQ_PATH_SIZE || !NarrowToUtf8(value, out, outSize)) CopyText(out, outSize, "");
}

static void ModuleFolder(char* out, size_t outSize) {
  WCHAR path[VQ_PATH_SIZE];
  DWORD got = GetModuleFileNameW(nullptr, path, VQ_PATH_SIZE);
  if (got > 0 && got < VQ_PATH_SIZE) {
    while (got > 0 && path[got - 1] != '\\') --got;
    path[got] = 0;
  }
  KeepIfFits(got, path, out, outSize);
}

static void CurrentFolder(char* out, size_t outSize) {
  WCHAR path[VQ_PATH_SIZE];
  KeepIfFits(GetCurrentDirectoryW(VQ_PATH_SIZE, path), path, out, outSize);
}

static void WindowsFolder(char* out, size_t outSize) {
  WCHAR path[VQ_PATH_SIZE];
  KeepIfFits(GetWindowsDirectoryW(path, VQ_PATH_SIZE), path, out, outSize);
}

static void SystemFolder(char* out, size_t outSize) {
  WCHAR path[VQ_PATH_SIZE];
  KeepIfFits(GetSystemDirectoryW(path, VQ_PATH_SIZE), path, out, outSize);
}

static void TempFolder(char* out, size_t outSize) {
  WCHAR path[VQ_PATH_SIZE];
  KeepIfFits(GetTempPathW(VQ_PATH_SIZE, path), path, out, outSize);
}

// One REG_SZ value (no environment expansion), whole or not at all.
// Texts go into the stub in UTF-8 and are widened where they are used: half
// the bytes of UTF-16 literals.
static void RegistryFolder(HKEY root, const char* keyPath, const char* valueName, char* out,
                           size_t outSize) {
  WCHAR key[VQ_PATH_SIZE], name[64], path[VQ_PATH_SIZE + 1];
  DWORD type = 0, size = VQ_PATH_SIZE * sizeof(WCHAR);  // one unit spare for the zero
  HKEY handle;
  LONG status = ERROR_INVALID_NAME;
  if (WidenUtf8(keyPath, key, VQ_PATH_SIZE) && WidenUtf8(valueName, name, 64) &&
      RegOpenKeyExW(root, key, 0, KEY_QUERY_VALUE, &handle) == ERROR_SUCCESS) {
    status = RegQueryValueExW(handle, name, nullptr, &type, (BYTE*)path, &size);
    RegCloseKey(handle);
  }
  if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) size = 0;
  path[size / sizeof(WCHAR)] = 0;  // a stored value need not end in a zero
  WCHAR* end = path;
  while (*end) ++end;
  KeepIfFits((DWORD)(end - path), path, out, outSize);
}

static void ShellFolder(const char* valueName, char* out, size_t outSize) {
  RegistryFolder(HKEY_CURRENT_USER,
                 "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                 valueName, out, outSize);
}

static void ProgramFilesDir(char* out, size_t outSize) {
  RegistryFolder(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                 "ProgramFilesDir", out, outSize);
}

// GetFileAttributesW, or a listing when the path holds "*" or "?".
static bool StubPathExists(const char* path) {
  WCHAR wide[VQ_PATH_SIZE];
  if (!WidenUtf8(path, wide, VQ_PATH_SIZE)) return false;
  if (strchr(path, '*') || strchr(path, '?')) {  // strchr, not strpbrk: one import less
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(wide, &data);
    if (find == INVALID_HANDLE_VALUE) return false;
    FindClose(find);
    return true;
  }
  return GetFileAttributesW(wide) != INVALID_FILE_ATTRIBUTES;
}

// The own command line in UTF-8, read in UTF-16 so that no code page
// changes an argument on its way to the programs started. Room for the
// longest command line Windows passes (32767 units), so that none is lost;
// one too long for a launch entry is refused when it is resolved.
static char gCommandLine[3 * 32768];
static const char* StubCommandTail() {
  NarrowToUtf8(GetCommandLineW(), gCommandLine, sizeof gCommandLine);
  return CommandTailOf(gCommandLine);
}

static void BrowseForFolder(char* out, size_t outSize) {
  if (!gComReady) gComReady = SUCCEEDED(CoInitialize(nullptr));
  WCHAR display[MAX_PATH], title[128];
  WidenUtf8("Please select or create the folder where you would like to extract the files packed "
            "in this executable.",
            title, 128);
  BROWSEINFOW browse;
  ZeroMemory(&browse, sizeof browse);
  browse.hwndOwner = GetActiveWindow();
  browse.pszDisplayName = display;
  browse.lpszTitle = title;
  browse.ulFlags = BIF_NEWDIALOGSTYLE;
  out[0] = 0;
  LPITEMIDLIST chosen = SHBrowseForFolderW(&browse);
  if (!chosen) return;
  WCHAR path[MAX_PATH];
  if (SHGetPathFromIDListW(chosen, path)) NarrowToUtf8(path, out, outSize);
  CoTaskMemFree(chosen);
}

static bool ConfirmQuit() { return ShowErrorBox({STUB_ERROR_QUIT_QUESTION, 0}) == IDYES; }

const PathVarSystem kStubPathVarSystem = {
    ModuleFolder,    CurrentFolder,   WindowsFolder, SystemFolder, TempFolder, ShellFolder,
    ProgramFilesDir, StubPathExists,  StubCommandTail, BrowseForFolder, ConfirmQuit,
};
