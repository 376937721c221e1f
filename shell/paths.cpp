#include "shell/paths.h"

#include "platform/platform.h"

#include <string.h>

static bool HasWildcard(const char* path) { return strpbrk(path, "*?") != nullptr; }

bool PathExists(const char* path) {
  if (HasWildcard(path)) {
    PlatformFindData data;
    PlatformFind* find = PlatformFindFirst(path, &data);
    PlatformFindClose(find);
    return find != nullptr;
  }
  PlatformFileInfo info;
  return PlatformGetFileInfo(path, &info);
}

uint32_t ListedFileSize(const char* path) {
  if (path[0] == '\0') return 0;
  PlatformFindData data;
  PlatformFind* find = PlatformFindFirst(path, &data);
  if (!find) return 0;
  PlatformFindClose(find);
  return data.isFolder ? 0 : (uint32_t)(data.size & 0xFFFFFFFFu);
}

// The module path split at its last backslash.
static bool ModulePathParts(const char** folderEnd, char* module, size_t moduleSize) {
  if (!PlatformModuleFileName(module, moduleSize)) return false;
  const char* slash = strrchr(module, '\\');
  *folderEnd = slash ? slash + 1 : module;
  return true;
}

bool AppFolder(char* out, size_t outSize) {
  char module[VQ_TEXT_SIZE];
  const char* folderEnd;
  if (!ModulePathParts(&folderEnd, module, sizeof module)) {
    CopyText(out, outSize, "");
    return false;
  }
  module[folderEnd - module] = '\0';
  return CopyText(out, outSize, module);
}

bool AppFileName(char* out, size_t outSize) {
  char module[VQ_TEXT_SIZE];
  const char* folderEnd;
  if (!ModulePathParts(&folderEnd, module, sizeof module)) {
    CopyText(out, outSize, "");
    return false;
  }
  return CopyText(out, outSize, folderEnd);
}
