#include "tests/build/buildtest.h"

#include "platform/platform.h"
#include "unzip.h"

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
