// Win32 side of the operating-system layer: the ANSI calls, one per service,
// and the wide-character calls behind the UTF-8 paths.
#include "platform/platform.h"

#include <windows.h>
#include <shellapi.h>

#include <string.h>

static bool CopyOut(const char* text, char* out, size_t outSize) {
  size_t n = strlen(text);
  if (outSize == 0) return false;
  if (n + 1 > outSize) {
    out[0] = '\0';
    return false;
  }
  memcpy(out, text, n + 1);
  return true;
}

// ---------------------------------------------------------------- paths

bool PlatformSystemPath(const char* path, char* out, size_t outSize) {
  return CopyOut(path, out, outSize);
}

bool PlatformModuleFileName(char* out, size_t outSize) {
  char buffer[MAX_PATH + 1];
  DWORD n = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
  if (n == 0 || n >= sizeof buffer) return false;
  return CopyOut(buffer, out, outSize);
}

// ---------------------------------------------------------------- files

bool PlatformGetFileInfo(const char* path, PlatformFileInfo* info) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return false;
  info->isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  info->size = info->isFolder ? 0 : ((uint64_t)data.nFileSizeHigh << 32) | data.nFileSizeLow;
  return true;
}

struct PlatformFind {
  HANDLE handle;
};

static void FillFindData(const WIN32_FIND_DATAA& found, PlatformFindData* data) {
  CopyOut(found.cFileName, data->name, sizeof data->name);
  data->nameExact = true;
  data->isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  data->size = data->isFolder ? 0 : ((uint64_t)found.nFileSizeHigh << 32) | found.nFileSizeLow;
}

PlatformFind* PlatformFindFirst(const char* pattern, PlatformFindData* data) {
  WIN32_FIND_DATAA found;
  HANDLE handle = FindFirstFileA(pattern, &found);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  FillFindData(found, data);
  return new PlatformFind{handle};
}

bool PlatformFindNext(PlatformFind* find, PlatformFindData* data) {
  WIN32_FIND_DATAA found;
  if (!find || !FindNextFileA(find->handle, &found)) return false;
  FillFindData(found, data);
  return true;
}

void PlatformFindClose(PlatformFind* find) {
  if (!find) return;
  FindClose(find->handle);
  delete find;
}

struct PlatformFile {
  HANDLE handle;
};

