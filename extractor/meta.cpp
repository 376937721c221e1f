// Locating the meta data block in the own file, its temporary copy, and the
// settings read from that copy.
#include <stdlib.h>

#include "extractor/errors.h"
#include "extractor/locate.h"
#include "extractor/meta_settings.h"
#include "extractor/stub.h"

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
  char folder[VQ_PATH_SIZE];
  DWORD got = GetTempPathA(sizeof folder, folder);
  if (got == 0 || got >= sizeof folder || !GetTempFileNameA(folder, "VQ", 0, gRun.metaCopy)) {
    gRun.metaCopy[0] = 0;
    return {STUB_ERROR_TEMP_NAME, got >= sizeof folder ? ERROR_FILENAME_EXCED_RANGE : GetLastError()};
  }
  HANDLE copy = CreateFileA(gRun.metaCopy, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (copy == INVALID_HANDLE_VALUE) return StubFailure(STUB_ERROR_META_COPY_CREATE);
  DWORD written = 0;
  StubResult result = {};
  if (!WriteFile(copy, block, length, &written, nullptr) || written != length)
    result = StubFailure(STUB_ERROR_META_COPY_WRITE);
  CloseHandle(copy);
  return result;
}

static size_t ProfileString(const char* section, const char* key, const char* fallback,
                            char* out, size_t outSize, const char* file) {
  return GetPrivateProfileStringA(section, key, fallback, out, (DWORD)outSize, file);
}

static int ProfileInt(const char* section, const char* key, int fallback, const char* file) {
  return (int)GetPrivateProfileIntA(section, key, fallback, file);
}

const ProfileReader kStubProfileReader = {ProfileString, ProfileInt};

StubResult ReadMetaData() {
  HANDLE own = CreateFileA(gRun.ownPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (own == INVALID_HANDLE_VALUE) return StubFailure(STUB_ERROR_OWN_OPEN);
  char* block = nullptr;
  DWORD length = 0;
  StubResult result = {};
  if (SetFilePointer(own, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER)
    result = StubFailure(STUB_ERROR_OWN_REWIND);
  if (!result.error) result = LocateMetaData(own, &block, &length);
  if (!result.error) result = CopyMetaData(block, length);
  free(block);
  CloseHandle(own);
  // The settings only once the copy is whole: until then the run ends
  // without deleting anything.
  if (!result.error) ReadMetaSettings(&kStubProfileReader, gRun.metaCopy, &gRun.settings);
  return result;
}
