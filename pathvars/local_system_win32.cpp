// The builder's own computer as the Variables dialog shows it: the local
// values of the variables, without arguments and without browsing.
#include "pathvars/system_win32.h"

static const char* NoCommandTail() { return ""; }
static void NoBrowse(char* out, size_t outSize) {
  if (outSize > 0) out[0] = 0;
}
static bool AlwaysQuit() { return true; }

const PathVarSystem kLocalPathVarSystem = {
    Win32ModuleFolder, Win32CurrentFolder, Win32WindowsFolder,   Win32SystemFolder,
    Win32TempFolder,   Win32ShellFolder,   Win32ProgramFilesDir, Win32PathExists,
    NoCommandTail,     NoBrowse,           AlwaysQuit,
};
