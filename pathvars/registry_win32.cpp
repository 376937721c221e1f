// The two registry sources of the path variables. Query access only: the
// variables are read, never written.
#include "pathvars/pathvars.h"

#include <windows.h>

// Reads one REG_SZ value; out is always zero-terminated, empty on failure
// (a stored value need not end in a zero).
static bool ReadRegistryText(HKEY root, const char* keyPath, const char* valueName, char* out,
                             size_t outSize) {
  if (outSize == 0) return false;
  out[0] = 0;
  HKEY key;
  if (RegOpenKeyExA(root, keyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
  DWORD type = 0;
  DWORD size = (DWORD)(outSize - 1);
  LONG status = RegQueryValueExA(key, valueName, nullptr, &type, (BYTE*)out, &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
    out[0] = 0;
    return false;
  }
  out[size < outSize ? size : outSize - 1] = 0;
  return out[0] != 0;
}

bool ReadShellFolder(const char* valueName, char* out, size_t outSize) {
  return ReadRegistryText(HKEY_CURRENT_USER,
                          "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                          valueName, out, outSize);
}

bool ReadProgramFilesDir(char* out, size_t outSize) {
  return ReadRegistryText(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                          "ProgramFilesDir", out, outSize);
}
