// Writing the archive's entries below the extraction folder: names checked,
// overwrite policy, missing folders, chunked copy with progress, file times.
// An entry counts as written only when its whole declared size came out and
// the zip reader's CRC check (or an AE-2 entry's authentication code) passed.
#include <stdlib.h>
#include <string.h>

#include "extractor/entry_names.h"
#include "extractor/errors.h"
#include "extractor/stub.h"
#include "base/text.h"
#include "base/utf8.h"
#include "services/zip_aes.h"

static char* gChunk;  // one read buffer for the whole run
// One entry at a time: its name as the checks see it, its target before and
// after GetFullPathNameW, kept off the stack.
static char gCheckedName[VQ_UTF8_PATH_SIZE], gPathUtf8[VQ_UTF8_PATH_SIZE];
static WCHAR gTarget[2 * VQ_PATH_SIZE];

// Records a path the run created, in UTF-8 as the list holds it.
static void RecordItem(const WCHAR* path) {
  char item[VQ_UTF8_PATH_SIZE];
  if (NarrowToUtf8(path, item, sizeof item)) PushItem(&gRun.items, item);
}

// Creates the missing folders of a full path (as GetFullPathNameW gives
// it), recording each folder it creates, parents first, so that delete
// files can take them out deepest first.
// Failures are left to the caller's next step to notice.
static void CreateFolderTree(const WCHAR* path) {
  WCHAR folder[VQ_PATH_SIZE];
  CopyUtf16(folder, path);
  for (WCHAR* p = folder;; ++p) {
    if (*p && (*p != '\\' || p == folder || p[-1] == ':' || p[-1] == '\\')) continue;
    WCHAR end = *p;
    *p = 0;
    if (CreateDirectoryW(folder, nullptr)) RecordItem(folder);
    *p = end;
    if (!end) break;
  }
}

static HANDLE CreateTarget(const WCHAR* path) {
  return CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                     nullptr);
}

// The entry's name in UTF-16: UTF-8 when the zip's language-encoding flag
// (bit 11) is set, else the system code page, as zip readers take it.
// False when the name is not well-formed UTF-8 or does not fit.
static bool WidenEntryName(const char* name, unsigned long flag, WCHAR* out) {
  if (flag & 0x800) return Utf8ToUtf16(name, out, VQ_PATH_SIZE) != (size_t)-1;
  return MultiByteToWideChar(CP_ACP, 0, name, -1, out, VQ_PATH_SIZE) > 0;
}

// The failure of an entry whose data is damaged (or the password wrong):
// what was written of it is useless, so it goes first.
static StubResult FailEntry(HANDLE target, const WCHAR* path, StubError code) {
  StubResult result = StubFailure(code);
  if (target != INVALID_HANDLE_VALUE) CloseHandle(target);
  DeleteFileW(path);
  return result;
}

// The reader takes an entry's name from the central directory alone. The
// copy in the local header must agree: a damaged name would otherwise write
// a file the archive does not hold, and no CRC covers names.
static bool LocalNameAgrees(unzFile archive, const char* name, DWORD length, bool headerTaken) {
  // Behind the name: the local extra field and, for a traditionally
  // encrypted entry, the 12 bytes of its header the reader has taken already.
  int extra = unzGetLocalExtrafield(archive, nullptr, 0);
  ZPOS64_T at = unzGetCurrentFileZStreamPos64(archive);
  ZPOS64_T behind = (ZPOS64_T)extra + length + (headerTaken ? 12 : 0);
  if (extra < 0 || at < behind) return false;
  char local[VQ_UTF8_PATH_SIZE];
  return ReadArchiveFile((DWORD)(at - behind), local, length) == length &&
         memcmp(local, name, length) == 0;
}

