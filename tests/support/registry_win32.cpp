#include "tests/support/registry_win32.h"

#include <string.h>

const char* const kShellFoldersKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

static bool SetRegistryText(HKEY root, const char* key, const char* name, const std::string& value) {
  HKEY handle;
  if (RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr) != 0)
    return false;
  // UTF-8 when it is well-formed (folders in any language), else the code page.
  std::wstring wide(value.size() + 1, L'\0'), wideName(strlen(name) + 1, L'\0');
  if (!MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, value.c_str(), -1, &wide[0], (int)wide.size()))
    MultiByteToWideChar(CP_ACP, 0, value.c_str(), -1, &wide[0], (int)wide.size());
  MultiByteToWideChar(CP_ACP, 0, name, -1, &wideName[0], (int)wideName.size());
  bool ok = RegSetValueExW(handle, wideName.c_str(), 0, REG_SZ, (const BYTE*)wide.c_str(),
                           (DWORD)(wcslen(wide.c_str()) + 1) * sizeof(wchar_t)) == 0;
  RegCloseKey(handle);
  return ok;
}

bool ReadRegistryValue(HKEY root, const char* key, const char* name, std::string* bytes, DWORD* type) {
  HKEY handle;
  if (RegOpenKeyExA(root, key, 0, KEY_QUERY_VALUE, &handle) != 0) return false;
  char buffer[4096];
  DWORD size = sizeof buffer;
  bool read = RegQueryValueExA(handle, name, nullptr, type, (BYTE*)buffer, &size) == 0;
  RegCloseKey(handle);
  if (read) bytes->assign(buffer, size);
  return read;
}

ScopedRegistryValue::ScopedRegistryValue(HKEY rootKey, const char* keyPath, const char* valueName,
                                         const std::string& value)
    : root(rootKey), key(keyPath), name(valueName) {
  had = ReadRegistryValue(root, keyPath, valueName, &saved, nullptr);
  if (had && !saved.empty() && saved.back() == 0) saved.pop_back();
  SetRegistryText(root, keyPath, valueName, value);
}

ScopedRegistryValue::~ScopedRegistryValue() {
  if (had) {
    SetRegistryText(root, key.c_str(), name.c_str(), saved);
    return;
  }
  HKEY handle;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_SET_VALUE, &handle) != 0) return;
  RegDeleteValueA(handle, name.c_str());
  RegCloseKey(handle);
}
