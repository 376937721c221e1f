// The thin operating-system layer. Everything above it works on byte strings
// of the system code page (the source walk's UTF-8 paths aside) and on
// Windows-style paths with backslashes; the POSIX side maps "\" to "/" only
// where it calls the system. Both sides follow the same contracts, and the
// same test suites run against each.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "base/text.h"  // the shared limits (VQ_PATH_SIZE)

// ---------------------------------------------------------------- paths

// Copies a program path into the form the system calls take: "\" becomes
// "/" on POSIX (a leading drive such as "Z:" is dropped there); unchanged on
// Windows. Returns false when it does not fit in outSize (out then empty).
bool PlatformSystemPath(const char* path, char* out, size_t outSize);

// Full path of the running executable, program form (backslashes).
// Returns false when it does not fit.
bool PlatformModuleFileName(char* out, size_t outSize);


// The program's arguments (argv[1] on) as the code page calls take them.
// Windows hands a program its arguments in the code page, so that a name
// outside it arrives with "?" and names another file or none: such an
// argument is replaced by the short form of the existing path it names.
// Returns false, with *bad its index, for one that names no existing path
// and has no code page form; true on POSIX, where arguments are bytes.
bool PlatformSystemArguments(int argc, char** argv, int* bad);
// The process's command line by the same rule: as it is when the code page
// shows it exactly, else each argument anew, quoted, in its code page form
// (a short form where it names an existing path, "?" for the rest). false
// when it does not fit outSize, and on POSIX, whose programs take argv.
bool PlatformSystemCommandLine(char* out, size_t outSize);

// ---------------------------------------------------------------- files

struct PlatformFileInfo {
  bool isFolder;
  uint64_t size;  // 0 for a folder
};

// Attributes of a file or folder. Returns false when the path does not exist
// or cannot be examined. On POSIX the name must match in case; listings
// (PlatformFindFirst) find it in any case, as Windows does.
bool PlatformGetFileInfo(const char* path, PlatformFileInfo* info);

// Directory listing with a pattern: the last path component may hold "*" and
// "?" (matched as FindFirstFileA does, case-insensitively). Entries come in
// the order the system lists them, "." and ".." included where it lists them.
struct PlatformFindData {
  // Name only, no folder: up to 259 characters, in UTF-8 up to three bytes each.
  char name[3 * VQ_PATH_SIZE];
  bool isFolder;
  uint64_t size;
  // False when the name has no exact UTF-8 form: on POSIX a name that is
  // not valid UTF-8; from the Windows UTF-8 listing a name holding a lone
  // surrogate (name shows U+FFFD in its place). The Windows ANSI listing
  // does not tell and says true.
  bool nameExact;
};
struct PlatformFind;  // opaque listing handle
// Returns the handle and the first entry, or nullptr when nothing matches.
PlatformFind* PlatformFindFirst(const char* pattern, PlatformFindData* data);
// Returns false when the listing is exhausted.
bool PlatformFindNext(PlatformFind* find, PlatformFindData* data);
void PlatformFindClose(PlatformFind* find);

struct PlatformFile;  // opaque open file
// Opens for reading, letting others only read: on Windows it fails while
// another program has the file open for writing, and keeps writers out while
// open, so nothing is read half-written. POSIX has no such sharing modes.
// nullptr on failure.
PlatformFile* PlatformOpenRead(const char* path);
// Creates anew (replacing an existing file) for writing, letting others read
// and write. nullptr on failure.
PlatformFile* PlatformCreateWrite(const char* path);
// Reads up to size bytes; *got receives the count (0 at the end of the file).
// Returns false on a read error.
bool PlatformReadFile(PlatformFile* file, void* buffer, size_t size, size_t* got);
// Writes all size bytes; a short write is a failure (returns false).
bool PlatformWriteFile(PlatformFile* file, const void* buffer, size_t size);
// Moves the file position to offset from the start. Returns false on failure.
bool PlatformSeekFile(PlatformFile* file, uint64_t offset);
// Flushes the file to the disk (FlushFileBuffers / fsync). false on failure.
bool PlatformFlushFile(PlatformFile* file);
// Closes; returns false when the system reports a failure (a late write error).
bool PlatformCloseFile(PlatformFile* file);

// Creates an empty file at path, failing when a file or folder is there
// already (CREATE_NEW; O_CREAT | O_EXCL), so that a name taken this way is
// the caller's alone. Returns false on failure.
bool PlatformCreateNewFile(const char* path);
bool PlatformDeleteFile(const char* path);
bool PlatformCreateFolder(const char* path);  // false when it exists already
bool PlatformRemoveFolder(const char* path);  // empty folders only
// Replaces `to` by `from` in one step, writing through to the disk: `from`
// is flushed first, then moved (MoveFileExA with MOVEFILE_REPLACE_EXISTING |
// MOVEFILE_WRITE_THROUGH; rename and fsync of the folder on POSIX). Returns
// false on failure, `to` then untouched and `from` still in place.
bool PlatformReplaceFile(const char* from, const char* to);

