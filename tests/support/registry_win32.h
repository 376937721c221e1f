// A registry value a Windows test sets for its own run and puts back after.
#pragma once

#include <windows.h>

#include <string>

// Sets root\key\name to value (REG_SZ, creating the key); the destructor
// restores the value that was there, or deletes it when there was none.
struct ScopedRegistryValue {
  ScopedRegistryValue(HKEY root, const char* key, const char* name, const std::string& value);
  ~ScopedRegistryValue();
  ScopedRegistryValue(const ScopedRegistryValue&) = delete;
  ScopedRegistryValue& operator=(const ScopedRegistryValue&) = delete;
  HKEY root;
  std::string key, name, saved;
  bool had;
};

// The value's bytes as stored (a text with its zero byte) and its type; false when it cannot be read.
bool ReadRegistryValue(HKEY root, const char* key, const char* name, std::string* bytes, DWORD* type);

extern const char* const kShellFoldersKey;  // HKCU ...\Explorer\Shell Folders
