// Path and file services shared by the builder, the packer and the extractor.
// Byte strings of the system code page; Windows-style paths.
#pragma once

#include <stddef.h>
#include <stdint.h>

enum { VQ_TEXT_SIZE = 2048 };  // text buffers: 2047 characters and a zero

// "/" becomes "\", each pair of backslashes becomes one (scanning left to
// right, so three become two and four become two), and a text that began with
// two backslashes (a network path) gets every backslash doubled afterwards.
// Writes at most outSize - 1 characters; returns false when the result was
// cut to fit.
bool NormalisePath(const char* text, char* out, size_t outSize);

// Cuts the file-name part (after the last backslash) before its first dot and
// appends `extension` (with its dot). Returns false when cut to fit outSize.
bool ForceExtension(const char* path, const char* extension, char* out, size_t outSize);

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

// Blanks, tabs, line feeds, vertical tabs and carriage returns.
bool IsTrimmedSpace(char c);
// Copies text without those characters at either end into out; returns false
// when cut to fit.
bool TrimText(const char* text, char* out, size_t outSize);
// True when the text holds nothing but those characters.
bool IsBlankText(const char* text);

// Copies src into out (size outSize); returns false when it was cut to fit.
bool CopyText(char* out, size_t outSize, const char* src);
// Appends src to the text in out; returns false when it was cut to fit.
bool AppendText(char* out, size_t outSize, const char* src);