// The process's current folder with a trailing backslash. false on failure.
bool PlatformCurrentFolder(char* out, size_t outSize);
// The system's temporary folder with a trailing backslash; on Windows in its
// short form when the code page cannot show its long one. false on failure.
bool PlatformTempFolder(char* out, size_t outSize);
// GetTempFileNameA(folder, prefix, 0): a unique name in `folder` from the
// prefix's first three characters, created as an empty file. false on failure.
bool PlatformTempFileName(const char* folder, const char* prefix, char* out, size_t outSize);

// ---------------------------------------------------------------- UTF-8 paths

// The build's walk of the source folder works on UTF-8 paths, so that a file
// named outside the system code page is found, read and stored by its exact
// name. On POSIX, where names are bytes, these are the functions above; on
// Windows they convert to UTF-16 and call the wide-character functions. A
// path that is not valid UTF-8 names nothing on Windows.
PlatformFind* PlatformFindFirstUtf8(const char* pattern, PlatformFindData* data);
bool PlatformFindNextUtf8(PlatformFind* find, PlatformFindData* data);  // PlatformFindClose ends it
bool PlatformGetFileInfoUtf8(const char* path, PlatformFileInfo* info);
PlatformFile* PlatformOpenReadUtf8(const char* path);

// A text of the system code page in UTF-8: at most three bytes for each
// byte in (VQ_UTF8_TEXT_SIZE holds any program text). Returns false (out
// then empty) when the text is not valid in the code page (on POSIX, where
// texts are UTF-8 already: when it is not valid UTF-8) or does not fit.
bool PlatformSystemToUtf8(const char* text, char* out, size_t outSize);
// A UTF-8 text in the system code page, for showing it: what the code page
// cannot show, and any byte that is not UTF-8, becomes "?" (on POSIX the
// text as it is). Never longer than the text. Returns false (out then
// empty) when it does not fit.
bool PlatformUtf8ToSystem(const char* text, char* out, size_t outSize);

// ---------------------------------------------------------------- profile files

// GetPrivateProfileStringA: copies the value (or the default) into out, cut to
// outSize - 1 characters; returns the number of characters copied.
size_t PlatformProfileGetString(const char* section, const char* key, const char* defaultText,
                                char* out, size_t outSize, const char* file);
// GetPrivateProfileIntA: the value's leading decimal number, or the default
// when the key is missing.
int PlatformProfileGetInt(const char* section, const char* key, int defaultValue,
                          const char* file);
// WritePrivateProfileStringA: sets the key (appended to the section, which is
// appended to the file when missing). POSIX appends the key to the file, which
// is all a save from scratch needs. Returns false on failure.
bool PlatformProfileWriteString(const char* section, const char* key, const char* value,
                                const char* file);
// Drops any copy of the file that the profile services hold, writing out
// what is pending, so that the next read sees the file as it is on disk now
// (WritePrivateProfileStringA(NULL, NULL, NULL, file)). Needed after the file
// was replaced behind their back. POSIX holds no copies and does nothing.
void PlatformProfileFlush(const char* file);

// ---------------------------------------------------------------- registry

enum PlatformRegistryRoot { PLATFORM_HKEY_CLASSES_ROOT, PLATFORM_HKEY_CURRENT_USER };
// RegCreateKeyExA + RegSetValueExA (REG_SZ, length counting the terminating
// zero). Returns false on failure; POSIX has no registry and returns false.
bool PlatformRegistrySetString(PlatformRegistryRoot root, const char* keyPath,
                               const char* valueName, const char* text);

// ---------------------------------------------------------------- clock

struct PlatformLocalTime {
  int year, month, day, hour, minute, second;  // month 1..12
};
void PlatformGetLocalTime(PlatformLocalTime* t);

// ---------------------------------------------------------------- message boxes

enum {
  PLATFORM_MB_OK = 0x0,
  PLATFORM_MB_YESNOCANCEL = 0x3,
  PLATFORM_MB_YESNO = 0x4,
  PLATFORM_MB_ICONSTOP = 0x10,
  PLATFORM_MB_ICONQUESTION = 0x20,
  PLATFORM_MB_ICONEXCLAMATION = 0x30,
};
enum { PLATFORM_IDOK = 1, PLATFORM_IDCANCEL = 2, PLATFORM_IDYES = 6, PLATFORM_IDNO = 7 };
enum PlatformOwner { PLATFORM_OWNER_NONE, PLATFORM_OWNER_ACTIVE_WINDOW };

// MessageBoxA with the given flags. Windows: owned by the active window or by
// none. POSIX: writes "caption: text" to standard error and answers OK/Yes.
// A hook set by PlatformSetMessageBoxHook answers instead (tests).
int PlatformMessageBox(PlatformOwner owner, const char* text, const char* caption, unsigned flags);
typedef int (*PlatformMessageBoxHook)(PlatformOwner owner, const char* text, const char* caption,
                                      unsigned flags);
void PlatformSetMessageBoxHook(PlatformMessageBoxHook hook);  // nullptr restores
