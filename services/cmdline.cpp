#include "services/cmdline.h"

#include "services/paths.h"

#include <string.h>

#include <string>

bool ProjectPathInTail(const char* tail, char* out, size_t outSize) {
  if (outSize) out[0] = '\0';
  if (tail[0] == '\0') return false;
  const char* quote = strchr(tail, '"');
  const char* start = quote ? quote + 1 : tail;
  const char* end = strchr(start, '"');
  size_t length = end ? (size_t)(end - start) : strlen(start);
  if (length + 1 > outSize) return false;
  memcpy(out, start, length);
  out[length] = '\0';
  return true;
}

void WriteRegistryString(PlatformRegistryRoot root, const char* keyPath, const char* valueName,
                         const char* text) {
  PlatformRegistrySetString(root, keyPath, valueName, text);
}

void RegisterProjectType(const char* extension, const char* builderPath, const char* typeName,
                         const char* description, const char* iconPath) {
  std::string type = typeName;
  std::string command = std::string("\"") + builderPath + "\" \"%1\"";
  WriteRegistryString(PLATFORM_HKEY_CLASSES_ROOT, extension, "", typeName);
  WriteRegistryString(PLATFORM_HKEY_CLASSES_ROOT, typeName, "", description);
  WriteRegistryString(PLATFORM_HKEY_CLASSES_ROOT, (type + "\\DefaultIcon").c_str(), "", iconPath);
  WriteRegistryString(PLATFORM_HKEY_CLASSES_ROOT, (type + "\\shell\\open\\command").c_str(), "",
                      command.c_str());
}
