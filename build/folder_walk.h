// The walk of a source folder: every item below it, depth first, in listing
// order, each named by its full path in UTF-8 (PlatformFindFirstUtf8), so
// that every name reaches the archive exactly. The archive and the size sum
// both go through it, so they always see the same files.
#pragma once

#include <stdint.h>

// What the walk does at each item. Every function returns false to end the
// walk; a null function goes on.
struct FolderVisitor {
  void* context;
  // A folder below the top one, before its contents.
  bool (*folder)(void* context, const char* path);
  bool (*file)(void* context, const char* path, uint64_t listedSize);
  // A path that does not fit VQ_TEXT_SIZE, as far as it went: cut to fit it
  // would name another item, so the item is left out.
  bool (*pathTooLong)(void* context, const char* cutPath);
  // An item whose name has no exact UTF-8 form (PlatformFindData's
  // nameExact): no entry could carry it, so it is left out, a folder with
  // all it holds.
  bool (*nameNotUtf8)(void* context, const char* path);
};

// Walks every item below folder (UTF-8, with or without its trailing
// backslash). A folder that cannot be listed holds nothing. Returns false
// when a visitor function ended the walk, true otherwise.
bool WalkFolder(const char* folder, const FolderVisitor* visitor);
