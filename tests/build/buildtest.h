// Helpers of the build engine's tests: source trees in the scratch folder,
// the packed file taken apart, the archive read back through minizip's unzip
// (the library the extractor reads it with), and the build log as text.
#pragma once

#include <stdint.h>

#include <string>
#include <utility>
#include <vector>

#include "extractor/meta_settings.h"
#include "tests/support/support.h"


struct ZipEntry {
  std::string name;
  int method;
  unsigned flag;
  uint32_t dosDate;
  uint32_t crc;
  uint64_t compressedSize;
  uint64_t size;
  std::string data;  // inflated (and decrypted) through unzip
  bool dataOk;       // every byte read and the CRC matched
};
// The entries of the zip archive in the file (which may carry a prefix, as a
// packed executable does), in central directory order. Empty when it cannot
// be opened.
std::vector<ZipEntry> ReadZip(const std::string& path, const char* password = nullptr);

// A packed executable taken apart where the stub's own search finds the
// marker and the archive (the launch text starts at the first "ExecFile").
struct PackedParts {
  bool found;
  std::string stub, header, launch, archive;
};
PackedParts SplitPacked(const std::string& bytes);

// The stub's settings reader over our profile services.
extern const ProfileReader kProfileReader;

// Puts the embedded stub image and icon reference back as they were built
// (a custom icon changes them in place).
void RestoreStub();
std::string OriginalStub();
std::string OriginalReference();

// A 2238-byte icon file of the accepted kind with its own pixels.
std::string CustomIcon(unsigned char seed);

// Builds in tests use this project name.
extern const char* const kTestProject;
