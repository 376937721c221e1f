// File services shared by the builder and the packer: what exists, sizes,
// the running program's own path. The pure text services are base/text.h.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "base/text.h"

// With "*" or "?" in the path: true when a directory entry matches the
// pattern. Otherwise true when the path names a file or a folder.
bool PathExists(const char* path);

// A relative path (one that begins with neither a backslash nor a drive
// such as "C:") joined to the current folder, so that it keeps naming the
// same place when the current folder moves; any other text, a blank one
// too, as it is. Returns false when cut to fit.
bool AbsolutePath(const char* path, char* out, size_t outSize);

// Takes a name in path's own folder for a file that is to replace path: path
// with its last character changed ("Demo.exe" gives "Demo.ex~"), so that it
// fits wherever path fits and a move onto path never crosses drives. The
// name is created as an empty file, never over anything that exists.
// Returns false when no such name could be had.
bool ReserveSiblingName(const char* path, char* out, size_t outSize);

// The low 32 bits of the size of the first entry a listing of the path
// returns; 0 for an empty path, when nothing matches, or for a folder.
uint32_t ListedFileSize(const char* path);

// Folder of the running executable with a trailing backslash. false when it
// does not fit.
bool AppFolder(char* out, size_t outSize);
