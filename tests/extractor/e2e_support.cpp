#include "e2e_support.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "guidriver.h"
#include "zip.h"
#include "zlib.h"

std::string MakeZip(const std::vector<ZipEntry>& entries, const std::string& password,
                    int level) {
  char path[MAX_PATH], folder[MAX_PATH];
  GetTempPathA(sizeof folder, folder);
  GetTempFileNameA(folder, "vqz", 0, path);
  zipFile zip = zipOpen(path, APPEND_STATUS_CREATE);
  if (!zip) return "";
  for (const ZipEntry& e : entries) {
    zip_fileinfo info = {};
    info.dosDate = kEntryDosTime;
    uLong crc = crc32(0, (const Bytef*)e.data.data(), (uInt)e.data.size());
    if (zipOpenNewFileInZip3(zip, e.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                             Z_DEFLATED, level, 0, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY,
                             password.empty() ? nullptr : password.c_str(), crc) != ZIP_OK ||
        zipWriteInFileInZip(zip, e.data.data(), (unsigned)e.data.size()) != ZIP_OK ||
        zipCloseFileInZip(zip) != ZIP_OK) {
      zipClose(zip, nullptr);
      return "";
    }
  }
  zipClose(zip, nullptr);
  std::string bytes;
  ReadFileBytes(path, &bytes);
  DeleteFileA(path);
  return bytes;
}

uint32_t ReadLe(const std::string& bytes, size_t at, int size) {
  uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = value << 8 | (unsigned char)bytes[at + i];
  return value;
}

void PutLe(std::string* bytes, size_t at, uint32_t value, int size) {
  for (int i = 0; i < size; ++i) (*bytes)[at + i] = (char)(value >> (8 * i));
}

ZipLayout ReadZipLayout(const std::string& zip) {
  ZipLayout layout;
  if (zip.size() < 22 || zip.compare(zip.size() - 22, 4, "PK\5\6", 4) != 0) return layout;
  layout.end = zip.size() - 22;
  layout.central = ReadLe(zip, layout.end + 16, 4);
  size_t at = layout.central;
  for (uint32_t n = ReadLe(zip, layout.end + 10, 2); n > 0; --n) {
    if (at + 46 > layout.end || zip.compare(at, 4, "PK\1\2", 4) != 0) return layout;
    ZipLayout::Entry e;
    e.central = at;
    e.local = ReadLe(zip, at + 42, 4);
    e.compressedSize = ReadLe(zip, at + 20, 4);
    if (e.local + 30 > layout.central) return layout;
    e.data = e.local + 30 + ReadLe(zip, e.local + 26, 2) + ReadLe(zip, e.local + 28, 2);
    layout.entries.push_back(e);
    at += 46 + ReadLe(zip, at + 28, 2) + ReadLe(zip, at + 30, 2) + ReadLe(zip, at + 32, 2);
  }
  layout.ok = at == layout.end;
  return layout;
}

void PatchZipEntry(std::string* zip, const ZipLayout& layout, size_t i, ZipField field,
                   uint32_t value) {
  int size = field == ZIP_METHOD ? 2 : 4;
  PutLe(zip, layout.entries[i].local + field, value, size);
  PutLe(zip, layout.entries[i].central + field + 2, value, size);
}

std::string MetaBlock(const MetaData& meta, const std::string& zip,
                      const std::vector<ZipEntry>& entries) {
  long long total = 0;
  for (const ZipEntry& e : entries) total += (long long)e.data.size();
  int unzip = meta.unzipSize >= 0 ? meta.unzipSize : (int)total;
  char header[2048];
  snprintf(header, sizeof header,
           "%cVQ%c\nExtractionPath=%s\nZipSize=%d\nUnZipSize=%d\nProgressBar=%d\n"
           "DeleteFiles=%d\nPassword=%d\nOverwrite=%d\n",
           '[', ']', meta.extractionPath.c_str(), (int)zip.size(), unzip, meta.progressBar,
           meta.deleteFiles, meta.password, meta.overwrite);
  std::string block = header;
  for (size_t i = 0; i < meta.launches.size(); ++i) {
    const MetaData::Launch& l = meta.launches[i];
    if (!l.execFile.empty()) block += "ExecFile" + std::to_string(i) + "=" + l.execFile + "\r";
    block += "CmdLine" + std::to_string(i) + "=" + l.cmdLine + "\r";
    block += "WinState" + std::to_string(i) + "=" + l.winState + "\r";
  }
  return block;
}

std::string BuildTreeFile(const char* relative) {
  char path[MAX_PATH];
  std::string bytes;
  if (GuiBuildTreePath(relative, path, sizeof path)) ReadFileBytes(path, &bytes);
  return bytes;
}

std::string SourceTreeFile(const char* relative) {
  const char* tree = getenv("VQ_SOURCE_DIR");
  if (!tree) return "";
  // A Unix path is reached through Wine's Z: drive.
  std::string path = (tree[0] == '/' ? "Z:" : "") + std::string(tree) + "\\" + relative;
  for (char& c : path)
    if (c == '/') c = '\\';
  std::string bytes;
  ReadFileBytes(path, &bytes);
  return bytes;
}

const std::string& StubImage() {
  static std::string stub = BuildTreeFile("extractor\\vqstub.exe");
  return stub;
}

std::string PrepareTestFolder(const char* testName) {
  char path[MAX_PATH];
  std::string relative = std::string("tests\\extractor\\e2e\\") + testName;
  if (!GuiBuildTreePath(relative.c_str(), path, sizeof path)) return "";
  std::string folder = path;
  RemoveTree(folder);
  MakeFolders(folder + "\\tmp");
  MakeFolders(folder + "\\logs");
  SetEnvironmentVariableA("TMP", (folder + "\\tmp").c_str());
  SetEnvironmentVariableA("TEMP", (folder + "\\tmp").c_str());
  SetEnvironmentVariableA("VQ_PROBE_LOG_DIR", (folder + "\\logs").c_str());
  return folder;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return fclose(f) == 0 && ok;
}

bool ReadFileBytes(const std::string& path, std::string* bytes) {
  bytes->clear();
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return false;
  char chunk[65536];
  size_t n;
  while ((n = fread(chunk, 1, sizeof chunk, f)) > 0) bytes->append(chunk, n);
  fclose(f);
  return true;
}

bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void RemoveTree(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    DeleteFileA(path.c_str());
    return;
  }
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((path + "\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      if (strcmp(data.cFileName, ".") && strcmp(data.cFileName, ".."))
        RemoveTree(path + "\\" + data.cFileName);
    } while (FindNextFileA(find, &data));
    FindClose(find);
  }
  RemoveDirectoryA(path.c_str());
}

bool MakeFolders(const std::string& path) {
  for (size_t i = 3; i <= path.size(); ++i)
    if (i == path.size() || path[i] == '\\') CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
  return FileExists(path);
}

int CountMetaCopies(const std::string& folder) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\VQ*.tmp").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return 0;
  int n = 0;
  do ++n;
  while (FindNextFileA(find, &data));
  FindClose(find);
  return n;
}
