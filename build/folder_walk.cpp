#include "build/folder_walk.h"

#include <string.h>

#include "base/text.h"
#include "platform/platform.h"

namespace {

// Only the folder's own entries are left out. Other names ending with a dot
// cannot exist on Windows; where they can, they are files like any other.
bool IsFolderSelfOrParent(const char* name) {
  return strcmp(name, ".") == 0 || strcmp(name, "..") == 0;
}

// folder + "\" when it has none (an empty folder too: "\*" lists nothing).
bool WithTrailingBackslash(const char* folder, char* out, size_t outSize) {
  return CopyText(out, outSize, folder) && (out[0] ? AddTrailingBackslash(out, outSize)
                                                   : CopyText(out, outSize, "\\"));
}

bool PathTooLong(const FolderVisitor* visitor, const char* cutPath) {
  return !visitor->pathTooLong || visitor->pathTooLong(visitor->context, cutPath);
}

bool NameNotUtf8(const FolderVisitor* visitor, const char* path) {
  return !visitor->nameNotUtf8 || visitor->nameNotUtf8(visitor->context, path);
}

}  // namespace

bool WalkFolder(const char* folderText, const FolderVisitor* visitor) {
  char folder[VQ_TEXT_SIZE];
  char pattern[VQ_TEXT_SIZE];
  if (!WithTrailingBackslash(folderText, folder, sizeof folder) ||
      !CopyText(pattern, sizeof pattern, folder) || !AppendText(pattern, sizeof pattern, "*")) {
    return PathTooLong(visitor, folder);
  }
  PlatformFindData item;
  PlatformFind* find = PlatformFindFirstUtf8(pattern, &item);
  if (!find) return true;
  bool ok = true;
  do {
    if (IsFolderSelfOrParent(item.name)) continue;
    char path[VQ_TEXT_SIZE];
    if (!CopyText(path, sizeof path, folder) || !AppendText(path, sizeof path, item.name)) {
      ok = PathTooLong(visitor, path);
    } else if (!item.nameExact) {
      ok = NameNotUtf8(visitor, path);
    } else if (item.isFolder) {
      ok = (!visitor->folder || visitor->folder(visitor->context, path)) &&
           WalkFolder(path, visitor);
    } else {
      ok = !visitor->file || visitor->file(visitor->context, path, item.size);
    }
  } while (ok && PlatformFindNextUtf8(find, &item));
  PlatformFindClose(find);
  return ok;
}
