// Packed executables put together here (stub, meta data, minizip archive) run under Wine in a folder
// of their own, their windows answered; rows give what they must show and leave. The campaign damages
// good ones as the seed says: each must end in a numbered error or in the original files, with no
// crash, hang, write outside the extraction folder, partial file or meta data copy left.
//   extractor_e2e_test [--seed=N] [--count=N]   (N damaged variants)
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>

#include "guidriver.h"
#include "tests/support/registry_win32.h"
#include "build/archive.h"
#include "services/buildlog.h"
#include "services/zip_aes.h"
#include "tests/support/support.h"
#include "zip.h"
#include "zlib.h"

namespace {

// 2021-06-15 10:20:30 as the zip format stores it: date high, time low.
const uint32_t kEntryDosTime = ((41u << 9 | 6u << 5 | 15u) << 16) | (10u << 11 | 20u << 5 | 15u);
const DWORD kHung = 0xFFFF;  // the exit code of a run that outlived its time
const char kMissing[] = "<missing>";
// Path and contents; in an archive, the name as stored (the builder writes backslashes).
typedef std::vector<std::pair<std::string, std::string>> Files;

// aes: AE-2 entries stored (real method 0, which only other tools write), encrypted with the codec and
// written raw with method 99 and CRC 0 (the build's zip.c takes 99 for raw entries).
std::string MakeZip(const Files& entries, const std::string& password = "", int level = 6, bool utf8Names = true,
                    bool aes = false) {
  std::string path = ScratchName("zip");
  zipFile zip = zipOpen(path.c_str(), APPEND_STATUS_CREATE);
  bool ok = zip != nullptr;
  for (const auto& e : entries) {
    zip_fileinfo info = {{0, 0, 0, 0, 0, 0}, kEntryDosTime, 0, 0};
    uLong crc = crc32(0, (const Bytef*)e.second.data(), (uInt)e.second.size());
    // As the builder stores them: a name that is not plain ASCII is UTF-8, flagged by bit 11.
    uLong utf8 = utf8Names && std::any_of(e.first.begin(), e.first.end(), [](char c) { return c & 0x80; }) ? 0x800 : 0;
    std::string data = e.second;
    uint8_t salt[ZIP_AES_SALT_SIZE], code[ZIP_AES_CODE_SIZE], extra[ZIP_AES_EXTRA_SIZE];
    ZipAesKeys keys;
    ZipAesCoder coder;
    ZipAesWriteExtra(0, extra);
    if (aes) {
      ok = ok && CryptoRandom(salt, sizeof salt) && ZipAesDeriveKeys(password.data(), password.size(), salt, &keys) &&
           ZipAesBegin(&coder, &keys) && ZipAesEncrypt(&coder, &data[0], data.size()) && ZipAesEnd(&coder, code);
      data = std::string((char*)salt, 16) + std::string((char*)keys.verifier, 2) + data + std::string((char*)code, 10);
    }
    ok = ok && !zipOpenNewFileInZip4(zip, e.first.c_str(), &info, aes ? extra : nullptr, aes ? sizeof extra : 0,
                                     aes ? extra : nullptr, aes ? sizeof extra : 0, nullptr, aes ? ZIP_AES_METHOD : Z_DEFLATED,
                                     level, aes, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY,
                                     password.empty() || aes ? nullptr : password.c_str(), crc, 0, utf8 | aes) &&
         !zipWriteInFileInZip(zip, data.data(), (unsigned)data.size()) &&
         !(aes ? zipCloseFileInZipRaw(zip, e.second.size(), 0) : zipCloseFileInZip(zip));
  }
  ok = ok && !zipClose(zip, nullptr);
  std::string bytes = ReadRawFile(path);
  RemoveTree(path);
  return ok ? bytes : "";
}

// Deterministic from the seed, the same on every machine.
uint32_t Next(uint32_t* state) {
  *state ^= *state << 13;
  *state ^= *state >> 17;
  return *state ^= *state << 5;
}

std::string Noise(size_t size, uint32_t seed, bool words) {
  static const char* kWords[] = {"alpha ", "beta ", "gamma\r\n", "delta ", "42 ", "omega "};
  std::string text;
  while (text.size() < size) text += words ? kWords[Next(&seed) % 6] : std::string(1, (char)Next(&seed));
  return text.substr(0, size);
}

// Files of the build tree; kMissing when not built.
const std::string gStub = ReadRawFile(GuiBuildTreePath("extractor\\vqstub.exe"));
const std::string gProbe = ReadRawFile(GuiBuildTreePath("tests\\extractor\\launch_probe.exe"));

struct MetaData {
  std::string extractionPath = "*AppDir*\\out";
  int progressBar = 0, deleteFiles = 0, password = 0, overwrite = 0;
  std::vector<std::vector<std::string>> launches;  // ExecFile, CmdLine, WinState
  bool checked = true;  // ends with the check line (UTF-8 values), as the builder writes it
};

// The stub, the meta data block as the builder writes it (LF-ended header, CR-ended launch lines), zip.
std::string Packed(const MetaData& meta, const std::string& zip, const Files& entries) {
  long long total = 0;
  for (const auto& e : entries) total += (long long)e.second.size();
  std::string block = "[VQ]\nExtractionPath=" + meta.extractionPath + "\nZipSize=" + std::to_string(zip.size()) +
                      "\nUnZipSize=" + std::to_string(total) + "\nProgressBar=" + std::to_string(meta.progressBar) +
                      "\nDeleteFiles=" + std::to_string(meta.deleteFiles) + "\nPassword=" +
                      std::to_string(meta.password) + "\nOverwrite=" + std::to_string(meta.overwrite) + "\n";
  for (size_t i = 0; i < meta.launches.size(); ++i) {
    std::string n = std::to_string(i);
    const std::vector<std::string>& l = meta.launches[i];
    block += (l[0].empty() ? "" : "ExecFile" + n + "=" + l[0] + "\r") + "CmdLine" + n + "=" + l[1] +
             "\rWinState" + n + "=" + l[2] + "\r";
  }
  char check[24];
  snprintf(check, sizeof check, "Check=%08lX\r", crc32(0, (const Bytef*)block.data(), (uInt)block.size()));
  return gStub + block + (meta.checked ? check : "") + zip;
}

// Offsets of the parts of a zip archive made here; ok when the central directory fills its place.
struct ZipLayout {
  struct Entry {
    size_t local, data, central;
    uint32_t compressedSize;
  };
  std::vector<Entry> entries;
  size_t central = 0, end = 0;
  bool ok = false;
};

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
  size_t at = layout.central = ReadLe(zip, layout.end + 16, 4);
  for (uint32_t n = ReadLe(zip, layout.end + 10, 2); n > 0; --n) {
    ZipLayout::Entry e = {ReadLe(zip, at + 42, 4), 0, at, ReadLe(zip, at + 20, 4)};
    e.data = e.local + 30 + ReadLe(zip, e.local + 26, 2) + ReadLe(zip, e.local + 28, 2);
    layout.entries.push_back(e);
    at += 46 + ReadLe(zip, at + 28, 2) + ReadLe(zip, at + 30, 2) + ReadLe(zip, at + 32, 2);
  }
  layout.ok = at == layout.end;
  return layout;
}

