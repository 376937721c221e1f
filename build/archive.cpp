#include "build/archive.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#ifdef _WIN32
#include <share.h>
#endif

#include "build/layout.h"
#include "project/project.h"
#include "shell/buildlog.h"
#include "shell/paths.h"
#include "zip.h"
#include "zlib.h"

const char* const kFileTooLargeText = "Failed to add a file of 4 GB or more to the archive.";
const char* const kArchiveTooLargeText =
    "Failed to add all files to the archive: it would reach 4 GB.";

namespace {

// Entries carry no zip64 fields (the extractor reads 32-bit entries), so
// every size and offset must stay below this.
const uint64_t kZip32Limit = 0xFFFFFFFFu;
const uint64_t kEndRecordSize = 22;
const uint64_t kCentralHeaderSize = 46;  // no extra field, no comment

uint32_t gSumTotal = 0;  // SumFolderSize's running total

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

// The zip library's own stdio functions for the archive, but for three:
// opening, because the job keeps the stream to ask how far the archive has
// got; seeking and telling, because the library's casts cut offsets to a
// 32-bit long on Windows, which breaks every archive that passes 2 GB.

voidpf ZCALLBACK OpenArchiveStream(voidpf opaque, const void* name, int mode) {
  ArchiveJob* job = (ArchiveJob*)opaque;
  // The library opens the archive only to create it or to add to it.
  const char* how = (mode & ZLIB_FILEFUNC_MODE_EXISTING) ? "r+b" : "wb";
#ifdef _WIN32
  // Others may read the archive meanwhile, never write it.
  job->stream = _fsopen((const char*)name, how, _SH_DENYWR);
#else
  job->stream = fopen((const char*)name, how);
#endif
  return job->stream;
}

long ZCALLBACK SeekArchiveStream(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
  int whence = origin == ZLIB_FILEFUNC_SEEK_SET   ? SEEK_SET
               : origin == ZLIB_FILEFUNC_SEEK_END ? SEEK_END
                                                  : SEEK_CUR;
#ifdef _WIN32
  return _fseeki64((FILE*)stream, (__int64)offset, whence) == 0 ? 0 : -1;
#else
  return fseeko((FILE*)stream, (off_t)offset, whence) == 0 ? 0 : -1;
#endif
}

ZPOS64_T ZCALLBACK TellArchiveStream(voidpf, voidpf stream) {
#ifdef _WIN32
  return (ZPOS64_T)_ftelli64((FILE*)stream);
#else
  return (ZPOS64_T)ftello((FILE*)stream);
#endif
}

bool OpenArchive(ArchiveJob* job) {
  if (job->zip) return true;
  char systemPath[VQ_TEXT_SIZE];
  if (!PlatformSystemPath(job->archivePath, systemPath, sizeof systemPath)) return false;
  zlib_filefunc64_def functions;
  fill_fopen64_filefunc(&functions);
  functions.zopen64_file = OpenArchiveStream;
  functions.zseek64_file = SeekArchiveStream;
  functions.ztell64_file = TellArchiveStream;
  functions.opaque = job;
  job->zip = zipOpen2_64(systemPath, APPEND_STATUS_CREATE, nullptr, &functions);
  return job->zip != nullptr;
}

// Whether the archive, were it closed now, would take more than the limit:
// what is written, the central directory for every entry opened so far, the
// end record. Within an entry the library still holds some of the data, so
// this errs low there and is exact once the entry is closed.
bool ArchivePassesLimit(ArchiveJob* job) {
  uint64_t written = TellArchiveStream(nullptr, job->stream);
  if (written + job->centralSize + kEndRecordSize <= job->sizeLimit) return false;
  job->failureText = kArchiveTooLargeText;
  return true;
}

// Entry time: the moment of adding, the year as 2000 plus its last two digits.
void EntryTime(const ArchiveJob* job, zip_fileinfo* info) {
  PlatformLocalTime now;
  if (job->clock) {
    job->clock(&now);
  } else {
    PlatformGetLocalTime(&now);
  }
  memset(info, 0, sizeof *info);
  info->tmz_date.tm_sec = now.second;
  info->tmz_date.tm_min = now.minute;
  info->tmz_date.tm_hour = now.hour;
  info->tmz_date.tm_mday = now.day;
  info->tmz_date.tm_mon = now.month - 1;
  info->tmz_date.tm_year = 2000 + now.year % 100;
}

// The CRC-32 of the whole file, which traditional encryption needs before the
// data; the file is left at its start again. Returns false on a read error.
bool FileCrc(PlatformFile* file, unsigned char* buffer, uLong* crc) {
  uLong sum = crc32(0L, Z_NULL, 0);
  for (;;) {
    size_t got = 0;
    if (!PlatformReadFile(file, buffer, VQ_COPY_PIECE_SIZE, &got)) return false;
    if (got == 0) break;
    sum = crc32(sum, buffer, (uInt)got);
  }
  *crc = sum;
  return PlatformSeekFile(file, 0);
}

// Copies the file into the open entry, stopping early once the archive
// passes its limit.
bool CopyFileIntoEntry(ArchiveJob* job, PlatformFile* file) {
  for (;;) {
    size_t got = 0;
    if (!PlatformReadFile(file, job->buffer, VQ_COPY_PIECE_SIZE, &got)) return false;
    if (got == 0) return true;
    if (zipWriteInFileInZip(job->zip, job->buffer, (unsigned)got) != ZIP_OK) return false;
    if (ArchivePassesLimit(job)) return false;
  }
}

// Adds the open file as the entry `name`.
bool AddOpenFile(ArchiveJob* job, PlatformFile* file, const char* name) {
  zip_fileinfo zipInfo;
  EntryTime(job, &zipInfo);
  const bool encrypt = job->password && job->password[0] != '\0';
  uLong crc = 0;
  if (encrypt && !FileCrc(file, job->buffer, &crc)) return false;

  job->centralSize += kCentralHeaderSize + strlen(name);
  if (zipOpenNewFileInZip3(job->zip, name, &zipInfo, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                           job->level, 0, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY,
                           encrypt ? job->password : nullptr, crc) != ZIP_OK) {
    return false;
  }
  bool ok = CopyFileIntoEntry(job, file);
  if (zipCloseFileInZip(job->zip) != ZIP_OK) ok = false;
  return ok && !ArchivePassesLimit(job);
}

void MoveProgress(ArchiveJob* job, uint64_t listedSize) {
  if (!job->showProgress) return;
  // Worked out once: a folder of empty files keeps a total of 0.
  if (!job->totalKnown) {
    job->total = SumFolderSize(job->sourceFolder, true);
    job->totalKnown = true;
  }
  job->done += (uint32_t)listedSize;
  SetBuildProgress(ProgressPosition(job->done, job->total));
}

}  // namespace

