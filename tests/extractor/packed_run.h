// What the extractor's system tests share: zip archives made with minizip,
// packed executables put together by hand (stub, meta data, archive), and
// one runner that starts a packed executable under Wine in a folder of its
// own, answers its windows and reports what it showed and how it ended.
#pragma once

#include <windows.h>

#include <stdint.h>

#include <functional>
#include <string>
#include <vector>

#include "guidriver.h"

// 2021-06-15 10:20:30 as the zip format stores it: date high, time low.
const uint32_t kEntryDosTime = ((41u << 9 | 6u << 5 | 15u) << 16) | (10u << 11 | 20u << 5 | 15u);
const DWORD kHung = 0xFFFF;  // RunResult::code of a run that outlived its time

struct ZipEntry {
  std::string name;  // as stored: the builder writes backslashes
  std::string data;
};
// A zip archive of the entries (deflate at the level, dated kEntryDosTime),
// encrypted when password is not empty; empty on failure.
std::string MakeZip(const std::vector<ZipEntry>& entries, const std::string& password = "",
                    int level = 6);

struct MetaData {
  std::string extractionPath = "*AppDir*\\out";
  int unzipSize = -1;  // -1: the sum of the entries' sizes
  int progressBar = 0, deleteFiles = 0, password = 0, overwrite = 0;
  struct Launch {
    std::string execFile, cmdLine, winState;
  };
  std::vector<Launch> launches;
};
// The stub image from the build tree, the meta data block as the builder
// writes it (LF-ended header lines, CR-ended launch lines), then zip.
std::string Packed(const MetaData& meta, const std::string& zip,
                   const std::vector<ZipEntry>& entries);

// Where the parts of a zip archive without comment lie, as offsets into its
// bytes; ok is false when the bytes hold no zip archive of that shape.
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
// Sets a field of entry i in both its headers (2 bytes for the method, else 4).
void PatchZipEntry(std::string* zip, size_t i, ZipField field, uint32_t value);
void PutLe(std::string* bytes, size_t at, uint32_t value, int size);

const std::string& StubImage();
// The bytes of a file of the build tree ("tests\\extractor\\x.exe").
std::string BuildTreeFile(const char* relative);
// The build tree's tests\extractor\NAME, emptied, with "cwd" (where runs
// start), "tmp" (their temporary folder) and "logs" (the probe's logs).
std::string RunFolder(const std::string& name);

struct PackedRun {
  std::string bytes;  // the packed executable, written to FOLDER\packed.exe
  std::string args;   // its command line behind its name
  // One answer per window, in order: the password dialog's text to type (or
  // "<Cancel>", "<Close>"), a button label for the others (the browse
  // dialog is cancelled). When they run out: OK, Yes, Yes to replace, the
  // password below.
  std::vector<std::string> answers;
  std::string password;
  const char* shot = nullptr;  // the first window as tests\extractor\shots\SHOT.png
  DWORD timeoutMs = 30000;
  std::function<void(const GuiProcess&)> watch;  // called while the run goes on
};
struct RunResult {
  DWORD code = kHung;
  // "caption|text" for message boxes, "Confirm File Replace.|PATH" (relative
  // to the folder), the caption for other windows; flaws of a dialog follow
  // as "|!...".
  std::vector<std::string> windows;
  bool metaLeft = false;  // a meta data copy ("VQ*.tmp") stayed behind
};
RunResult RunPacked(const std::string& folder, const PackedRun& run);