// Offsets of fields in a local header, 2 less than in the central one; Patched sets both.
enum ZipField { ZIP_METHOD = 8, ZIP_CRC = 14, ZIP_COMPRESSED = 18, ZIP_UNCOMPRESSED = 22 };
std::string Patched(std::string zip, ZipField field, uint32_t value) {
  ZipLayout::Entry e = ReadZipLayout(zip).entries.at(0);
  PutLe(&zip, e.local + field, value, field == ZIP_METHOD ? 2 : 4);
  PutLe(&zip, e.central + field + 2, value, field == ZIP_METHOD ? 2 : 4);
  return zip;
}

// The entries as the builder's archive writer makes them (AE-2 with a password), dated kEntryDosTime.
std::string BuiltZip(Files entries, const char* password, int level = 0) {
  std::string folder = ScratchName("built") + "\\", path = ScratchName("built.zip");
  for (auto& e : entries) std::replace(e.first.begin(), e.first.end(), '/', '\\');  // the tree's own names
  MakeTree(folder, entries);
  ArchiveJob job;
  InitArchiveJob(&job);
  job.sourceFolder = folder.c_str(), job.archivePath = path.c_str(), job.password = password, job.aes256 = true;
  job.level = level;
  job.clock = [](PlatformLocalTime* now) { *now = {2021, 6, 15, 10, 20, 30}; };
  ResetBuildLog(nullptr);
  return BuildSourceArchive(&job) ? ReadRawFile(path) : "";
}

// The build tree's tests\extractor\NAME, emptied, with "cwd", "tmp" and "logs".
std::string RunFolder(const std::string& name) {
  std::string path = GuiBuildTreePath("tests\\extractor\\" + name);
  if (path.empty()) return "";
  RemoveTree(path);
  for (const char* sub : {"\\cwd", "\\tmp", "\\logs"}) MakeFolder(path + sub);
  return path;
}

// ---------------------------------------------------------------- the runner

// A scenario: what runs, how its windows are answered, what it must leave.
struct Row {
  std::string name;  // also its folder, below tests\extractor\e2e
  MetaData meta;
  Files entries;                   // the archive's, encrypted with zipPassword
  std::string zipPassword, bytes;  // bytes: the packed executable, when not made of these
  Files before;
  std::string args;
  // One answer per window in turn: the text to type into the password dialog ("<Cancel>", "<Close>": that
  // instead), a button's label for the others (the browse dialog is cancelled). Then: OK, Yes, the password.
  std::vector<std::string> answers;
  const char *shot, *held;  // the first window as tests\extractor\shots\SHOT.png; a file held unshared
  DWORD code;
  std::vector<std::string> windows;  // as RunResult has them; one ending in "|" matches by its start
  Files after;
  bool archiveTimes;  // the files after carry the archive's time
  std::string password;
  DWORD timeoutMs = 30000;
  std::function<void(const GuiProgram&)> watch;  // called while the run goes on
};

struct RunResult {
  DWORD code = kHung;
  // "caption|text" of boxes, "Confirm File Replace.|PATH" (below the folder), others' captions; "|!..." a flaw.
  std::vector<std::string> windows;
  bool metaLeft = false;  // a meta data copy ("VQ*.tmp") stayed behind
};

// What the window shows, as RunResult::windows has it; "" while a box is not complete.
std::string Seen(HWND w, const std::string& folder, GuiMessageBox* box) {
  std::string seen = GuiReadText(w);
  if (!seen.compare(0, 7, "ERROR #")) return GuiReadMessageBox(w, box) ? seen + "|" + box->text : "";
  auto lacks = [&](const char* text) {
    if (!GuiFindControlByText(w, text, "Static")) seen += std::string("|!lacks ") + text;
  };
  if (seen == "Password needed.") {
    lacks("Password:");
    lacks("This executable is password protected. Please enter the password in the box below.");
  } else if (seen == "Confirm File Replace.") {
    wchar_t wide[MAX_PATH] = L"";  // set in UTF-16: the name exactly, whatever the code page
    GetWindowTextW(GuiFindControl(w, 12), wide, MAX_PATH);
    std::string path = Utf8Of(wide);
    seen += "|" + (_strnicmp(path.c_str(), folder.c_str(), folder.size()) ? path : path.substr(folder.size() + 1));
    lacks("Would you like to replace the following file?");
  }
  return seen;
}

