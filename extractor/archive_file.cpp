// The zip reader's file access in the stub: Win32 calls instead of the C
// runtime's stdio, which would bring a dozen imports and mingw's 64-bit seek
// wrappers with it. The reader takes its headers a byte at a time, so reads
// go through a small buffer; seeks only move the position. The extraction
// reads the local names through the same buffer.
#include "extractor/stub.h"
#include "ioapi.h"

enum { ARCHIVE_BUFFER_SIZE = 4096 };

// The one archive the stub opens, which the reader's stream points at.
// Offsets are 32-bit, as in the packed layout: the reader's own adapter
// refuses any that does not fit.
static struct {
  HANDLE handle;
  DWORD position;     // where the next read starts
  DWORD bufferStart;  // the file offset of buffer[0]
  DWORD bufferLength; // bytes of the buffer that hold the file
  unsigned char buffer[ARCHIVE_BUFFER_SIZE];
} gArchive;

// Reads up to size bytes at offset; the count read, 0 on a failure.
static DWORD ReadArchiveAt(DWORD offset, void* out, DWORD size) {
  LONG high = 0;  // so that offsets from 2 GB on count as unsigned
  DWORD got = 0;
  if ((SetFilePointer(gArchive.handle, (LONG)offset, &high, FILE_BEGIN) ==
           INVALID_SET_FILE_POINTER &&
       GetLastError() != NO_ERROR) ||
      !ReadFile(gArchive.handle, out, size, &got, nullptr))
    return 0;
  return got;
}

// The one file it opens is the own one, gRun.ownPath, in UTF-16.
static voidpf ZCALLBACK OpenArchive(voidpf, const char*, int) {
  // Shared for reading and writing, as the runtime's fopen opens a file.
  HANDLE handle = CreateFileW(gRun.ownPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  gArchive.handle = handle;
  gArchive.position = 0;
  gArchive.bufferLength = 0;
  return &gArchive;
}

DWORD ReadArchiveFile(DWORD offset, void* out, DWORD size) {
  gArchive.position = offset;
  unsigned char* to = (unsigned char*)out;
  uLong done = 0;
  while (done < size) {
    // Past the buffer's end, or before its start (the difference wraps).
    DWORD at = gArchive.position - gArchive.bufferStart;
    uLong wanted = size - done, got;
    if (at < gArchive.bufferLength) {
      got = gArchive.bufferLength - at < wanted ? gArchive.bufferLength - at : wanted;
      for (uLong i = 0; i < got; ++i) to[done + i] = gArchive.buffer[at + i];
    } else if (wanted >= ARCHIVE_BUFFER_SIZE) {
      // Entry data comes in large reads: straight into the reader's buffer.
      got = ReadArchiveAt(gArchive.position, to + done, wanted);
    } else {
      gArchive.bufferStart = gArchive.position;
      gArchive.bufferLength = ReadArchiveAt(gArchive.position, gArchive.buffer, sizeof gArchive.buffer);
      if (gArchive.bufferLength == 0) break;
      continue;
    }
    if (got == 0) break;  // the end of the file, or a failure
    gArchive.position += got;
    done += got;
  }
  return done;
}

static uLong ZCALLBACK ReadArchive(voidpf, voidpf, void* out, uLong size) {
  return ReadArchiveFile(gArchive.position, out, size);
}

static long ZCALLBACK TellArchive(voidpf, voidpf) { return (long)gArchive.position; }

static long ZCALLBACK SeekArchive(voidpf, voidpf, uLong offset, int origin) {
  DWORD base = 0;
  if (origin == ZLIB_FILEFUNC_SEEK_CUR) base = gArchive.position;
  if (origin == ZLIB_FILEFUNC_SEEK_END) {
    LONG high = 0;
    base = SetFilePointer(gArchive.handle, 0, &high, FILE_END);
    // The reader's offsets cannot reach beyond 4 GB.
    if ((base == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) || high) return -1;
  }
  gArchive.position = base + offset;
  return 0;
}

static int ZCALLBACK CloseArchive(voidpf, voidpf) { return CloseHandle(gArchive.handle) ? 0 : -1; }

// A failed read shows as a short one, which the reader refuses by itself.
static int ZCALLBACK ArchiveError(voidpf, voidpf) { return 0; }

static const zlib_filefunc_def kArchiveFunctions = {
    OpenArchive, ReadArchive, nullptr /* the reader never writes */, TellArchive, SeekArchive,
    CloseArchive, ArchiveError, nullptr};

// Called by the stub's copy of the reader where it would take stdio.
extern "C" void FillStubFileFunctions(zlib_filefunc64_32_def* functions) {
  fill_zlib_filefunc64_32_def_from_filefunc32(functions, &kArchiveFunctions);
}
