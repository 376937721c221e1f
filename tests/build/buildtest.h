// Helpers of the build engine's tests: the archive read back through
// minizip's unzip (the library the extractor reads it with), the packed file
// taken apart by the stub's own search, the embedded stub as built.
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
// The entries of the zip archive in the file (a packed executable's too), in
// central directory order; none when it cannot be opened.
std::vector<ZipEntry> ReadZip(const std::string& path, const char* password = nullptr);

// A packed executable taken apart where the stub's own search finds the
// marker and the archive (the launch text starts at the first "ExecFile").
struct PackedParts {
  bool found;
  std::string stub, header, launch, archive;
};
PackedParts SplitPacked(const std::string& bytes);

// The embedded stub image and icon reference as built (a custom icon changes
// them in place); RestoreStub puts them back.
extern const std::string kOriginalStub, kOriginalReference;
void RestoreStub();

// A 2238-byte icon file of the accepted kind with its own pixels.
std::string CustomIcon(unsigned char seed);
