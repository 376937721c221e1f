// File services shared by the builder and the packer: what exists, sizes,
// the running program's own path. The pure text services are shell/text.h.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "shell/text.h"

// With "*" or "?" in the path: true when a directory entry matches the
// pattern. Otherwise true when the path names a file or a folder.
bool PathExists(const char* path);

// The low 32 bits of the size of the first entry a listing of the path
// returns; 0 for an empty path, when nothing matches, or for a folder.
uint32_t ListedFileSize(const char* path);

// Folder of the running executable with a trailing backslash, and the file
// name behind it. Return false when the result does not fit.
bool AppFolder(char* out, size_t outSize);
bool AppFileName(char* out, size_t outSize);
