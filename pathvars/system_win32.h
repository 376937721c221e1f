// The Windows side of the path variables, shared by the builder and the
// extractor stub: the lookups of a PathVarSystem that read the running
// computer. Each writes the empty text when its value is missing or longer
// than VQ_PATH_SIZE - 1 characters, or does not fit out.
#pragma once

#include <stddef.h>

#include "pathvars/pathvars.h"

void Win32ModuleFolder(char* out, size_t outSize);  // with a trailing backslash
void Win32CurrentFolder(char* out, size_t outSize);
void Win32WindowsFolder(char* out, size_t outSize);
void Win32SystemFolder(char* out, size_t outSize);
void Win32TempFolder(char* out, size_t outSize);
void Win32ShellFolder(const char* valueName, char* out, size_t outSize);
void Win32ProgramFilesDir(char* out, size_t outSize);
// GetFileAttributesA, or a listing when the path holds "*" or "?".
bool Win32PathExists(const char* path);

// The builder's computer for LocalVariablePath: the lookups above; it never
// browses and has no arguments.
extern const PathVarSystem kLocalPathVarSystem;
