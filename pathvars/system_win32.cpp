// The running Windows computer as the path variables see it, for the builder
// (what the Variables dialog shows) and the extractor stub alike.
#include "pathvars/system_win32.h"

#include <windows.h>

#include <string.h>

#include "base/text.h"

// Every value is read into VQ_PATH_SIZE bytes and taken only whole: a
// longer value, or one that does not fit out, counts as missing rather than
// cut (a cut folder would be another folder).
static void KeepIfFits(DWORD got, const char* value, char* out, size_t outSize) {
  if (got == 0 || got >= VQ_PATH_SIZE || !CopyText(out, outSize, value)) CopyText(out, outSize, "");
}

void Win32ModuleFolder(char* out, size_t outSize) {
  char path[VQ_PATH_SIZE];
  DWORD got = GetModuleFileNameA(nullptr, path, sizeof path);
  if (got > 0 && got < sizeof path) {
    char* slash = strrchr(path, '\\');
    if (slash) slash[1] = 0;
    got = (DWORD)strlen(path);
  }
  KeepIfFits(got, path, out, outSize);
}

void Win32CurrentFolder(char* out, size_t outSize) {
  char path[VQ_PATH_SIZE];
  KeepIfFits(GetCurrentDirectoryA(sizeof path, path), path, out, outSize);
}

void Win32WindowsFolder(char* out, size_t outSize) {
  char path[VQ_PATH_SIZE];
  KeepIfFits(GetWindowsDirectoryA(path, sizeof path), path, out, outSize);
}

void Win32SystemFolder(char* out, size_t outSize) {
  char path[VQ_PATH_SIZE];
  KeepIfFits(GetSystemDirectoryA(path, sizeof path), path, out, outSize);
}

void Win32TempFolder(char* out, size_t outSize) {
  char path[VQ_PATH_SIZE];
  KeepIfFits(GetTempPathA(sizeof path, path), path, out, outSize);
}

void Win32ShellFolder(const char* valueName, char* out, size_t outSize) {
  char path[VQ_PATH_SIZE];
  ReadShellFolder(valueName, path, sizeof path);
  KeepIfFits((DWORD)strlen(path), path, out, outSize);
}

void Win32ProgramFilesDir(char* out, size_t outSize) {
  char path[VQ_PATH_SIZE];
  ReadProgramFilesDir(path, sizeof path);
  KeepIfFits((DWORD)strlen(path), path, out, outSize);
}

bool Win32PathExists(const char* path) {
  if (strpbrk(path, "*?")) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(path, &data);
    if (find == INVALID_HANDLE_VALUE) return false;
    FindClose(find);
    return true;
  }
  return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}