// Runs FOLDER\packed.exe.
RunResult RunPacked(const std::string& folder, const Row& run) {
  RunResult result;
  std::string exe = folder + "\\packed.exe", tmp = folder + "\\tmp";
  for (const char* name : {"TMP", "TEMP"}) SetEnvironmentVariableA(name, tmp.c_str());
  SetEnvironmentVariableA("VQ_PROBE_LOG_DIR", (folder + "\\logs").c_str());
  GuiProgram app;
  std::string bytes = run.bytes.size() ? run.bytes
                                       : Packed(run.meta, MakeZip(run.entries, run.zipPassword), run.entries);
  if (!WriteRawFile(exe, bytes) || !app.Start("\"" + exe + "\" " + run.args, (folder + "\\cwd").c_str()))
    return result;
  for (DWORD start = GetTickCount(); !app.Wait(20, &result.code);) {
    if (GetTickCount() - start > run.timeoutMs) break;  // a hang; GuiProgram ends it
    if (run.watch) run.watch(app);
    HWND w = nullptr;
    for (const char* c : {"ERROR #", "Password needed.", "Confirm File Replace.", "Browse for Folder"})
      w = w ? w : GuiFindWindow(c, true, app.pid);
    GuiMessageBox box;
    std::string seen = w ? Seen(w, folder, &box) : "";
    if (seen.empty()) continue;
    size_t n = result.windows.size();
    const char* answer = n < run.answers.size() ? run.answers[n].c_str() : nullptr;
    if (run.shot && n == 0 && (Sleep(300), true) &&  // let it finish painting
        !GuiSaveWindowShot(w, GuiBuildTreePath("tests\\extractor\\shots\\" + std::string(run.shot) + ".png")))
      seen += "|!no screenshot";
    HWND edit = GuiFindControl(w, 8);
    const char* label = answer ? answer : seen[0] == 'C' ? "&Yes" : nullptr;
    if (seen[0] == 'B') {
      GuiNotifyCommand(w, IDCANCEL, BN_CLICKED);
    } else if (seen[0] != 'P') {
      if (label ? !GuiClickButtonByText(w, label) : !GuiClickButton(w, box.firstButton))
        seen += "|!no such button";
    } else if (answer && answer[0] == '<') {
      answer[2] == 'a' ? GuiClickButtonByText(w, "&Cancel") : GuiCloseWindow(w);
    } else {
      GuiSetText(edit, answer ? answer : run.password);
      if (answer) {  // Enter and Escape do nothing: neither button is the dialog's OK or Cancel
        GuiPostKey(edit, VK_RETURN);
        GuiPostKey(edit, VK_ESCAPE);
        Sleep(300);
      }
      if (!GuiClickButtonByText(w, "&OK")) seen += "|!closed by a key";
    }
    result.windows.push_back(seen);
    if (!GuiWaitWindowGone(w, 15000)) break;
  }
  result.metaLeft = ListFolder(tmp + "\\").find("VQ") != std::string::npos;
  return result;
}

// ---------------------------------------------------------------- scenario rows

// Error number's box; the caption alone (a row's start) for a text of the system's own.
std::string Error(int number) {
  static const std::map<int, const char*> texts = {
      {6, "Failed to find the Meta Data. This archive is likely corrupted."},
      {9, "Failed to find the Compressed Data. This archive is likely corrupted."},
      {17, "Failed to retrieve information about the archive."}, {22, "Failed to open the current file."},
      {19, "Failed to retrieve information about the current file."}, {26, "Failed to read the current file."},
      {21, "Failed to retrieve information about the current file."}};
  char caption[16];
  snprintf(caption, sizeof caption, "ERROR #%04d|", number);
  return caption + (texts.count(number) ? texts.at(number) + std::string("\r\n\r\nPress OK to exit.") : "");
}

// Texts with %F filled in; long ones (data) as size and CRC, so that a failure stays readable.
std::string Shown(std::string text, const std::string& folder, bool whole = false) {
  for (size_t at; text.find('\0') == std::string::npos && (at = text.find("%F")) != std::string::npos;)
    text.replace(at, 2, folder);
  if (text.size() < 200 || whole) return text;
  return "<" + std::to_string(text.size()) + " bytes, crc " +
         std::to_string(crc32(0, (const Bytef*)text.data(), (uInt)text.size())) + ">";
}

// What is at path; "|time" added when a file carries the archive's time.
// Paths in UTF-8, read in UTF-16: names outside the code page are seen exactly.
std::string ReadUtf8Path(const std::string& path) {
  FILE* file = _wfopen(Utf8ToWide(path).c_str(), L"rb");
  std::string bytes;
  for (char chunk[65536]; file && !feof(file) && !ferror(file);) bytes.append(chunk, fread(chunk, 1, sizeof chunk, file));
  return file && !fclose(file) ? bytes : kMissing;
}

std::string State(const std::string& path, bool times) {
  std::string bytes = ReadUtf8Path(path);
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(Utf8ToWide(path).c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) FindClose(find);
  if (bytes == kMissing) return find != INVALID_HANDLE_VALUE ? "<folder>" : kMissing;
  FILETIME local, archive;
  DosDateTimeToFileTime(HIWORD(kEntryDosTime), LOWORD(kEntryDosTime), &local);
  LocalFileTimeToFileTime(&local, &archive);  // the archive's time is local time
  return Shown(bytes, "") + (times && !CompareFileTime(&archive, &data.ftLastWriteTime) ? "|time" : "");
}