static StubResult ExtractEntry(unzFile archive) {
  // As stored: up to VQ_PATH_SIZE - 1 UTF-16 units once converted, in as
  // many bytes as UTF-8 takes for them.
  char name[VQ_UTF8_PATH_SIZE];
  unz_file_info info;
  // A longer name would come back without its zero.
  if (unzGetCurrentFileInfo(archive, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK ||
      info.size_filename >= sizeof name)
    return StubFailure(STUB_ERROR_ENTRY_INFO);
  name[info.size_filename] = 0;
  // The name's checks see it as the system will: after its conversion.
  WCHAR wideName[VQ_PATH_SIZE];
  if (!WidenEntryName(name, info.flag, wideName) ||
      !NarrowToUtf8(wideName, gCheckedName, sizeof gCheckedName) || !IsEntryNameSafe(gCheckedName))
    return {STUB_ERROR_ENTRY_INFO, ERROR_INVALID_NAME};

  CopyUtf16(CopyUtf16(gTarget, gRun.folder), wideName);

  // Only stored, deflated and AE-2 entries: the reader hands out the raw
  // bytes of some other methods (bzip2) as if they were stored.
  bool aes = info.compression_method == ZIP_AES_METHOD;
  if (info.compression_method != 0 && info.compression_method != Z_DEFLATED && !aes)
    return StubFailure(STUB_ERROR_ENTRY_OPEN);
  bool traditional = gRun.settings.passwordFlag && !aes;
  int opened = aes ? unzOpenCurrentFile2(archive, nullptr, nullptr, 1)
               : traditional ? unzOpenCurrentFilePassword(archive, gRun.password)
                             : unzOpenCurrentFile(archive);
  if (opened != UNZ_OK) return StubFailure(STUB_ERROR_ENTRY_OPEN);
  if (!LocalNameAgrees(archive, name, info.size_filename, traditional))
    return StubFailure(STUB_ERROR_ENTRY_INFO);

  WCHAR path[VQ_PATH_SIZE];
  DWORD got = GetFullPathNameW(gTarget, VQ_PATH_SIZE, path, nullptr);
  if (got == 0) return StubFailure(STUB_ERROR_TARGET_PATH);
  if (got >= VQ_PATH_SIZE) return {STUB_ERROR_TARGET_PATH, ERROR_FILENAME_EXCED_RANGE};
  // The name's own checks catch what climbs out; this catches what Windows
  // makes of the rest (device names, trailing dots).
  if (!NarrowToUtf8(path, gPathUtf8, sizeof gPathUtf8) || !IsInsideFolder(gPathUtf8, gRun.folderUtf8))
    return StubFailure(STUB_ERROR_ENTRY_INFO);

  bool isFolder = path[got - 1] == '\\';
  ExistingTarget policy = ExistingTargetPolicy(
      gRun.settings.overwriteMode, GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES, isFolder);
  if (policy != TARGET_WRITE) {
    bool skip = policy == TARGET_SKIP || !TakeReplaceAnswer(AskReplace(path),
                                                            &gRun.settings.overwriteMode,
                                                            &gRun.replaceAnswer);
    if (skip) {
      gRun.extractedBytes += (uint32_t)info.uncompressed_size;
      unzCloseCurrentFile(archive);
      return {};
    }
  }

  // A wrong password shows at the verifier, before anything is written.
  StubError begun = aes ? BeginAesEntry(archive, &info) : STUB_ERROR_NONE;
  if (begun) return StubFailure(begun);
  HANDLE file = CreateTarget(path);
  if (file != INVALID_HANDLE_VALUE) {
    RecordItem(path);
  } else {
    WCHAR parent[VQ_PATH_SIZE];
    CopyUtf16(parent, path);
    for (WCHAR* p = parent + got; p > parent;)
      if (*--p == '\\') {
        *p = 0;
        break;
      }
    if (GetFileAttributesW(parent) == INVALID_FILE_ATTRIBUTES) CreateFolderTree(parent);
    DWORD attributes = GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      file = CreateTarget(path);
      // Any failure now ends the run: an entry that was not written must not
      // pass for extracted.
      if (file == INVALID_HANDLE_VALUE) return StubFailure(STUB_ERROR_TARGET_CREATE);
      // Recorded after its folders, so delete files takes it out first and
      // the folders can go once they are empty.
      RecordItem(path);
    }
  }

  // A damaged entry reads as a wrong password when a password is in play: the
  // stub cannot tell a wrong password from damaged data.
  StubError damaged =
      gRun.settings.passwordFlag ? STUB_ERROR_WRONG_PASSWORD : STUB_ERROR_ENTRY_READ;
  uint32_t total = 0;
  for (;;) {
    int n = aes ? ReadAesEntry(archive, gChunk, STUB_CHUNK_SIZE)
                : unzReadCurrentFile(archive, gChunk, STUB_CHUNK_SIZE);
    if (n < 0) return FailEntry(file, path, damaged);
    if (n == 0) break;
    DWORD written = 0;
    // The run ends on this failure; the process's exit closes the target.
    if (file == INVALID_HANDLE_VALUE || !WriteFile(file, gChunk, (DWORD)n, &written, nullptr) ||
        written != (DWORD)n)
      return StubFailure(STUB_ERROR_TARGET_WRITE);
    total += (uint32_t)n;
    gRun.extractedBytes += (uint32_t)n;
    if (gRun.progress) UpdateProgress();
  }

  if (file != INVALID_HANDLE_VALUE) {
    FILETIME local, utc;
    if (DosDateTimeToFileTime(HIWORD(info.dosDate), LOWORD(info.dosDate), &local) &&
        LocalFileTimeToFileTime(&local, &utc))
      SetFileTime(file, nullptr, nullptr, &utc);
    CloseHandle(file);
  }
  // A stream that ends early reads as a clean end, and the reader compares
  // the CRC only once the whole declared size was read: both are checked
  // here, so a short or damaged entry never passes for extracted.
  if (unzCloseCurrentFile(archive) != UNZ_OK || total != info.uncompressed_size)
    return FailEntry(INVALID_HANDLE_VALUE, path, damaged);
  return {};
}