static PlatformFile* OpenWith(const char* path, DWORD access, DWORD share, DWORD disposition) {
  HANDLE h = CreateFileA(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  return new PlatformFile{h};
}

PlatformFile* PlatformOpenRead(const char* path) {
  return OpenWith(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
}

PlatformFile* PlatformCreateWrite(const char* path) {
  return OpenWith(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, CREATE_ALWAYS);
}

bool PlatformReadFile(PlatformFile* file, void* buffer, size_t size, size_t* got) {
  *got = 0;
  while (*got < size) {
    DWORD piece = size - *got > 0x10000000 ? 0x10000000 : (DWORD)(size - *got);
    DWORD n = 0;
    if (!ReadFile(file->handle, (char*)buffer + *got, piece, &n, nullptr)) return false;
    if (n == 0) break;
    *got += n;
  }
  return true;
}

bool PlatformWriteFile(PlatformFile* file, const void* buffer, size_t size) {
  size_t done = 0;
  while (done < size) {
    DWORD piece = size - done > 0x10000000 ? 0x10000000 : (DWORD)(size - done);
    DWORD n = 0;
    if (!WriteFile(file->handle, (const char*)buffer + done, piece, &n, nullptr) || n == 0)
      return false;
    done += n;
  }
  return true;
}

bool PlatformSeekFile(PlatformFile* file, uint64_t offset) {
  LARGE_INTEGER to;
  to.QuadPart = (LONGLONG)offset;
  return SetFilePointerEx(file->handle, to, nullptr, FILE_BEGIN) != 0;
}

bool PlatformFlushFile(PlatformFile* file) { return FlushFileBuffers(file->handle) != 0; }

bool PlatformCloseFile(PlatformFile* file) {
  if (!file) return false;
  bool ok = CloseHandle(file->handle) != 0;
  delete file;
  return ok;
}

bool PlatformDeleteFile(const char* path) { return DeleteFileA(path) != 0; }
bool PlatformCreateFolder(const char* path) { return CreateDirectoryA(path, nullptr) != 0; }
bool PlatformRemoveFolder(const char* path) { return RemoveDirectoryA(path) != 0; }

bool PlatformCreateNewFile(const char* path) {
  HANDLE h =
      CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

bool PlatformReplaceFile(const char* from, const char* to) {
  // The new content must be on the disk before the name points at it.
  HANDLE h = CreateFileA(from, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool flushed = FlushFileBuffers(h) != 0;
  CloseHandle(h);
  return flushed &&
         MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool PlatformCurrentFolder(char* out, size_t outSize) {
  char buffer[MAX_PATH + 2];
  DWORD n = GetCurrentDirectoryA(MAX_PATH + 1, buffer);
  if (n == 0 || n > MAX_PATH) return false;
  if (buffer[n - 1] != '\\') memcpy(buffer + n, "\\", 2);
  return CopyOut(buffer, out, outSize);
}

static int OutSize(size_t outSize) { return outSize > 0x7FFFFFFF ? 0x7FFFFFFF : (int)outSize; }

// The wide text in the code page, when it shows every character exactly
// (no look-alikes). A system whose code page is UTF-8 takes neither the flag
// nor the question, and shows everything.
static bool ExactlyInCodePage(const wchar_t* text, char* out, size_t outSize) {
  const bool utf8 = GetACP() == CP_UTF8;
  BOOL lossy = FALSE;
  return outSize > 0 &&
         WideCharToMultiByte(CP_ACP, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, text, -1, out,
                             OutSize(outSize), nullptr, utf8 ? nullptr : &lossy) > 0 &&
         !lossy;
}

// A wide path as the code page calls take it. One that the code page cannot
// show exactly (a user folder named outside it) goes in its short form,
// whose names the system makes from the code page; "?" in its place would
// name another file. false when neither form fits (out then empty).
static bool SystemFormOfWidePath(const wchar_t* path, char* out, size_t outSize) {
  wchar_t shortForm[MAX_PATH];
  if (ExactlyInCodePage(path, out, outSize)) return true;
  DWORD n = GetShortPathNameW(path, shortForm, MAX_PATH);
  if (n > 0 && n < MAX_PATH && ExactlyInCodePage(shortForm, out, outSize)) return true;
  if (outSize > 0) out[0] = '\0';
  return false;
}

bool PlatformSystemArguments(int argc, char** argv, int* bad) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!wide) return true;
  bool ok = true;
  // The C runtime splits the line by the same rules; where the counts differ
  // the arguments are left as it gave them.
  for (int i = 1; ok && count == argc && i < argc; ++i) {
    char form[VQ_TEXT_SIZE];
    if (!SystemFormOfWidePath(wide[i], form, sizeof form)) {
      *bad = i;
      ok = false;
    } else if (strcmp(form, argv[i]) != 0) {
      char* kept = (char*)HeapAlloc(GetProcessHeap(), 0, strlen(form) + 1);
      if (kept) argv[i] = strcpy(kept, form);  // for the rest of the program's life
    }
  }
  LocalFree(wide);
  return ok;
}

bool PlatformSystemCommandLine(char* out, size_t outSize) {
  if (ExactlyInCodePage(GetCommandLineW(), out, outSize)) return true;
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  size_t used = 0;
  bool ok = wide && count > 0;
  for (int i = 0; ok && i < count; ++i) {
    char form[VQ_TEXT_SIZE];
    if (!SystemFormOfWidePath(wide[i], form, sizeof form) &&
        !WideCharToMultiByte(CP_ACP, 0, wide[i], -1, form, sizeof form, nullptr, nullptr)) {
      form[0] = '\0';
    }
    size_t n = strlen(form);
    ok = used + n + 3 <= outSize;
    if (!ok) break;
    out[used++] = '"';
    memcpy(out + used, form, n);
    used += n;
    out[used++] = '"';
    out[used++] = i + 1 < count ? ' ' : '\0';
  }
  if (wide) LocalFree(wide);
  if (!ok && outSize) out[0] = '\0';
  return ok;
}

bool PlatformTempFolder(char* out, size_t outSize) {
  wchar_t buffer[MAX_PATH + 1];
  DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
  return n != 0 && n <= MAX_PATH && SystemFormOfWidePath(buffer, out, outSize);
}

bool PlatformTempFileName(const char* folder, const char* prefix, char* out, size_t outSize) {
  char buffer[MAX_PATH];
  if (GetTempFileNameA(folder, prefix, 0, buffer) == 0) return false;
  if (CopyOut(buffer, out, outSize)) return true;
  DeleteFileA(buffer);
  return false;
}

// ---------------------------------------------------------------- UTF-8 paths

// A UTF-8 path in UTF-16, which every program path fits. false when it is
// not valid UTF-8. A long one takes the "\\?\" form, in which the wide calls
// go past MAX_PATH, so that a deep source folder is listed and read whole
// instead of seeming empty.
static bool WidePath(const char* path, wchar_t (&wide)[VQ_TEXT_SIZE]) {
  int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, -1, wide, VQ_TEXT_SIZE);
  if (n == 0) return false;
  if (n < MAX_PATH - 12 || wcsncmp(wide, L"\\\\?\\", 4) == 0) return true;  // 12: CreateDirectory's margin
  wchar_t full[VQ_TEXT_SIZE];
  DWORD got = GetFullPathNameW(wide, VQ_TEXT_SIZE, full, nullptr);
  if (got == 0 || got >= VQ_TEXT_SIZE - 8) return false;
  const bool unc = full[0] == L'\\' && full[1] == L'\\';
  wcscpy(wide, unc ? L"\\\\?\\UNC" : L"\\\\?\\");
  wcscat(wide, unc ? full + 1 : full);
  return true;
}

static void FillFindDataW(const WIN32_FIND_DATAW& found, PlatformFindData* data) {
  if (WideCharToMultiByte(CP_UTF8, 0, found.cFileName, -1, data->name, sizeof data->name, nullptr,
                          nullptr) == 0) {
    data->name[0] = '\0';
  }
  // The system stores names as any 16-bit units: a lone surrogate turns into
  // U+FFFD (or, on older systems, into bytes that are no UTF-8), and the name
  // no longer converts back to itself.
  wchar_t back[MAX_PATH];
  data->nameExact = data->name[0] != '\0' &&
                    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, data->name, -1, back,
                                        MAX_PATH) > 0 &&
                    wcscmp(back, found.cFileName) == 0;
  data->isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  data->size = data->isFolder ? 0 : ((uint64_t)found.nFileSizeHigh << 32) | found.nFileSizeLow;
}

PlatformFind* PlatformFindFirstUtf8(const char* pattern, PlatformFindData* data) {
  wchar_t wide[VQ_TEXT_SIZE];
  WIN32_FIND_DATAW found;
  HANDLE handle = WidePath(pattern, wide) ? FindFirstFileW(wide, &found) : INVALID_HANDLE_VALUE;
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  FillFindDataW(found, data);
  return new PlatformFind{handle};
}

bool PlatformFindNextUtf8(PlatformFind* find, PlatformFindData* data) {
  WIN32_FIND_DATAW found;
  if (!find || !FindNextFileW(find->handle, &found)) return false;
  FillFindDataW(found, data);
  return true;
}

bool PlatformGetFileInfoUtf8(const char* path, PlatformFileInfo* info) {
  wchar_t wide[VQ_TEXT_SIZE];
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!WidePath(path, wide) || !GetFileAttributesExW(wide, GetFileExInfoStandard, &data)) {
    return false;
  }
  info->isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  info->size = info->isFolder ? 0 : ((uint64_t)data.nFileSizeHigh << 32) | data.nFileSizeLow;
  return true;
}