void RunRow(const Row& row) {
  SCOPED_TRACE(row.name);
  std::string folder = RunFolder("e2e\\" + row.name);
  ASSERT_FALSE(gStub == kMissing || folder.empty()) << "no build tree";
  MakeTree(folder + "\\", row.before);
  HANDLE held = row.held ? CreateFileW(Utf8ToWide(folder + "\\" + row.held).c_str(), GENERIC_READ, 0, nullptr,
                                       OPEN_EXISTING, 0, nullptr) : INVALID_HANDLE_VALUE;
  RunResult result = RunPacked(folder, row);
  if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
  EXPECT_EQ(row.code, result.code);
  EXPECT_FALSE(result.metaLeft) << "the meta data copy stayed";
  for (size_t i = 0; i < result.windows.size() && i < row.windows.size(); ++i)
    if (row.windows[i].back() == '|' && !result.windows[i].compare(0, row.windows[i].size(), row.windows[i]))
      result.windows[i] = row.windows[i];
  EXPECT_EQ(row.windows, result.windows);
  Files expected, actual;
  // Without delete files the extractor does not wait: started programs end later.
  for (int wait = row.meta.launches.size() && !row.meta.deleteFiles ? 100 : 0;; Sleep(100)) {
    expected.clear();
    actual.clear();
    for (const auto& f : row.after) {
      std::string path = Shown(f.first, folder, true), want = Shown(f.second, folder);
      bool times = row.archiveTimes && want[0] != '<';
      expected.push_back({f.first, times ? want + "|time" : want});
      actual.push_back({f.first, State(path[1] == ':' ? path : folder + "\\" + path, times)});
    }
    if (expected == actual || wait-- <= 0) break;
  }
  EXPECT_EQ(expected, actual);
}

const Files kTree = {{"readme.txt", "Read me first.\r\n"}, {"bin\\tool.dat", Noise(300000, 1, false)},
                     {"bin\\deep\\empty.txt", ""}, {"docs/slash.txt", "forward slash"}};
const Files kTreeAfter = {{"out\\readme.txt", kTree[0].second}, {"out\\bin\\tool.dat", kTree[1].second},
                          {"out\\bin\\deep\\empty.txt", ""}, {"out\\docs\\slash.txt", "forward slash"}};

// What the probe logs when started with args in folder cwd, shown as show.
std::string Log(const std::string& args, const std::string& cwd, int show) {
  return "args=" + args + "\ncwd=" + cwd + "\nshow=" + std::to_string(show) + "\nended\n";
}

TEST(PackedRun, DamagedHostileAndSignedArchives) {
  Files a = {{"a.txt", Noise(40000, 2, false)}};
  std::string zip = MakeZip(a), head = Packed(MetaData(), zip, a), renamed = zip, elsewhere = head + zip;
  elsewhere[elsewhere.find("\\out\n") + 3] = 'n';  // the folder named in the block, not the check line
  head.resize(head.size() - zip.size());  // stub and meta data
  ZipLayout layout = ReadZipLayout(zip);
  ASSERT_TRUE(layout.ok);
  auto counted = [&](std::string bytes, uint32_t count) {
    for (size_t field : {8, 10}) PutLe(&bytes, bytes.size() - 22 + field, count, 2);  // both entry counts
    return head + bytes;
  };
  renamed[layout.entries[0].central + 46] = 'b';  // in the central directory only
  // The first half's whole deflate stream under the whole file's size and CRC: zlib takes its end for a clean one.
  std::string early = Patched(MakeZip({{"a.txt", a[0].second.substr(0, 20000)}}), ZIP_UNCOMPRESSED, 40000);
  uint32_t crc = (uint32_t)crc32(0, (const Bytef*)a[0].second.data(), 40000);
  // Stored deflate blocks (level 0): a flipped data byte leaves the stream valid; the CRC catches it.
  Files two = {{"good.txt", "good"}, {"bad.txt", "0123" + std::string(4000, 'q')}};
  std::string flipped = MakeZip(two, "", 0);
  flipped[flipped.find("0123") + 3] ^= 1;
  // One row for each way the extractor's code reaches an error: the archive not opened, none or
  // too few counted (17); the local name differing (21); the method refused (22); a read that fails,
  // a stream that ends early, a CRC that differs (26; method 0 passes the method check).
  struct { const char* name; std::string bytes; int error; const char* good; } damages[] = {
      {"no-archive", head, 9},
      {"cut-short", head + zip.substr(0, zip.size() - 30), 17},
      {"counted-none", counted(zip, 0), 17},
      {"counted-one-of-two", counted(MakeZip({a[0], {"b.txt", "beta"}}), 1), 17},
      {"counted-three", counted(zip, 3), 19},
      {"renamed", head + renamed, 21},
      {"bzip2", head + Patched(zip, ZIP_METHOD, 12), 22},
      {"stored-but-deflated", head + Patched(zip, ZIP_METHOD, 0), 26},
      {"ends-early", head + Patched(early, ZIP_CRC, crc), 26},
      {"packed-size-halved", head + Patched(zip, ZIP_COMPRESSED, layout.entries[0].compressedSize / 2), 26},
      {"entry-data-flipped", Packed(MetaData(), flipped, two), 26, "good"},
      {"entry-data-flipped-delete", Packed({.deleteFiles = 1}, flipped, two), 26, kMissing},
      {"meta-check-failed", elsewhere, 6},
  };
  std::vector<Row> rows;
  for (const auto& d : damages) {  // nothing of a damaged entry stays, not even a short file
    Files after = {{"out\\a.txt", kMissing}, {"out\\b.txt", kMissing}, {"out\\bad.txt", kMissing}};
    if (d.good) after.push_back({"out\\good.txt", d.good});  // from the archive that holds it
    rows.push_back({.name = d.name, .bytes = d.bytes, .shot = d.error == 9 ? "error-0009" : nullptr,
                    .code = 1, .windows = {Error(d.error)}, .after = after});
  }
  // A name that leaves the extraction folder (which names do: the rules suite's), or is not UTF-8 though
  // flagged so (a cut sequence, an overlong ".."); the entry before stays.
  for (const char* evil : {"..\\evil.txt", "C:\\\xC3\xA9vil.txt", "\xC0\xAE\xC0\xAE\\evil.txt", "evil\xC3.txt"})
    rows.push_back({.name = "name-climbs-" + std::to_string(rows.size()), .entries = {{"first.txt", "1"}, {evil, "e"}},
                    .code = 1, .windows = {Error(21)},
                    .after = {{"out\\first.txt", "1"}, {"evil.txt", kMissing}, {"C:\\\xC3\xA9vil.txt", kMissing}}});
  rows.push_back({.name = "name-too-long", .entries = {{std::string(300, 'n'), "x"}}, .code = 1,
                  .windows = {Error(21)}});
  rows.push_back({.name = "folder-too-long", .meta = {.extractionPath = "*TempDir*" + std::string(240, 'f')},
                  .entries = a, .code = 1, .windows = {Error(16)}});
  // A block from an older build, without the check line, is read as before; bytes behind the archive, where a
  // code signature goes, change nothing.
  rows.push_back({.name = "unchecked-signed", .bytes = Packed({.checked = false}, zip, a) + Noise(1500, 5, false),
                  .after = {{"out\\a.txt", a[0].second}}});
  for (const Row& row : rows) RunRow(row);
}

