// The builder's own computer as LocalVariablePath sees it (Windows only):
// what the Variables dialog shows beside each variable.
#include "pathvars/pathvars.h"

#ifdef _WIN32
#include <windows.h>

#include <string.h>

// The builder reads its values into 260 bytes: anything longer shows as
// missing rather than cut.
enum { LOCAL_PATH_SIZE = 260 };

static void KeepIfFits(DWORD got, char* out) {
  if (got == 0 || got >= LOCAL_PATH_SIZE) out[0] = 0;
}

static void LocalModuleFolder(char* out, size_t outSize) {
  char path[LOCAL_PATH_SIZE];
  DWORD got = GetModuleFileNameA(nullptr, path, sizeof path);
  KeepIfFits(got, path);
  char* slash = strrchr(path, '\\');
  if (slash) slash[1] = 0;
  lstrcpynA(out, path, (int)outSize);
}

static void LocalCurrentFolder(char* out, size_t outSize) {
  char path[LOCAL_PATH_SIZE];
  KeepIfFits(GetCurrentDirectoryA(sizeof path, path), path);
  lstrcpynA(out, path, (int)outSize);
}

static void LocalWindowsFolder(char* out, size_t outSize) {
  char path[LOCAL_PATH_SIZE];
  KeepIfFits(GetWindowsDirectoryA(path, sizeof path), path);
  lstrcpynA(out, path, (int)outSize);
}

static void LocalSystemFolder(char* out, size_t outSize) {
  char path[LOCAL_PATH_SIZE];
  KeepIfFits(GetSystemDirectoryA(path, sizeof path), path);
  lstrcpynA(out, path, (int)outSize);
}

static void LocalTempFolder(char* out, size_t outSize) {
  char path[LOCAL_PATH_SIZE];
  KeepIfFits(GetTempPathA(sizeof path, path), path);
  lstrcpynA(out, path, (int)outSize);
}

static void LocalShellFolder(const char* valueName, char* out, size_t outSize) {
  char path[LOCAL_PATH_SIZE];
  ReadShellFolder(valueName, path, sizeof path);
  lstrcpynA(out, path, (int)outSize);
}

static void LocalProgramFilesDir(char* out, size_t outSize) {
  char path[LOCAL_PATH_SIZE];
  ReadProgramFilesDir(path, sizeof path);
  lstrcpynA(out, path, (int)outSize);
}

static bool LocalPathExists(const char* path) {
  return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

// The display never resolves "*Command*" or browses: these only keep the
// record complete.
static const char* NoCommandTail() { return ""; }
static void NoBrowse(char* out, size_t outSize) {
  if (outSize > 0) out[0] = 0;
}
static bool AlwaysQuit() { return true; }

const PathVarSystem kLocalPathVarSystem = {
    LocalModuleFolder, LocalCurrentFolder, LocalWindowsFolder,   LocalSystemFolder,
    LocalTempFolder,   LocalShellFolder,   LocalProgramFilesDir, LocalPathExists,
    NoCommandTail,     NoBrowse,           AlwaysQuit,
};

#endif