PlatformFile* PlatformOpenReadUtf8(const char* path) {
  wchar_t wide[VQ_TEXT_SIZE];
  if (!WidePath(path, wide)) return nullptr;
  HANDLE h = CreateFileW(wide, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  return new PlatformFile{h};
}


bool PlatformSystemToUtf8(const char* text, char* out, size_t outSize) {
  if (outSize == 0) return false;
  wchar_t wide[VQ_TEXT_SIZE];
  if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, -1, wide, VQ_TEXT_SIZE) == 0 ||
      WideCharToMultiByte(CP_UTF8, 0, wide, -1, out, OutSize(outSize), nullptr, nullptr) == 0) {
    out[0] = '\0';
    return false;
  }
  return true;
}

bool PlatformUtf8ToSystem(const char* text, char* out, size_t outSize) {
  if (outSize == 0) return false;
  wchar_t wide[VQ_TEXT_SIZE];
  // No look-alikes: a best-fit letter could name another file. A system
  // whose code page is UTF-8 takes neither the flag nor a default character.
  bool utf8 = GetACP() == CP_UTF8;
  if (MultiByteToWideChar(CP_UTF8, 0, text, -1, wide, VQ_TEXT_SIZE) == 0 ||
      WideCharToMultiByte(CP_ACP, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, wide, -1, out, OutSize(outSize),
                          utf8 ? nullptr : "?", nullptr) == 0) {
    out[0] = '\0';
    return false;
  }
  return true;
}

