#include "tests/build/buildtest.h"

#include <string.h>

#include "build/layout.h"
#include "build/stubimage.h"
#include "extractor/locate.h"
#include "platform/platform.h"
#include "unzip.h"

// Taken before any test changes the embedded data (which the stub's
// generated source initialises statically).
const std::string kOriginalStub((const char*)gStubImage, gStubImageSize);
const std::string kOriginalReference((const char*)gStubIconReference, gStubIconReferenceSize);

std::vector<ZipEntry> ReadZip(const std::string& path, const char* password) {
  std::vector<ZipEntry> entries;
  char systemPath[2048];
  unzFile zip = nullptr;
  if (PlatformSystemPath(path.c_str(), systemPath, sizeof systemPath)) zip = unzOpen64(systemPath);
  for (int more = zip ? unzGoToFirstFile(zip) : UNZ_END_OF_LIST_OF_FILE; more == UNZ_OK;
       more = unzGoToNextFile(zip)) {
    unz_file_info64 info;
    char name[2048];
    if (unzGetCurrentFileInfo64(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK)
      break;
    ZipEntry entry{name, (int)info.compression_method, (unsigned)info.flag,
                   (uint32_t)info.dosDate, info.uncompressed_size, "", false};
    if (unzOpenCurrentFilePassword(zip, password) == UNZ_OK) {
      char buf[65536];
      int got;
      while ((got = unzReadCurrentFile(zip, buf, sizeof buf)) > 0) entry.data.append(buf, got);
      // Closing checks the CRC once everything was read.
      entry.dataOk = unzCloseCurrentFile(zip) == UNZ_OK && got == 0;
    }
    entries.push_back(entry);
  }
  if (zip) unzClose(zip);
  return entries;
}

static SourceStatus ReadString(void* context, uint32_t offset, unsigned char* buffer, uint32_t size,
                        uint32_t* got) {
  const std::string* bytes = (const std::string*)context;
  size_t available = offset < bytes->size() ? bytes->size() - offset : 0;
  *got = size < available ? size : (uint32_t)available;
  memcpy(buffer, bytes->data() + offset, *got);
  return SOURCE_OK;
}

PackedParts SplitPacked(const std::string& bytes) {
  uint32_t marker = 0, archive = 0;
  if (LocatePackedParts(ReadString, (void*)&bytes, &marker, &archive) != STUB_ERROR_NONE) {
    return PackedParts{false, "", "", "", ""};
  }
  const std::string block = bytes.substr(marker, archive - marker);
  size_t launch = block.find("\nExecFile");
  launch = launch == std::string::npos ? block.size() : launch + 1;
  return PackedParts{true, bytes.substr(0, marker), block.substr(0, launch), block.substr(launch),
                     bytes.substr(archive)};
}

void RestoreStub() {
  memcpy(gStubImage, kOriginalStub.data(), gStubImageSize);
  memcpy(gStubIconReference, kOriginalReference.data(), gStubIconReferenceSize);
}

std::string CustomIcon(unsigned char seed) {
  // Directory and bitmap header as the reference has them; new colours,
  // pixels and mask.
  std::string icon = kOriginalReference.substr(0, 62);
  for (size_t i = 62; i < VQ_STUB_ICON_FILE_SIZE; ++i) icon.push_back((char)(seed + i * 7));
  return icon;
}
