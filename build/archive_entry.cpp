#include "build/archive_entry.h"

#include <stdio.h>
#include <string.h>
#ifdef _WIN32
#include <share.h>
#endif

#include "base/utf8.h"
#include "build/archive_stream.h"
#include "project/project.h"
#include "zip.h"
#include "zlib.h"

namespace {

const uint64_t kEndRecordSize = 22;
const uint64_t kCentralHeaderSize = 46;  // no extra field, no comment
// General purpose bit 11, the language encoding flag: the name is UTF-8.
// Readers take a name without it as code page 437, so only plain ASCII
// names, the same in both, go without it (and keep their bytes as ever).
const uLong kUtf8NameFlag = 1 << 11;
// "Version made by": MS-DOS and zip 0.0 for a plain name, as the library
// writes by default. A UTF-8 name says Windows NTFS and zip 6.3 (the version
// that brought the flag): Info-ZIP's unzip converts the name of an MS-DOS
// entry from an OEM code page even when the flag is set, and lists it
// garbled.
const uLong kPlainMadeBy = 0;
const uLong kUtf8MadeBy = 10 << 8 | 63;

// The archive goes through our own buffered stream (archive_stream.h); the
// job keeps it to ask how far the archive has got.
voidpf ZCALLBACK OpenArchiveStream(voidpf opaque, const void* name, int mode) {
  ArchiveJob* job = (ArchiveJob*)opaque;
  // The library opens the archive only to create it or to add to it.
  const char* how = (mode & ZLIB_FILEFUNC_MODE_EXISTING) ? "r+b" : "wb";
#ifdef _WIN32
  // Others may read the archive meanwhile, never write it.
  job->stream = WrapArchiveFile(_fsopen((const char*)name, how, _SH_DENYWR));
#else
  job->stream = WrapArchiveFile(fopen((const char*)name, how));
#endif
  return job->stream;
}

bool OpenArchive(ArchiveJob* job) {
  if (job->zip) return true;
  char systemPath[VQ_TEXT_SIZE];
  if (!PlatformSystemPath(job->archivePath, systemPath, sizeof systemPath)) return false;
  zlib_filefunc64_def functions;
  fill_fopen64_filefunc(&functions);
  SetArchiveStreamFunctions(&functions);
  functions.zopen64_file = OpenArchiveStream;
  functions.opaque = job;
  job->zip = zipOpen2_64(systemPath, APPEND_STATUS_CREATE, nullptr, &functions);
  return job->zip != nullptr;
}

// Whether the archive, were it closed now, would take more than the limit:
// what is written, the central directory for every entry opened so far, the
// end record. Within an entry the library still holds some of the data, so
// this errs low there and is exact once the entry is closed.
bool ArchivePassesLimit(ArchiveJob* job) {
  uint64_t written = ArchiveStreamSize((ArchiveStream*)job->stream);
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

}  // namespace

bool ArchiveEncrypted(const ArchiveJob* job) { return job->password && job->password[0] != '\0'; }

// AE-2: the salt and the verifier open the entry's data, the code closes it.
bool ArchiveUsesAes(const ArchiveJob* job) { return job->aes256 && ArchiveEncrypted(job); }

bool OpenArchiveEntry(ArchiveJob* job, const char* path, int dataType, unsigned long crc,
                      const uint8_t* aesSalt, const ZipAesKeys* aesKeys) {
  char name[VQ_TEXT_SIZE];
  if (!CopyText(name, sizeof name, PathBelowFolder(path, job->sourceFolder)) ||
      !OpenArchive(job)) {
    return false;
  }
  zip_fileinfo zipInfo;
  EntryTime(job, &zipInfo);
  // In raw mode the library cannot tell text; the first block's guess is
  // what it would have noted.
  if (dataType == Z_TEXT) zipInfo.internal_fa = Z_TEXT;
  const bool aes = ArchiveUsesAes(job), plain = IsPlainAscii(name);
  uint8_t extra[ZIP_AES_EXTRA_SIZE], salt[ZIP_AES_SALT_SIZE];
  ZipAesWriteExtra(Z_DEFLATED, extra);
  job->centralSize += kCentralHeaderSize + strlen(name) + (aes ? sizeof extra : 0);
  // An AE-2 entry carries method 99 and bit 0 in its headers; the library
  // writes it raw, its password left to the codec.
  if (zipOpenNewFileInZip4(job->zip, name, &zipInfo, aes ? extra : nullptr, aes ? sizeof extra : 0,
                           aes ? extra : nullptr, aes ? sizeof extra : 0, nullptr,
                           aes ? ZIP_AES_METHOD : Z_DEFLATED, job->level, 1, -MAX_WBITS, 8,
                           Z_DEFAULT_STRATEGY, ArchiveEncrypted(job) && !aes ? job->password : nullptr,
                           (uLong)crc, plain ? kPlainMadeBy : kUtf8MadeBy,
                           (plain ? 0 : kUtf8NameFlag) | (aes ? 1 : 0)) != ZIP_OK)
    return false;
  if (!aes) return true;
  ZipAesKeys keys;
  if (aesSalt && aesKeys) {
    memcpy(salt, aesSalt, sizeof salt);
    keys = *aesKeys;
  } else if (!CryptoRandom(salt, sizeof salt) ||
             !ZipAesDeriveKeys(job->password, strlen(job->password), salt, &keys)) {
    return false;
  }
  return ZipAesBegin(&job->aes, &keys) && zipWriteInFileInZip(job->zip, salt, sizeof salt) == ZIP_OK &&
         zipWriteInFileInZip(job->zip, keys.verifier, sizeof keys.verifier) == ZIP_OK;
}

bool WriteArchiveEntry(ArchiveJob* job, const unsigned char* data, size_t size) {
  if (!ArchiveUsesAes(job))
    return zipWriteInFileInZip(job->zip, data, (unsigned)size) == ZIP_OK && !ArchivePassesLimit(job);
  unsigned char piece[65536];  // the data is the caller's: encrypted in a copy
  for (size_t at = 0, n; at < size; at += n) {
    n = size - at < sizeof piece ? size - at : sizeof piece;
    memcpy(piece, data + at, n);
    if (!ZipAesEncrypt(&job->aes, piece, n) ||
        zipWriteInFileInZip(job->zip, piece, (unsigned)n) != ZIP_OK)
      return false;
  }
  return !ArchivePassesLimit(job);
}

bool CloseArchiveEntry(ArchiveJob* job, uint64_t size, unsigned long crc) {
  uint8_t code[ZIP_AES_CODE_SIZE];
  // AE-2 stores no CRC: the code stands for it.
  if (ArchiveUsesAes(job) && (!ZipAesEnd(&job->aes, code) ||
                       zipWriteInFileInZip(job->zip, code, sizeof code) != ZIP_OK))
    return false;
  return zipCloseFileInZipRaw(job->zip, (uLong)size, ArchiveUsesAes(job) ? 0 : (uLong)crc) == ZIP_OK &&
         !ArchivePassesLimit(job);
}

bool CloseArchive(ArchiveJob* job) {
  // An entry whose writing failed still holds its keys; releasing an ended
  // or never begun coder does nothing.
  if (ArchiveUsesAes(job)) ZipAesEnd(&job->aes, nullptr);
  if (!job->zip) return true;
  int result = zipClose(job->zip, nullptr);
  job->zip = nullptr;
  return result == ZIP_OK;
}
