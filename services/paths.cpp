#include "services/paths.h"

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

bool AbsolutePath(const char* path, char* out, size_t outSize) {
  bool drive = UpperAscii(path[0]) >= 'A' && UpperAscii(path[0]) <= 'Z' && path[1] == ':';
  if (drive || path[0] == '\\' || IsBlankText(path)) return CopyText(out, outSize, path);
  char folder[VQ_TEXT_SIZE];
  if (!PlatformCurrentFolder(folder, sizeof folder)) return CopyText(out, outSize, path);
  return CopyText(out, outSize, folder) && AppendText(out, outSize, path);
}

bool ReserveSiblingName(const char* path, char* out, size_t outSize) {
  size_t length = strlen(path);
  if (length == 0 || path[length - 1] == '\\' || !CopyText(out, outSize, path)) return false;
  for (const char* last = "~0123456789"; *last; ++last) {
    if (*last == path[length - 1]) continue;
    out[length - 1] = *last;
    if (PlatformCreateNewFile(out)) return true;
  }
  return false;
}

uint32_t ListedFileSize(const char* path) {
  if (path[0] == '\0') return 0;
  PlatformFindData data;
  PlatformFind* find = PlatformFindFirst(path, &data);
  if (!find) return 0;
  PlatformFindClose(find);
  return data.isFolder ? 0 : (uint32_t)(data.size & 0xFFFFFFFFu);
}

bool AppFolder(char* out, size_t outSize) {
  char module[VQ_TEXT_SIZE];
  if (!PlatformModuleFileName(module, sizeof module)) {
    CopyText(out, outSize, "");
    return false;
  }
  char* slash = strrchr(module, '\\');
  (slash ? slash + 1 : module)[0] = '\0';
  return CopyText(out, outSize, module);
}