TEST(PackedRun, Password) {
  MetaData secret = {.password = 1};
  std::string wrong = "ERROR #0027 Wrong password|The password that you typed is not correct.";
  // AE-2: as the builder writes them; stored with a byte of tool.dat flipped, which only the code shows.
  std::string aes = Packed(secret, BuiltZip(kTree, "open sesame"), kTree),
              flipped = MakeZip(kTree, "open sesame", 0, true, true);
  flipped[ReadZipLayout(flipped).entries.at(1).data + 1000] ^= 1;
  const Row rows[] = {
      {.name = "password-wrong", .meta = secret, .entries = kTree, .zipPassword = "open sesame",
       .answers = {"open sesame!"}, .code = 1, .windows = {"Password needed.", wrong},
       .after = {{"out\\readme.txt", kMissing}}},
      {.name = "password-cancel", .meta = secret, .entries = kTree, .zipPassword = "x",
       .answers = {"<Cancel>"}, .windows = {"Password needed."}, .after = {{"out", kMissing}}},
      {.name = "password-closed", .meta = secret, .entries = kTree, .zipPassword = "x",
       .answers = {"<Close>"}, .windows = {"Password needed."}, .after = {{"out", kMissing}}},
      // Typed (with Enter and Escape, which change nothing) past the box's limit: the run takes the
      // first 2047 characters, and the files come out with the archive's times.
      {.name = "password-right", .meta = secret, .entries = kTree, .zipPassword = std::string(2047, 'p'),
       .answers = {std::string(2047, 'p') + std::string(1000, 'z')}, .shot = "password-dialog",
       .windows = {"Password needed."}, .after = kTreeAfter, .archiveTimes = true},
      {.name = "aes-right", .bytes = aes, .windows = {"Password needed."}, .after = kTreeAfter, .archiveTimes = true,
       .password = "open sesame"},  // the folder stays for 7-Zip (tests/extractor/CMakeLists.txt)
      {.name = "aes-wrong", .bytes = aes, .code = 1, .windows = {"Password needed.", wrong},
       .after = {{"out\\readme.txt", kMissing}}, .password = "open sesame!"},
      {.name = "aes-flipped", .bytes = Packed(secret, flipped, kTree), .code = 1, .windows = {"Password needed.", wrong},
       .after = {{"out\\readme.txt", kTree[0].second}, {"out\\bin\\tool.dat", kMissing}}, .password = "open sesame"},
  };
  for (const Row& row : rows) RunRow(row);
}

TEST(PackedRun, Overwrite) {
  // The question names the file exactly, though no code page holds an emoji.
  Files entries = {{"1.txt", "new1"}, {"2 日本 😀.txt", "new2"}, {"3.txt", "new3"}, {"4.txt", "new4"}};
  Files old = {{"out\\1.txt", "old"}, {"out\\2 日本 😀.txt", "old"}, {"out\\3.txt", "old"}};
  auto after = [](const char* a, const char* b, const char* c, const char* d) {
    return Files{{"out\\1.txt", a}, {"out\\2 日本 😀.txt", b}, {"out\\3.txt", c}, {"out\\4.txt", d}};
  };
  std::vector<std::string> asked = {"Confirm File Replace.|out\\1.txt", "Confirm File Replace.|out\\2 日本 😀.txt"};
  MetaData ask = {.overwrite = 1};
  // Each button once; skipping by mode after No to All (what answers do: the rules suite's table).
  const Row rows[] = {
      {.name = "ask-no-yes-to-all", .meta = ask, .entries = entries, .before = old, .answers = {"&No", "Y&es to All"},
       .shot = "replace-dialog", .windows = asked, .after = after("old", "new2", "new3", "new4")},
      {.name = "ask-yes-no-to-all", .meta = ask, .entries = entries, .before = old,
       .answers = {"&Yes", "N&o to All"}, .windows = asked, .after = after("new1", "old", "old", "new4")},
      // Mode 0 overwrites; a file held open cannot be: the run ends there, the system's reason in the box.
      {.name = "overwrite-held", .entries = entries, .before = old, .held = "out\\2 日本 😀.txt", .code = 1,
       .windows = {Error(24)}, .after = after("new1", "old", "old", kMissing)},
  };
  for (const Row& row : rows) RunRow(row);
}

