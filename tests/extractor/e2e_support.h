// Support for the extractor's end-to-end tests under Wine: archives made
// with minizip, packed executables put together by hand (stub, meta data,
// archive), a private folder per test, and the file checks the tests make.
#pragma once

#include <windows.h>

#include <stdint.h>

#include <string>
#include <vector>

// 2021-06-15 10:20:30 as the zip format stores it: date high, time low.
const uint32_t kEntryDosTime = ((41u << 9 | 6u << 5 | 15u) << 16) | (10u << 11 | 20u << 5 | 15u);

struct ZipEntry {
  std::string name;  // as stored: the builder writes backslashes
  std::string data;
};

// Writes a zip archive of the entries (deflate at the level, every entry
// dated kEntryDosTime), each encrypted when password is not empty.
// Returns the archive's bytes, empty on failure.
std::string MakeZip(const std::vector<ZipEntry>& entries, const std::string& password = "",
                    int level = 6);

struct MetaData {
  std::string extractionPath = "*AppDir*\\SubDirectory";
  int unzipSize = -1;  // -1: the sum of the entries' sizes
  int progressBar = 0;
  int deleteFiles = 0;
  int password = 0;
  int overwrite = 0;
  struct Launch {
    std::string execFile, cmdLine, winState;
  };
  std::vector<Launch> launches;
};

// The meta data block as the builder writes it: LF-ended header lines,
// CR-ended launch lines.
std::string MetaBlock(const MetaData& meta, const std::string& zip,
                      const std::vector<ZipEntry>& entries);

// Where the parts of a zip archive lie, as offsets into its bytes: each
// entry's local header and central directory header, the central directory
// and the end record (the archive has no comment). ok is false when the
// bytes do not hold a zip archive of that shape.
struct ZipLayout {
  struct Entry {
    size_t local, data, central;
    uint32_t compressedSize;
  };
  std::vector<Entry> entries;
  size_t central = 0, end = 0;
  bool ok = false;
};
ZipLayout ReadZipLayout(const std::string& zip);

// Offsets of an entry's fields in its local header and, 2 bytes later, in
// its central directory header.
enum ZipField { ZIP_METHOD = 8, ZIP_CRC = 14, ZIP_COMPRESSED = 18, ZIP_UNCOMPRESSED = 22 };
// Sets a field of entry i in both its headers (little-endian, 2 bytes for
// the method, else 4).
void PatchZipEntry(std::string* zip, const ZipLayout& layout, size_t i, ZipField field,
                   uint32_t value);
uint32_t ReadLe(const std::string& bytes, size_t at, int size);
void PutLe(std::string* bytes, size_t at, uint32_t value, int size);

// The stub image from the build tree.
const std::string& StubImage();

// The test's own folder below the build tree (emptied first), and its
// subfolders "tmp" (the extractor's temporary folder), "logs" (the launch
// probe's logs). Sets TMP, TEMP and VQ_PROBE_LOG_DIR for programs started
// afterwards.
std::string PrepareTestFolder(const char* testName);

bool WriteFileBytes(const std::string& path, const std::string& bytes);
bool ReadFileBytes(const std::string& path, std::string* bytes);
bool FileExists(const std::string& path);  // a file or a folder
void RemoveTree(const std::string& path);
bool MakeFolders(const std::string& path);

// Number of meta data copies ("VQ*.tmp") in a folder.
int CountMetaCopies(const std::string& folder);

// The bytes of a file of the build tree ("tests\\extractor\\x.exe") or of
// the source tree; empty when it cannot be read.
std::string BuildTreeFile(const char* relative);
std::string SourceTreeFile(const char* relative);
