// The build engine's tests read archives back through minizip's unzip, the library the extractor uses.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "tests/support/support.h"

struct ZipEntry {
  std::string name;
  int method;
  unsigned flag;
  uint32_t dosDate;
  uint64_t size;
  std::string data;  // inflated (and decrypted) through unzip
  bool dataOk;       // every byte read and the CRC matched
};
// The zip entries of the file (a packed executable's too) in central directory order; none if unreadable.
std::vector<ZipEntry> ReadZip(const std::string& path, const char* password = nullptr);