TEST(PackedRun, LaunchAndDeleteFiles) {
  ASSERT_NE(kMissing, gProbe) << "launch_probe.exe not built";
  Files treeAndProbes = kTree;
  for (const char* probe : {"a\\slow.exe", "quick.exe", "bin\\probe.exe"}) treeAndProbes.push_back({probe, gProbe});
  std::string longName;  // 275 bytes of UTF-8, 95 units of UTF-16 (each part within Linux's 255 bytes)
  for (int i = 0; i < 90; ++i) longName += i == 60 ? "\\名" : "名";
  longName += ".txt";
  const Files kWorld = {{"Café.txt", "latin"}, {"папка\\файл.txt", "cyrillic"}, {"日本語\\テスト.txt", "japanese"},
                        {"😀\\emoji😀.txt", "emoji"}, {"naïve\\файл 日本.txt", "mixed"}, {longName, "long"}};
  // Without the flag, names are the system code page's: the same ones, as far as this one holds them.
  const char* page = getenv("VQ_CODE_PAGE");
  EXPECT_EQ(page ? atoi(page) : (int)GetACP(), (int)GetACP()) << "the locale's code page";
  Files kWorldAfter, worldAndProbe = kWorld, codePage, codePageAfter;
  for (const auto& f : kWorld) {
    kWorldAfter.push_back({"out\\" + f.first, f.second});
    char name[256];
    BOOL lost = FALSE;
    if (WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, Utf8ToWide(f.first).c_str(), -1, name, 256, nullptr, &lost) && !lost)
      codePage.push_back({name, f.second}), codePageAfter.push_back(kWorldAfter.back());
  }
  worldAndProbe.push_back({"起動\\プローブ.exe", gProbe});
  const Row rows[] = {
      // A name not extracted is passed over, one that does not start is a warning; the run goes on until an empty
      // name ends the list (keywords: the rules'). The probe logs after a sleep, by when p3, had it started, had too.
      {.name = "launch-list",
       .meta = {.launches = {{"missing.exe", "", "*ShowWin*"}, {"broken.exe", "", ""},
                             {"bin\\probe.exe", "--sleep=1500 /a *Command* -t *tempdir*x", "*maximizewin*"},
                             {"", "", "*HideWin*"}, {"p3.exe", "", "*HideWin*"}}},
       .entries = {{"broken.exe", "this is not a program"}, {"bin\\probe.exe", gProbe}, {"p3.exe", gProbe}},
       .args = "one \"two three\"", .windows = {Error(20)},
       .after = {{"logs\\probe.exe.log",
                  Log("--sleep=1500 /a one \"two three\" -t %F\\tmp\\x", "%F\\out\\bin", SW_SHOWMAXIMIZED)},
                 {"logs\\p3.exe.log", kMissing}}},
      // Names in any language (UTF-8, flagged) reach the system exactly, and so do a launch entry and its
      // arguments; delete files takes every one of them out again.
      {.name = "names-any-language", .entries = kWorld, .after = kWorldAfter, .archiveTimes = true},
      {.name = "names-code-page", .bytes = Packed({}, MakeZip(codePage, "", 6, false), codePage), .after = codePageAfter},
      {.name = "names-any-language-delete",
       .meta = {.deleteFiles = 1, .launches = {{"起動\\プローブ.exe", "привет *Command*", "*HideWin*"}}},
       .entries = worldAndProbe, .args = "мир ё",
       .after = {{"logs\\プローブ.exe.log", Log("привет мир ё", "%F\\out\\起動", SW_HIDE)}, {"out", kMissing}}},
      // Only what the run put there goes: the user's files stay, and the folders that hold them.
      {.name = "delete-keeps-others", .meta = {.deleteFiles = 1}, .entries = kTree,
       .before = {{"out\\keep.txt", "mine"}, {"out\\bin\\x", "mine"}},
       .after = {{"out\\keep.txt", "mine"}, {"out\\bin\\x", "mine"}, {"out\\readme.txt", kMissing},
                 {"out\\bin\\tool.dat", kMissing}, {"out\\bin\\deep", kMissing}, {"out\\docs", kMissing}}},
      // Every program ends before the files and the folders the run made go; Games stays, with the file
      // that the probe, started in bin, left there.
      {.name = "delete-waits",
       .meta = {.extractionPath = "*AppDir*\\Games\\MyGame", .deleteFiles = 1,
                .launches = {{"a\\slow.exe", "--sleep=3000", "*HideWin*"}, {"quick.exe", "--sleep=1000", "*HideWin*"},
                             {"bin\\probe.exe", "--leave=..\\..\\installed.txt", "*HideWin*"}}},
       .entries = treeAndProbes,
       .after = {{"logs\\slow.exe.log", Log("--sleep=3000", "%F\\Games\\MyGame\\a", SW_HIDE)},
                 {"logs\\quick.exe.log", Log("--sleep=1000", "%F\\Games\\MyGame", SW_HIDE)},
                 {"Games\\installed.txt", "left by the probe\n"}, {"Games\\MyGame", kMissing}}},
  };
  for (const Row& row : rows) RunRow(row);
}

