#include "tests/support/support.h"

#include "platform/platform.h"
#include "services/buildlog.h"

#include <stdio.h>
#include <stdlib.h>
#ifdef _WIN32
#include <windows.h>
#endif

#include <algorithm>
#include <vector>

static std::string gFolder;

// The entries of a folder (with a trailing backslash), "." and ".." left out,
// each with whether it is a folder.
static std::vector<std::pair<std::string, bool>> Entries(const std::string& folder) {
  std::vector<std::pair<std::string, bool>> entries;
  PlatformFindData data;
  PlatformFind* find = PlatformFindFirst((folder + "*").c_str(), &data);
  for (bool more = find != nullptr; more; more = PlatformFindNext(find, &data)) {
    std::string name = data.name;
    if (name != "." && name != "..") entries.push_back({name, data.isFolder});
  }
  PlatformFindClose(find);
  return entries;
}

#ifdef _WIN32
// In UTF-16, so that names outside the code page go too.
static void RemoveTreeW(const std::wstring& path) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &data);
  for (bool more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileW(find, &data))
    if (wcscmp(data.cFileName, L".") && wcscmp(data.cFileName, L"..")) RemoveTreeW(path + L"\\" + data.cFileName);
  if (find != INVALID_HANDLE_VALUE) FindClose(find);
  if (!RemoveDirectoryW(path.c_str())) DeleteFileW(path.c_str());
}
#endif

void RemoveTree(const std::string& path) {
#ifdef _WIN32
  wchar_t wide[VQ_PATH_SIZE];
  int units = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, VQ_PATH_SIZE) - 1;
  if (units > 0) return RemoveTreeW(std::wstring(wide, units - (wide[units - 1] == L'\\')));
#endif
  PlatformFileInfo info;
  if (!PlatformGetFileInfo(path.c_str(), &info)) return;
  if (!info.isFolder) {
    PlatformDeleteFile(path.c_str());
    return;
  }
  std::string folder = path.back() == '\\' ? path : path + "\\";
  for (auto& e : Entries(folder)) RemoveTree(folder + e.first);
  PlatformRemoveFolder(folder.c_str());
}

const std::string& ScratchFolder() {
  if (!gFolder.empty()) return gFolder;
  char temp[VQ_PATH_SIZE], name[VQ_PATH_SIZE];
  // The empty file reserves the name; the folder beside it is ours, unless a
  // run that was killed left one there: its file then stays until another
  // name is found, so that the next try gets another.
  std::vector<std::string> taken;
  for (int tries = 0; gFolder.empty() && tries < 100 && PlatformTempFolder(temp, sizeof temp) &&
                      PlatformTempFileName(temp, "vqc", name, sizeof name);
       ++tries) {
    taken.push_back(name);
    if (PlatformCreateFolder((taken.back() + ".d").c_str())) gFolder = taken.back() + ".d\\";
  }
  for (const std::string& file : taken) PlatformDeleteFile(file.c_str());
  if (gFolder.empty()) {
    fprintf(stderr, "no scratch folder in the temporary folder\n");
    abort();
  }
  atexit([] { RemoveTree(gFolder); });
  return gFolder;
}

std::string ScratchName(const char* stem) {
  static int counter = 0;
  return ScratchFolder() + stem + std::to_string(++counter);
}

void UseTemporaryFolder(const std::string& folder) {
  char sys[4096];
  if (!PlatformSystemPath(folder.c_str(), sys, sizeof sys)) abort();
#ifdef _WIN32
  SetEnvironmentVariableA("TMP", sys);  // GetTempPathA reads TMP first
#else
  setenv("TMPDIR", sys, 1);
#endif
}

bool WriteRawFile(const std::string& path, const std::string& bytes) {
  PlatformFile* f = PlatformCreateWrite(path.c_str());
  if (!f) return false;
  bool ok = PlatformWriteFile(f, bytes.data(), bytes.size());
  return PlatformCloseFile(f) && ok;
}

std::string ReadRawFile(const std::string& path) {
  PlatformFile* f = PlatformOpenRead(path.c_str());
  if (!f) return "<missing>";
  std::string all;
  char chunk[4096];
  size_t got = 0;
  while (PlatformReadFile(f, chunk, sizeof chunk, &got) && got > 0) all.append(chunk, got);
  PlatformCloseFile(f);
  return all;
}

