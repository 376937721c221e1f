// Locating the meta data block in the own file, its temporary copy, and the
// settings read from that copy.
#include <stdlib.h>

#include "extractor/errors.h"
#include "extractor/locate.h"
#include "extractor/meta_settings.h"
#include "extractor/stub.h"
#include "base/meta_check.h"

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

// The meta data block: from the first marker up to the archive's first
// local header, read into *block (zero-ended twice).
static StubResult LocateMetaData(HANDLE own, char** block, DWORD* length) {
  uint32_t marker = 0, archive = 0;
  StubError error = LocatePackedParts(ReadOwnFile, own, &marker, &archive);
  if (error != STUB_ERROR_NONE) return StubFailure(error);
  *length = archive - marker;
  if (SetFilePointer(own, (LONG)marker, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER &&
      GetLastError() != NO_ERROR)
    return StubFailure(STUB_ERROR_META_SEEK);
  // The runtime's heap, which minizip uses too: one set of imports.
  char* bytes = *block = (char*)malloc(*length + 2);
  if (!bytes) return {STUB_ERROR_META_MEMORY, ERROR_NOT_ENOUGH_MEMORY};
  DWORD read = 0;
  if (!ReadFile(own, bytes, *length, &read, nullptr) || read != *length)
    return StubFailure(STUB_ERROR_META_READ);
  bytes[*length] = bytes[*length + 1] = 0;
  return {};
}

static StubResult CopyMetaData(const char* block, DWORD length) {
  WCHAR folder[VQ_PATH_SIZE];
  DWORD got = GetTempPathW(VQ_PATH_SIZE, folder);
  if (got == 0 || got >= VQ_PATH_SIZE || !GetTempFileNameW(folder, L"VQ", 0, gRun.metaCopy)) {
    gRun.metaCopy[0] = 0;
    return {STUB_ERROR_TEMP_NAME, got >= VQ_PATH_SIZE ? ERROR_FILENAME_EXCED_RANGE : GetLastError()};
  }
  HANDLE copy = CreateFileW(gRun.metaCopy, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (copy == INVALID_HANDLE_VALUE) return StubFailure(STUB_ERROR_META_COPY_CREATE);
  DWORD written = 0;
  StubResult result = {};
  if (!WriteFile(copy, block, length, &written, nullptr) || written != length)
    result = StubFailure(STUB_ERROR_META_COPY_WRITE);
  CloseHandle(copy);
  return result;
}

// A block from an older build holds its values in the system code page;
// the stub carries every value in UTF-8. Both conversions are exact, and
// VQ_META_VALUE_SIZE holds the longest result whole.
static bool gCodePageValues;
static char gRawValue[VQ_META_VALUE_SIZE];
static WCHAR gWideValue[VQ_META_VALUE_SIZE];

static size_t StubProfileString(const char* section, const char* key, const char* fallback,
                                char* out, size_t outSize, const char* block) {
  size_t length = kBlockProfileReader.getString(section, key, fallback,
                                                gCodePageValues ? gRawValue : out,
                                                gCodePageValues ? sizeof gRawValue : outSize, block);
  if (!gCodePageValues || length >= sizeof gRawValue) return length;
  int units = MultiByteToWideChar(CP_ACP, 0, gRawValue, -1, gWideValue, VQ_META_VALUE_SIZE);
  int bytes = units > 0 ? WideCharToMultiByte(CP_UTF8, 0, gWideValue, -1, out, (int)outSize,
                                              nullptr, nullptr)
                        : 0;
  if (bytes > 0) return (size_t)bytes - 1;
  if (outSize > 0) out[0] = 0;
  return outSize;  // did not fit
}

static int StubProfileInt(const char* section, const char* key, int fallback, const char* block) {
  return kBlockProfileReader.getInt(section, key, fallback, block);
}

const ProfileReader kStubProfileReader = {StubProfileString, StubProfileInt};

StubResult ReadMetaData() {
  HANDLE own = CreateFileW(gRun.ownPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (own == INVALID_HANDLE_VALUE) return StubFailure(STUB_ERROR_OWN_OPEN);
  char* block = nullptr;
  DWORD length = 0;
  StubResult result = {};
  if (SetFilePointer(own, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER)
    result = StubFailure(STUB_ERROR_OWN_REWIND);
  if (!result.error) result = LocateMetaData(own, &block, &length);
  // Nothing of a damaged block is used: its values could send the files
  // anywhere. A block without the check line comes from an older build.
  MetaCheck check = result.error ? META_CHECK_ABSENT : VerifyMetaCheck(block, length);
  if (check == META_CHECK_FAILED) result = {STUB_ERROR_MARKER_NOT_FOUND, 0};
  gCodePageValues = check == META_CHECK_ABSENT;
  if (!result.error) result = CopyMetaData(block, length);
  CloseHandle(own);
  // The settings only once the copy is whole: until then the run ends
  // without deleting anything. The block stays for the launch entries.
  gRun.metaBlock = block;
  if (!result.error && !ReadMetaSettings(&kStubProfileReader, block, &gRun.settings))
    result = {STUB_ERROR_MARKER_NOT_FOUND, 0};
  return result;
}