TEST(PackedRun, PathVariables) {
  ASSERT_NE(kMissing, gProbe) << "launch_probe.exe not built";
  // The prefix's folders pointed at folders of ours while the test runs.
  std::string shell = RunFolder("e2e\\shell") + "\\", line, expected;
  const char* variables[][2] = {  // variable, its Shell Folders value
      {"*Desktop*", "Desktop"}, {"*Documents*", "Personal"}, {"*Favorites*", "Favorites"},
      {"*Fonts*", "Fonts"}, {"*LocalSettings*", "Local Settings"}, {"*MyMusic*", "My Music"},
      {"*MyPictures*", "My Pictures"}, {"*MyVideo*", "My Video"}, {"*SendTo*", "SendTo"},
      {"*StartMenu*", "Programs"}, {"*StartUp*", "Startup"}, {"*QuickLaunch*", "AppData"},
      {"*ProgramFiles*", "ProgramFilesDir"}};
  std::vector<std::unique_ptr<ScopedRegistryValue>> saved;
  for (auto& v : variables) {  // the Desktop of a user whose name is outside the code page
    std::string target = shell + v[1] + (strcmp(v[1], "Desktop") ? "" : " Zoë 李");
    bool user = strcmp(v[1], "ProgramFilesDir");
    saved.emplace_back(new ScopedRegistryValue(user ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE,
        user ? kShellFoldersKey : "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", v[1], target));
    if (v[1] == std::string("AppData")) target += "\\Microsoft\\Internet Explorer\\Quick Launch";
    if (!CreateDirectoryW(Utf8ToWide(target).c_str(), nullptr)) MakeFolder(target);
    line += std::string(v[0]) + "|";
    expected += target + "\\|";
  }
  char windows[MAX_PATH], system[MAX_PATH];
  GetWindowsDirectoryA(windows, MAX_PATH);
  GetSystemDirectoryA(system, MAX_PATH);
  line += "*AppDir*|*CurDir*|*RootDir*|*SysDir*|*TempDir*|*WinDir*";
  expected += "%F\\|%F\\cwd\\|" + std::string(windows, 3) + "|" + system + "\\|%F\\tmp\\|" + windows + "\\";
  std::string quit = "ERROR #0028 Quit Program!|Are you sure?";
  std::vector<Row> rows = {
      {.name = "every-variable",  // delete files: the run waits for the probe
       .meta = {.deleteFiles = 1, .launches = {{"probe.exe", line, "*HideWin*"}}},
       .entries = {{"probe.exe", gProbe}}, .after = {{"logs\\probe.exe.log", Log(expected, "%F\\out", SW_HIDE)}}},
  };
  // A relative extraction folder lies below the current folder (the rules: pathvars_test's).
  rows.push_back({.name = "path-relative", .meta = {.extractionPath = "Relative\\Files"},
                  .entries = {{"marker.txt", "m"}}, .after = {{"%F\\cwd\\Relative\\Files\\marker.txt", "m"}}});
  // Cancelled, the browse dialog asks to quit: No shows it again, Yes ends the
  // run. Last: under Wine the dialog writes the real folders back to the registry.
  rows.push_back({.name = "path-browse-cancelled", .meta = {.extractionPath = "*BrowseForFolder*\\Files"},
                  .entries = {{"a.txt", "a"}}, .answers = {"", "&No", "", "&Yes"}, .shot = "browse-dialog",
                  .code = 1, .windows = {"Browse for Folder", quit, "Browse for Folder", quit},
                  .after = {{"%F\\tmp\\Files", kMissing}}});
  for (const Row& row : rows) RunRow(row);
}

TEST(PackedRun, ProgressWindowShowsWhileWriting) {
  // Zeros compress well and still take dozens of chunks to write; the
  // extractor answers only between them, so a text may come back empty once.
  std::string zeros(96 << 20, '\0');
  bool sawCaption = false, sawPercent = false, shot = false;  // the picture once a percentage shows
  auto watch = [&](const GuiProgram& p) {
    HWND progress = GuiFindWindow("", false, p.pid);
    HWND caption = progress ? GuiFindControlByText(progress, "Extracting files...", "Static") : nullptr;
    std::string text = GuiReadText(GetWindow(caption, GW_HWNDNEXT));  // the percentage follows it
    sawCaption = sawCaption || caption;
    sawPercent = sawPercent || (text.size() >= 3 && text[0] == ' ' && text.back() == '%');
    if (sawPercent && !shot && IsWindowVisible(progress))
      shot = GuiSaveWindowShot(progress, GuiBuildTreePath("tests\\extractor\\shots\\progress-window.png"));
  };
  RunRow({.name = "progress", .meta = {.progressBar = 1}, .entries = {{"big.bin", zeros}},
          .after = {{"out\\big.bin", zeros}}, .timeoutMs = 120000, .watch = watch});
  EXPECT_TRUE(sawCaption && sawPercent && shot) << sawCaption << sawPercent << shot;
  RemoveTree(GuiBuildTreePath("tests\\extractor\\e2e\\progress"));
}

// ---------------------------------------------------------------- campaign

unsigned gSeed = 1;
int gCount = 60;
const char kPassword[] = "campaign secret";

// Every file below folder by relative path, lower case; folders as "name\\".
typedef std::map<std::string, std::string> Tree;
// Listed in UTF-16, named in UTF-8 (only ASCII letters lowered).
void ListTree(const std::string& folder, const std::string& prefix, Tree* out) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(Utf8ToWide(folder + "\\*").c_str(), &data);
  for (bool more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileW(find, &data)) {
    const std::string utf8 = Utf8Of(data.cFileName);
    std::string name = prefix + utf8, path = folder + "\\" + utf8;
    for (char& c : name) c = c >= 'A' && c <= 'Z' ? (char)(c - 'A' + 'a') : c;
    if (utf8 == "." || utf8 == "..") continue;
    (*out)[name + (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY ? "\\" : "")] = ReadUtf8Path(path);
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ListTree(path, name + "\\", out);
  }
  if (find != INVALID_HANDLE_VALUE) FindClose(find);
}