void MakeFolder(const std::string& folder) {
  for (size_t i = 1; i < folder.size(); ++i)
    if (folder[i] == '\\') PlatformCreateFolder(folder.substr(0, i).c_str());
  PlatformCreateFolder(folder.c_str());
}

#ifdef _WIN32
std::wstring Utf8ToWide(const std::string& text) {
  std::wstring wide(text.size() + 1, L'\0');
  wide.resize(MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &wide[0], (int)wide.size()) - 1);
  return wide;
}

std::string Utf8Of(const wchar_t* wide) {
  std::string text(4 * wcslen(wide) + 1, '\0');
  text.resize(WideCharToMultiByte(CP_UTF8, 0, wide, -1, &text[0], (int)text.size(), nullptr, nullptr) - 1);
  return text;
}

// In UTF-16, so that the names reach the disk exactly.
static bool WriteTreeFile(const std::string& path, const std::string& bytes) {
  const std::wstring wide = Utf8ToWide(path);
  for (size_t i = 1; i < wide.size(); ++i)
    if (wide[i] == L'\\') CreateDirectoryW(wide.substr(0, i).c_str(), nullptr);
  HANDLE h = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD wrote = 0;
  bool ok = h != INVALID_HANDLE_VALUE && WriteFile(h, bytes.data(), (DWORD)bytes.size(), &wrote, nullptr) &&
            wrote == bytes.size();
  return h != INVALID_HANDLE_VALUE && CloseHandle(h) && ok;
}
#else
static bool WriteTreeFile(const std::string& path, const std::string& bytes) {
  MakeFolder(path.substr(0, path.rfind('\\') + 1));
  return WriteRawFile(path, bytes);
}
#endif

void MakeTree(const std::string& folder,
              const std::vector<std::pair<std::string, std::string>>& files) {
  MakeFolder(folder);
  for (const auto& file : files) {
    std::string path = folder + file.first;
    if (!WriteTreeFile(path, file.second)) {  // a test on a tree that is not there proves nothing
      fprintf(stderr, "cannot write %s\n", path.c_str());
      abort();
    }
  }
}

std::string SampleFolder() {
  std::string folder = ScratchName("sample") + "\\";
  MakeTree(folder, {{"Setup.exe", std::string(1234, 'x')}, {"readme.txt", "hello"}});
  MakeFolder(folder + "Sub Folder");
  return folder;
}

bool FileExists(const std::string& path) {
  PlatformFileInfo info;
  return PlatformGetFileInfo(path.c_str(), &info);
}

std::string ListFolder(const std::string& folder) {
  std::vector<std::string> names;
  for (auto& e : Entries(folder)) names.push_back(e.first);
  std::sort(names.begin(), names.end());
  std::string joined;
  for (auto& n : names) joined += (joined.empty() ? "" : " ") + n;
  return joined;
}

static int gBoxCount, gBoxAnswer;
static std::string gLastBox;

static int RecordMessageBox(PlatformOwner owner, const char* text, const char* caption, unsigned flags) {
  gBoxCount++;
  gLastBox = BoxSeen(caption, text, flags, owner);
  return gBoxAnswer;
}

RecordedMessageBoxes::RecordedMessageBoxes(int answer) {
  gBoxCount = 0;
  gBoxAnswer = answer;
  gLastBox = "";
  PlatformSetMessageBoxHook(RecordMessageBox);
}
RecordedMessageBoxes::~RecordedMessageBoxes() { PlatformSetMessageBoxHook(nullptr); }
int RecordedMessageBoxes::count() const { return gBoxCount; }
std::string RecordedMessageBoxes::last() const { return gLastBox; }

std::string BoxSeen(const std::string& caption, const std::string& text, unsigned flags, int owner) {
  return caption + "|" + text + "|" + std::to_string(flags) + "|" + std::to_string(owner);
}

std::string HexOf(const void* data, size_t size) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (const unsigned char *p = (const unsigned char*)data, *end = p + size; p < end; p++)
    out += {digits[*p >> 4], digits[*p & 15]};
  return out;
}

std::string FromHex(const char* hex) {
  std::string out;
  for (; hex[0] && hex[1]; hex += 2) out += (char)std::stoi(std::string(hex, 2), nullptr, 16);
  return out;
}

std::vector<std::string> LogLines() {
  std::vector<std::string> lines;
  for (size_t i = BuildLogLineCount(); i-- > 0;)
    lines.push_back(std::to_string(BuildLogLineMark(i)) + "|" + BuildLogLineText(i));
  return lines;
}