// ---------------------------------------------------------------- profile files

size_t PlatformProfileGetString(const char* section, const char* key, const char* defaultText,
                                char* out, size_t outSize, const char* file) {
  if (outSize == 0) return 0;
  DWORD size = outSize > 0x7FFFFFFF ? 0x7FFFFFFF : (DWORD)outSize;
  return GetPrivateProfileStringA(section, key, defaultText, out, size, file);
}

int PlatformProfileGetInt(const char* section, const char* key, int defaultValue, const char* file) {
  return (int)GetPrivateProfileIntA(section, key, defaultValue, file);
}

bool PlatformProfileWriteString(const char* section, const char* key, const char* value,
                                const char* file) {
  return WritePrivateProfileStringA(section, key, value, file) != 0;
}

void PlatformProfileFlush(const char* file) {
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, file);
}

// ---------------------------------------------------------------- registry

static HKEY RootKey(PlatformRegistryRoot root) {
  return root == PLATFORM_HKEY_CLASSES_ROOT ? HKEY_CLASSES_ROOT : HKEY_CURRENT_USER;
}

bool PlatformRegistrySetString(PlatformRegistryRoot root, const char* keyPath,
                               const char* valueName, const char* text) {
  HKEY key;
  if (RegCreateKeyExA(RootKey(root), keyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return false;
  LONG result = RegSetValueExA(key, valueName, 0, REG_SZ, (const BYTE*)text,
                               (DWORD)strlen(text) + 1);
  RegCloseKey(key);
  return result == ERROR_SUCCESS;
}

// ---------------------------------------------------------------- clock

void PlatformGetLocalTime(PlatformLocalTime* t) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  t->year = now.wYear;
  t->month = now.wMonth;
  t->day = now.wDay;
  t->hour = now.wHour;
  t->minute = now.wMinute;
  t->second = now.wSecond;
}

// ---------------------------------------------------------------- message boxes

// The flags and answers are the system's own values, passed through as they are.
static_assert(PLATFORM_MB_YESNOCANCEL == MB_YESNOCANCEL && PLATFORM_MB_YESNO == MB_YESNO &&
                  PLATFORM_MB_ICONSTOP == MB_ICONSTOP && PLATFORM_MB_ICONQUESTION == MB_ICONQUESTION &&
                  PLATFORM_MB_ICONEXCLAMATION == MB_ICONEXCLAMATION,
              "message box flags");
static_assert(PLATFORM_IDOK == IDOK && PLATFORM_IDCANCEL == IDCANCEL && PLATFORM_IDYES == IDYES &&
                  PLATFORM_IDNO == IDNO,
              "message box answers");

static PlatformMessageBoxHook gMessageBoxHook = nullptr;

void PlatformSetMessageBoxHook(PlatformMessageBoxHook hook) { gMessageBoxHook = hook; }

int PlatformMessageBox(PlatformOwner owner, const char* text, const char* caption, unsigned flags) {
  if (gMessageBoxHook) return gMessageBoxHook(owner, text, caption, flags);
  HWND window = owner == PLATFORM_OWNER_ACTIVE_WINDOW ? GetActiveWindow() : nullptr;
  return MessageBoxA(window, text, caption, flags);
}