// The verdict on one variant, run in dir: "complete", "error #NNNN" or "FAULT: ...". Damaged meta data
// must end in error 6, in any byte (so a variant that succeeds kept DeleteFiles=0: its files stay).
std::string Verdict(const std::string& dir, const std::string& bytes, const Tree& originals, bool metaDamaged) {
  RunResult result = RunPacked(dir, {.bytes = bytes, .password = kPassword, .timeoutMs = 20000});
  std::string error;
  for (const std::string& w : result.windows) {
    if (w.find("|!") != std::string::npos) return "FAULT: " + w;
    if (!w.compare(0, 7, "ERROR #")) error = "error #" + w.substr(7, 4);
  }
  if (result.code == kHung) return "FAULT: hang";
  if (result.code > 1) return "FAULT: crash, exit code " + std::to_string(result.code);
  if (result.metaLeft) return "FAULT: the meta data copy stayed";
  if (result.code == 1 && error.empty()) return "FAULT: exit code 1 without a numbered error";
  if (result.code == 0 && !error.empty()) return "FAULT: success after " + error;
  if (metaDamaged && error != "error #0006") return "FAULT: damaged meta data used, " + (error.empty() ? "success" : error);
  Tree left;
  ListTree(dir, "", &left);
  for (const char* ours : {"packed.exe", "cwd\\", "tmp\\", "logs\\", "out\\"}) left.erase(ours);
  for (const auto& f : left) {
    if (f.first.compare(0, 4, "out\\")) return "FAULT: written outside the extraction folder: " + f.first;
    std::string extracted = f.first.substr(4);
    auto original = originals.find(extracted);
    // A file that is there is the original; after an error, what was not written yet may be missing.
    if (original == originals.end() || original->second != f.second)
      return (result.code ? "FAULT: a wrong or partial file stays: " : "FAULT: success with a wrong file: ") +
             extracted;
  }
  for (const auto& f : originals)
    if (result.code == 0 && !left.count("out\\" + f.first))
      return "FAULT: success with a file missing: " + f.first;
  return result.code ? error : "complete";
}

TEST(Campaign, DamagedExecutablesEndInAnErrorOrInTheOriginalFiles) {
  ASSERT_NE(kMissing, gStub) << "vqstub.exe not found in the build tree";
  std::string root = RunFolder("e2e\\campaign");
  Files source = {{"readme.txt", "Read me first.\r\n"}, {"empty.txt", ""},
                  {"data\\big.txt", Noise(180000, 7, true)}, {"data\\noise.bin", Noise(20000, 9, false)},
                  {"data\\deep\\er\\nested.txt", Noise(3000, 11, true)}, {"日本\\файл😀.txt", "names"}};
  Tree originals;  // each file and each folder above it
  MakeTree(root + "\\source\\", source);
  ListTree(root + "\\source", "", &originals);
  const std::string good[] = {Packed(MetaData(), MakeZip(source), source),
                              Packed({.password = 1}, MakeZip(source, kPassword), source),
                              Packed({.password = 1}, BuiltZip(source, kPassword, 6), source)};
  static const char* kKinds[] = {"plain ", "secret ", "aes "};
  const int kinds = 3;  // the first variant of each kind stays good
  std::string report;
  std::map<std::string, int> counts;
  uint32_t random = gSeed * 2654435761u | 1;
  static const char* kParts[] = {"cut", "meta data", "local header", "entry data", "central directory", "end record",
                                 "salt", "verifier", "code"};
  for (int i = 0; i < gCount + kinds; ++i) {
    const std::string& bytes = good[i % kinds];
    size_t m = bytes.find("[VQ"), p = bytes.find(std::string("PK\3\4", 4), m);
    ZipLayout layout = ReadZipLayout(bytes.substr(p));
    ASSERT_TRUE(layout.ok);
    const ZipLayout::Entry& e = layout.entries[Next(&random) % layout.entries.size()];
    int part = i < kinds ? 0 : (i - kinds) / kinds % (i % kinds == 2 ? 9 : 6);  // AE-2 adds its salt, verifier, code
    size_t d = p + e.data, ranges[9][2] = {{m, bytes.size()}, {m, p}, {p + e.local, d}, {d, d + e.compressedSize},
                                           {p + layout.central, p + layout.end}, {p + layout.end, bytes.size()},
                                           {d, d + 16}, {d + 16, d + 18}, {d + e.compressedSize - 10, d + e.compressedSize}};
    size_t at = ranges[part][0] + Next(&random) % std::max<size_t>(1, ranges[part][1] - ranges[part][0]);
    int bit = (int)(Next(&random) % 8);
    std::string variant = bytes, name = kKinds[i % kinds] + std::string(i < kinds ? "good" : kParts[part]);
    if (i >= kinds && part == 0) {
      variant.resize(at);
      name += " at byte " + std::to_string(at);
    } else if (i >= kinds) {
      variant[at] ^= (char)(1 << bit);
      name += ": bit " + std::to_string(bit) + " of byte " + std::to_string(at);
    }
    std::string dir = RunFolder("e2e\\campaign\\v" + std::to_string(i));
    std::string verdict = Verdict(dir, variant, originals, i >= kinds && part == 1);
    counts[(i < kinds ? "good" : kParts[part]) + std::string(": ") + verdict.substr(0, verdict.find(':', 7))]++;
    if (verdict.compare(0, 6, "FAULT:")) RemoveTree(dir);
    else ADD_FAILURE() << name << " -> " << verdict;
    report += "v" + std::to_string(i) + "\t" + name + "\t" + verdict + "\n";
  }
  WriteRawFile(root + "\\report.txt", report);
  printf("campaign: seed %u, %d variants\n", gSeed, gCount + kinds);
  for (const auto& c : counts) printf("  %4d  %s\n", c.second, c.first.c_str());
  EXPECT_EQ(kinds, counts["good: complete"]) << "the good ones must extract, or the campaign proves nothing";
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i < argc; ++i) {
    if (!strncmp(argv[i], "--seed=", 7)) gSeed = (unsigned)strtoul(argv[i] + 7, nullptr, 10);
    if (!strncmp(argv[i], "--count=", 8)) gCount = atoi(argv[i] + 8);
  }
  return RUN_ALL_TESTS();
}