// Walks the central directory before anything is written. Every counted
// entry must be reachable, and no entry may follow the last one counted: the
// reader stops at the count and would leave the rest out without a word.
static StubResult CheckDirectory(unzFile archive, uint32_t count) {
  if (count == 0) return StubFailure(STUB_ERROR_ARCHIVE_INFO);
  unz_file_info info;
  for (uint32_t i = 0;; ++i) {
    if (unzGetCurrentFileInfo(archive, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
      return StubFailure(STUB_ERROR_NEXT_ENTRY);
    if (i + 1 == count) break;
    if (unzGoToNextFile(archive) != UNZ_OK) return StubFailure(STUB_ERROR_NEXT_ENTRY);
  }
  uLong next = unzGetOffset(archive) + 46 + info.size_filename + info.size_file_extra +
               info.size_file_comment;
  if (unzSetOffset(archive, next) == UNZ_OK) return StubFailure(STUB_ERROR_ARCHIVE_INFO);
  if (unzGoToFirstFile(archive) != UNZ_OK) return StubFailure(STUB_ERROR_NEXT_ENTRY);
  return {};
}

StubResult ExtractAll() {
  StubResult result = CheckDirectory(gRun.archive, gRun.entryCount);
  if (result.error) return result;
  gChunk = (char*)malloc(STUB_CHUNK_SIZE);
  if (!gChunk) return StubFailure(STUB_ERROR_EXTRACT);
  for (uint32_t i = 0; i < gRun.entryCount && !result.error; ++i) {
    if (i > 0 && unzGoToNextFile(gRun.archive) != UNZ_OK)
      result = StubFailure(STUB_ERROR_NEXT_ENTRY);
    else
      result = ExtractEntry(gRun.archive);
  }
  free(gChunk);
  gChunk = nullptr;
  return result;
}