void InitArchiveJob(ArchiveJob* job) {
  memset(job, 0, sizeof *job);
  job->sourceFolder = "";
  job->archivePath = "";
  job->password = "";
  job->sizeLimit = kZip32Limit;
}

bool BuildSourceArchive(ArchiveJob* job) {
  job->buffer = (unsigned char*)malloc(VQ_COPY_PIECE_SIZE);
  if (!job->buffer) return false;
  bool ok = AddFolderToArchive(job, job->sourceFolder);
  if (!CloseArchive(job)) ok = false;
  free(job->buffer);
  job->buffer = nullptr;
  return ok;
}

bool AddFolderToArchive(ArchiveJob* job, const char* folderText) {
  char folder[VQ_TEXT_SIZE];
  char pattern[VQ_TEXT_SIZE];
  if (!WithTrailingBackslash(folderText, folder, sizeof folder) ||
      !CopyText(pattern, sizeof pattern, folder) || !AppendText(pattern, sizeof pattern, "*")) {
    AddLogLine(folder, LOG_MARK_FAILURE);
    return false;
  }
  PlatformFindData entry;
  PlatformFind* find = PlatformFindFirst(pattern, &entry);
  if (!find) return true;
  bool ok = true;
  do {
    if (IsFolderSelfOrParent(entry.name)) continue;
    char path[VQ_TEXT_SIZE];
    if (!CopyText(path, sizeof path, folder) || !AppendText(path, sizeof path, entry.name)) {
      // A path cut to fit would name another file: the walk cannot go on.
      AddLogLine(path, LOG_MARK_FAILURE);
      ok = false;
      break;
    }
    if (entry.isFolder) {
      if (!AddFolderToArchive(job, path)) {
        ok = false;
        break;
      }
      continue;
    }
    if (!AddFileToArchive(job, path, entry.size)) {
      AddLogLine(path, LOG_MARK_FAILURE);
      ok = false;
      break;
    }
    AddLogLine(path, LOG_MARK_SUCCESS);
    MoveProgress(job, entry.size);
  } while (PlatformFindNext(find, &entry));
  PlatformFindClose(find);
  return ok;
}

bool AddFileToArchive(ArchiveJob* job, const char* path, uint64_t listedSize) {
  PlatformFileInfo info;
  if (!PlatformGetFileInfo(path, &info) || info.isFolder) return false;
  uint64_t size = info.size > listedSize ? info.size : listedSize;
  if (size >= kZip32Limit) {
    job->failureText = kFileTooLargeText;
    return false;
  }
  char name[VQ_TEXT_SIZE];
  if (!CopyText(name, sizeof name, PathBelowFolder(path, job->sourceFolder))) return false;
  if (!job->buffer || !OpenArchive(job)) return false;

  // Opened once for the CRC pass and the copy, letting others only read: a
  // file that another program is still writing fails here instead of being
  // packed half-written.
  PlatformFile* file = PlatformOpenRead(path);
  if (!file) return false;
  bool ok = AddOpenFile(job, file, name);
  PlatformCloseFile(file);
  if (!ok) return false;
  return true;
}

bool CloseArchive(ArchiveJob* job) {
  if (!job->zip) return true;
  int result = zipClose(job->zip, nullptr);
  job->zip = nullptr;
  return result == ZIP_OK;
}

uint32_t SumFolderSize(const char* folderText, bool restart) {
  if (restart) gSumTotal = 0;
  char folder[VQ_TEXT_SIZE];
  char pattern[VQ_TEXT_SIZE];
  if (!WithTrailingBackslash(folderText, folder, sizeof folder) ||
      !CopyText(pattern, sizeof pattern, folder) || !AppendText(pattern, sizeof pattern, "*")) {
    return gSumTotal;
  }
  PlatformFindData entry;
  PlatformFind* find = PlatformFindFirst(pattern, &entry);
  if (!find) return gSumTotal;
  do {
    if (IsFolderSelfOrParent(entry.name)) continue;
    if (entry.isFolder) {
      char path[VQ_TEXT_SIZE];
      if (CopyText(path, sizeof path, folder) && AppendText(path, sizeof path, entry.name)) {
        SumFolderSize(path, false);
      }
    } else {
      gSumTotal += (uint32_t)entry.size;
    }
  } while (PlatformFindNext(find, &entry));
  PlatformFindClose(find);
  return gSumTotal;
}
