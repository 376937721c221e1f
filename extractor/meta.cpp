// Locating the meta data block in the own file, its temporary copy, and the
// settings read from that copy.
#include "extractor/locate.h"
#include "extractor/stub.h"
#include "build/layout.h"

static const char kSection[] = VQ_META_SECTION;

static SourceStatus ReadOwnFile(void* context, uint32_t offset, unsigned char* buffer,
                                uint32_t size, uint32_t* got) {
  HANDLE file = (HANDLE)context;
  if (SetFilePointer(file, (LONG)offset, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER &&
      GetLastError() != NO_ERROR)
    return SOURCE_SEEK_FAILED;
  DWORD read = 0;
  if (!ReadFile(file, buffer, size, &read, nullptr)) return SOURCE_READ_FAILED;
  *got = read;
  return SOURCE_OK;
}

// The meta data block: from the first marker at or before offset 60000 up
// to the archive's first local header, which starts at most at 800004.
static char* LocateMetaData(HANDLE own, DWORD* length) {
  uint32_t marker = 0;
  switch (FindPattern(ReadOwnFile, own, 0, VQ_STUB_MAX_SIZE, &kMetaMarker, &marker)) {
    case FIND_FOUND: break;
    case FIND_READ_FAILED: ReportError(4); break;
    case FIND_SEEK_FAILED: ReportError(5); break;
    case FIND_NOT_FOUND: ReportError(6); break;
  }
  uint32_t archive = 0;
  switch (FindPattern(ReadOwnFile, own, marker + 4, VQ_ARCHIVE_MAX_START, &kLocalHeader,
                      &archive)) {
    case FIND_FOUND: break;
    case FIND_READ_FAILED: ReportError(7); break;
    case FIND_SEEK_FAILED: ReportError(8); break;
    case FIND_NOT_FOUND: ReportError(9); break;
  }
  *length = archive - marker;
  if (SetFilePointer(own, (LONG)marker, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER &&
      GetLastError() != NO_ERROR)
    ReportError(10);
  char* block = (char*)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, *length + 2);
  if (!block) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    ReportError(11);
  }
  DWORD read = 0;
  if (!ReadFile(own, block, *length, &read, nullptr) || read != *length) ReportError(12);
  return block;
}

static void CopyMetaData(const char* block, DWORD length) {
  char folder[STUB_PATH_SIZE];
  DWORD got = GetTempPathA(sizeof folder, folder);
  if (got == 0 || got >= sizeof folder || !GetTempFileNameA(folder, "VQ", 0, gRun.metaCopy)) {
    gRun.metaCopy[0] = 0;
    if (got >= sizeof folder) SetLastError(ERROR_FILENAME_EXCED_RANGE);
    ReportError(13);
  }
  HANDLE copy = CreateFileA(gRun.metaCopy, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (copy == INVALID_HANDLE_VALUE) ReportError(14);
  DWORD written = 0;
  if (!WriteFile(copy, block, length, &written, nullptr) || written != length) ReportError(15);
  CloseHandle(copy);
}

static int ReadSetting(const char* key) {
  return (int)GetPrivateProfileIntA(kSection, key, 0, gRun.metaCopy);
}

void ReadMetaData() {
  HANDLE own = CreateFileA(gRun.ownPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (own == INVALID_HANDLE_VALUE) ReportError(2);
  if (SetFilePointer(own, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) ReportError(3);
  DWORD length = 0;
  char* block = LocateMetaData(own, &length);
  CopyMetaData(block, length);
  HeapFree(GetProcessHeap(), 0, block);
  CloseHandle(own);

  GetPrivateProfileStringA(kSection, "ExtractionPath", "", gRun.extractionPath,
                           sizeof gRun.extractionPath, gRun.metaCopy);
  ReadSetting("ZipSize");  // read and not used
  gRun.unzipSize = (uint32_t)ReadSetting("UnZipSize");
  gRun.showProgress = ReadSetting("ProgressBar") != 0;
  gRun.deleteFiles = ReadSetting("DeleteFiles") != 0;
  gRun.passwordFlag = ReadSetting("Password") != 0;
  gRun.overwriteMode = ReadSetting("Overwrite");
}
