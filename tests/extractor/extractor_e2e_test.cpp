// Packed executables run end to end under Wine, one scenario a row: the meta
// data and archive, the files there before the run and the answers to its
// windows, then the exit code, the windows it showed and the files after.
// In file names and contents "%F" stands for the row's folder (the packed
// executable's; runs start in %F\cwd with %F\tmp as temporary folder);
// "<missing>" is no file or folder there, "<folder>" a folder.
#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "packed_run.h"
#include "tests/support/registry_win32.h"
#include "tests/support/support.h"
#include "zlib.h"

namespace {

typedef std::vector<std::pair<std::string, std::string>> Files;
const char kPressOk[] = "\r\n\r\nPress OK to exit.";
const char kMissing[] = "<missing>";

struct Row {
  std::string name;  // also its folder, below tests\extractor\e2e
  MetaData meta;
  std::vector<ZipEntry> entries;   // the archive's, encrypted with zipPassword
  std::string zipPassword, bytes;  // bytes: the packed executable, when not made of these
  Files before;
  std::string args;
  std::vector<std::string> answers;  // as PackedRun takes them
  const char *shot, *held;           // held: a file open without sharing during the run
  DWORD code;
  std::vector<std::string> windows;  // a '*' stands for one character or more
  Files after;
  bool archiveTimes;  // the files after carry the archive's time
};

std::string Error(int number) {
  static const std::map<int, const char*> texts = {
      {6, "Failed to find the Meta Data. This archive is likely corrupted."},
      {9, "Failed to find the Compressed Data. This archive is likely corrupted."},
      {17, "Failed to retrieve information about the archive."},
      {19, "Failed to retrieve information about the current file."},
      {21, "Failed to retrieve information about the current file."},
      {22, "Failed to open the current file."},
      {26, "Failed to read the current file."}};
  char caption[16];
  snprintf(caption, sizeof caption, "ERROR #%04d|", number);
  return caption + std::string(texts.count(number) ? texts.at(number) : "*") + kPressOk;
}

std::string Expand(std::string text, const std::string& folder) {  // data (with NULs) stays
  for (size_t at; text.find('\0') == std::string::npos && (at = text.find("%F")) != std::string::npos;)
    text.replace(at, 2, folder);
  return text;
}

// Long contents as their size and CRC, so that a failure stays readable.
std::string Shown(const std::string& bytes) {
  if (bytes.size() < 200) return bytes;
  return "<" + std::to_string(bytes.size()) + " bytes, crc " +
         std::to_string(crc32(0, (const Bytef*)bytes.data(), (uInt)bytes.size())) + ">";
}

// What is at path: its bytes, "<folder>" or "<missing>"; with "|time" added
// when a file carries the archive's time.
std::string State(const std::string& path, bool times) {
  std::string bytes = ReadRawFile(path);
  if (bytes == kMissing) return FileExists(path) ? "<folder>" : kMissing;
  bytes = Shown(bytes);
  FILETIME local, archive;
  DosDateTimeToFileTime(HIWORD(kEntryDosTime), LOWORD(kEntryDosTime), &local);
  LocalFileTimeToFileTime(&local, &archive);  // the archive's time is local time
  WIN32_FIND_DATAA data;
  FindClose(FindFirstFileA(path.c_str(), &data));
  return bytes + (times && !CompareFileTime(&archive, &data.ftLastWriteTime) ? "|time" : "");
}

bool Matches(const std::string& pattern, const std::string& seen) {
  size_t star = pattern.find('*'), tail = pattern.size() - star - 1;
  if (star == std::string::npos) return pattern == seen;
  return seen.size() > star + tail && !seen.compare(0, star, pattern, 0, star) &&
         !seen.compare(seen.size() - tail, tail, pattern, star + 1, tail);
}

void RunRow(const Row& row) {
  SCOPED_TRACE(row.name);
  std::string folder = RunFolder("e2e\\" + row.name);
  ASSERT_FALSE(StubImage() == kMissing || folder.empty()) << "no build tree";
  MakeTree(folder + "\\", row.before);
  HANDLE held = row.held ? CreateFileA((folder + "\\" + row.held).c_str(), GENERIC_READ, 0,
                                       nullptr, OPEN_EXISTING, 0, nullptr)
                         : INVALID_HANDLE_VALUE;
  PackedRun run;
  run.bytes = row.bytes.size() ? row.bytes
                               : Packed(row.meta, MakeZip(row.entries, row.zipPassword), row.entries);
  run.args = row.args;
  run.answers = row.answers;
  run.shot = row.shot;
  RunResult result = RunPacked(folder, run);
  if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
  EXPECT_EQ(row.code, result.code);
  EXPECT_FALSE(result.metaLeft) << "the meta data copy stayed";
  bool same = row.windows.size() == result.windows.size();
  for (size_t i = 0; same && i < row.windows.size(); ++i)
    same = Matches(row.windows[i], result.windows[i]);
  EXPECT_TRUE(same) << ::testing::PrintToString(result.windows);
  // Without delete files the extractor does not wait: started programs end later.
  Files expected, actual;
  for (int wait = row.meta.launches.size() && !row.meta.deleteFiles ? 100 : 0;; Sleep(100)) {
    expected.clear();
    actual.clear();
    for (const auto& f : row.after) {
      std::string path = Expand(f.first, folder), want = Shown(Expand(f.second, folder));
      bool times = row.archiveTimes && want[0] != '<';
      expected.push_back({f.first, times ? want + "|time" : want});
      actual.push_back({f.first, State(path[1] == ':' ? path : folder + "\\" + path, times)});
    }
    if (expected == actual || wait-- <= 0) break;
  }
  EXPECT_EQ(expected, actual);
}

std::string Pattern(size_t size, unsigned seed) {
  std::string data(size, 0);
  for (char& c : data) c = (char)((seed = seed * 1103515245u + 12345u) >> 16);
  return data;
}

std::string Text(size_t size) {
  std::string text;
  while (text.size() < size) text += "alpha beta gamma " + std::to_string(text.size()) + "\r\n";
  return text.substr(0, size);
}

const std::vector<ZipEntry> kTree = {{"readme.txt", "Read me first.\r\n"},
                                     {"bin\\tool.dat", Pattern(300000, 1)},
                                     {"bin\\deep\\empty.txt", ""},
                                     {"docs/slash.txt", "forward slash"}};
const Files kTreeAfter = {{"out\\readme.txt", kTree[0].data},
                          {"out\\bin\\tool.dat", kTree[1].data},
                          {"out\\bin\\deep\\empty.txt", ""},
                          {"out\\docs\\slash.txt", "forward slash"}};

const std::string& Probe() {
  static std::string probe = BuildTreeFile("tests\\extractor\\launch_probe.exe");
  return probe;
}

// What the probe logs when started with args in folder cwd, shown as show.
std::string Log(const std::string& args, const std::string& cwd, int show) {
  return "args=" + args + "\ncwd=" + cwd + "\nshow=" + std::to_string(show) + "\nended\n";
}

TEST(PackedRun, Settings) {
  std::vector<ZipEntry> a = {{"a.txt", "alpha"}};
  std::string packed = Packed(MetaData(), MakeZip(a), a), pad(60000 - StubImage().size(), 'x');
  const Row rows[] = {
      {.name = "default", .entries = kTree, .after = kTreeAfter, .archiveTimes = true},
      {.name = "relative", .meta = {.extractionPath = "Relative\\Files"}, .entries = a,
       .after = {{"cwd\\Relative\\Files\\a.txt", "alpha"}}},  // below the current folder
      {.name = "marker-at-60000", .bytes = StubImage() + pad + packed.substr(StubImage().size()),
       .after = {{"out\\a.txt", "alpha"}}},
      {.name = "unzip-size-50", .meta = {.unzipSize = 50, .progressBar = 1},
       .entries = {{"a.txt", std::string(70, 'a')}}, .after = {{"out\\a.txt", std::string(70, 'a')}}},
      {.name = "unzip-size-0", .meta = {.unzipSize = 0, .progressBar = 1}, .entries = a,
       .after = {{"out\\a.txt", "alpha"}}},
  };
  for (const Row& row : rows) RunRow(row);
}

TEST(PackedRun, DamagedAndHostileArchives) {
  std::vector<ZipEntry> a = {{"a.txt", Text(40000)}};
  std::string zip = MakeZip(a), head = Packed(MetaData(), zip, a), pastEnd = zip, renamed = zip;
  head.resize(head.size() - zip.size());  // stub and meta data
  const std::string& stub = StubImage();
  ZipLayout layout = ReadZipLayout(zip);
  ASSERT_TRUE(layout.ok);
  auto patched = [&](std::string bytes, ZipField field, uint32_t value) {
    PatchZipEntry(&bytes, 0, field, value);
    return head + bytes;
  };
  auto counted = [&](std::string bytes, uint32_t count) {
    PutLe(&bytes, bytes.size() - 22 + 8, count, 2);
    PutLe(&bytes, bytes.size() - 22 + 10, count, 2);
    return head + bytes;
  };
  pastEnd[pastEnd.size() - 22 + 19] = '\x7f';  // the central directory's offset
  renamed[layout.entries[0].central + 46] = 'b';  // in the central directory only
  // A complete deflate stream of the first half under the whole file's size
  // and CRC: it ends before the declared size, which zlib takes for a clean end.
  std::string early = MakeZip({{"a.txt", a[0].data.substr(0, 20000)}});
  PatchZipEntry(&early, 0, ZIP_UNCOMPRESSED, 40000);
  uint32_t crc = (uint32_t)crc32(0, (const Bytef*)a[0].data.data(), 40000);
  // Stored deflate blocks (level 0): a flipped data byte leaves the stream
  // valid, so only the CRC check catches it.
  std::vector<ZipEntry> two = {{"good.txt", "good"}, {"bad.txt", "0123" + Text(4000)}};
  std::string flipped = MakeZip(two, "", 0);
  flipped[flipped.find("0123") + 3] ^= 1;
  uint32_t size = layout.entries[0].compressedSize;
  struct {
    const char* name;
    std::string bytes;
    int error;
    const char* good;  // good.txt after the run, for the archive that holds it
  } damages[] = {
      {"beyond-60000", stub + std::string(60001 - stub.size(), 'x') + head.substr(stub.size()) + zip, 6},
      {"stub-only", stub, 6},
      {"no-archive", head, 9},
      {"no-entries", head + MakeZip({}), 9},
      {"cut-short", head + zip.substr(0, zip.size() - 30), 17},
      {"central-directory-cut", head + zip.substr(0, layout.central + 20), 17},
      {"central-directory-past-end", head + pastEnd, 17},
      {"counted-none", counted(zip, 0), 17},
      {"counted-one-of-two", counted(MakeZip({a[0], {"b.txt", "beta"}}), 1), 17},
      {"counted-three", counted(zip, 3), 19},
      {"renamed", head + renamed, 21},
      {"bzip2", patched(zip, ZIP_METHOD, 12), 22},
      {"method-99", patched(zip, ZIP_METHOD, 99), 22},
      {"stored-but-deflated", patched(zip, ZIP_METHOD, 0), 26},
      {"ends-early", patched(early, ZIP_CRC, crc), 26},
      {"size-short", patched(zip, ZIP_UNCOMPRESSED, 39000), 26},
      {"size-long", patched(zip, ZIP_UNCOMPRESSED, 41000), 26},
      {"size-zero", patched(zip, ZIP_UNCOMPRESSED, 0), 26},
      {"packed-size-halved", patched(zip, ZIP_COMPRESSED, size / 2), 26},
      {"packed-size-past-end", patched(zip, ZIP_COMPRESSED, size + 1000000), 26},
      {"wrong-crc", patched(zip, ZIP_CRC, 0x12345678), 26},
      {"entry-data-flipped", Packed(MetaData(), flipped, two), 26, "good"},
      {"entry-data-flipped-delete", Packed({.deleteFiles = 1}, flipped, two), 26, kMissing},
  };
  std::vector<Row> rows;
  for (const auto& d : damages) {  // nothing of a damaged entry stays, not even a short file
    Files after = {{"out\\a.txt", kMissing}, {"out\\b.txt", kMissing}, {"out\\bad.txt", kMissing}};
    if (d.good) after.push_back({"out\\good.txt", d.good});
    rows.push_back({.name = d.name, .bytes = d.bytes, .shot = d.error == 9 ? "error-0009" : nullptr,
                    .code = 1, .windows = {Error(d.error)}, .after = after});
  }
  // Names that leave the extraction folder; the entries before them stay.
  for (const char* name : {"..\\evil.txt", "../evil.txt", "sub\\..\\..\\evil.txt", "\\evil.txt",
                           "Z:\\evil.txt", "C:evil.txt", "a.txt:stream", "... \\evil.txt"})
    rows.push_back({.name = "name-" + std::to_string(rows.size()),
                    .entries = {{"first.txt", "1"}, {name, "evil"}}, .code = 1, .windows = {Error(21)},
                    .after = {{"out\\first.txt", "1"}, {"evil.txt", kMissing}, {"out\\a.txt", kMissing},
                              {"Z:\\evil.txt", kMissing}, {"C:\\evil.txt", kMissing}}});
  rows.push_back({.name = "name-too-long", .entries = {{std::string(300, 'n'), "x"}}, .code = 1,
                  .windows = {Error(21)}});
  rows.push_back({.name = "folder-too-long", .meta = {.extractionPath = "*TempDir*" + std::string(240, 'f')},
                  .entries = a, .code = 1, .windows = {Error(16)}});
  for (const Row& row : rows) RunRow(row);
}

TEST(PackedRun, Password) {
  MetaData secret = {.password = 1};
  std::string wrong = "ERROR #0027 Wrong password|The password that you typed is not correct.";
  const Row rows[] = {
      // Typed with Enter and Escape, which change nothing.
      {.name = "password-right", .meta = secret, .entries = kTree, .zipPassword = "open sesame",
       .answers = {"open sesame"}, .shot = "password-dialog", .windows = {"Password needed."},
       .after = kTreeAfter},
      {.name = "password-wrong", .meta = secret, .entries = kTree, .zipPassword = "open sesame",
       .answers = {"open sesame!"}, .code = 1, .windows = {"Password needed.", wrong},
       .after = {{"out\\readme.txt", kMissing}}},
      {.name = "password-cancel", .meta = secret, .entries = kTree, .zipPassword = "x",
       .answers = {"<Cancel>"}, .windows = {"Password needed."}, .after = {{"out", kMissing}}},
      {.name = "password-closed", .meta = secret, .entries = kTree, .zipPassword = "x",
       .answers = {"<Close>"}, .windows = {"Password needed."}, .after = {{"out", kMissing}}},
      // Set past the box's typing limit: the run takes the first 2047 characters.
      {.name = "password-overlong", .meta = secret, .entries = {{"a.txt", "alpha"}},
       .zipPassword = Text(2047), .answers = {Text(2047) + std::string(1000, 'z')},
       .windows = {"Password needed."}, .after = {{"out\\a.txt", "alpha"}}},
  };
  for (const Row& row : rows) RunRow(row);
}

TEST(PackedRun, Overwrite) {
  std::vector<ZipEntry> entries = {{"1.txt", "new1"}, {"2.txt", "new2"}, {"3.txt", "new3"},
                                   {"4.txt", "new4"}};
  Files old = {{"out\\1.txt", "old"}, {"out\\2.txt", "old"}, {"out\\3.txt", "old"}};
  auto after = [](const char* a, const char* b, const char* c, const char* d) {
    return Files{{"out\\1.txt", a}, {"out\\2.txt", b}, {"out\\3.txt", c}, {"out\\4.txt", d}};
  };
  std::vector<std::string> asked;
  for (const char* name : {"1.txt", "2.txt", "3.txt"})
    asked.push_back(std::string("Confirm File Replace.|out\\") + name);
  auto first = [&](size_t n) { return std::vector<std::string>(asked.begin(), asked.begin() + n); };
  MetaData ask = {.overwrite = 1};
  const Row rows[] = {
      {.name = "overwrite-always", .entries = entries, .before = old,
       .after = after("new1", "new2", "new3", "new4")},
      {.name = "overwrite-never", .meta = {.overwrite = 2}, .entries = entries, .before = old,
       .after = after("old", "old", "old", "new4")},
      {.name = "ask-yes-no-yes", .meta = ask, .entries = entries, .before = old,
       .answers = {"&Yes", "&No", "&Yes"}, .shot = "replace-dialog", .windows = asked,
       .after = after("new1", "old", "new3", "new4")},
      {.name = "ask-no-yes-to-all", .meta = ask, .entries = entries, .before = old,
       .answers = {"&No", "Y&es to All"}, .windows = first(2), .after = after("old", "new2", "new3", "new4")},
      {.name = "ask-yes-no-to-all", .meta = ask, .entries = entries, .before = old,
       .answers = {"&Yes", "N&o to All"}, .windows = first(2), .after = after("new1", "old", "old", "new4")},
      {.name = "ask-no-to-all", .meta = ask, .entries = entries, .before = old,
       .answers = {"N&o to All"}, .windows = first(1), .after = after("old", "old", "old", "new4")},
      // A file held open cannot be created anew: the run ends there, the
      // system's reason first in the box.
      {.name = "overwrite-held", .entries = entries, .before = old, .held = "out\\2.txt", .code = 1,
       .windows = {Error(24)}, .after = after("new1", "old", "old", kMissing)},
  };
  for (const Row& row : rows) RunRow(row);
}

TEST(PackedRun, LaunchAndDeleteFiles) {
  ASSERT_NE(kMissing, Probe()) << "launch_probe.exe not built";
  std::vector<ZipEntry> treeAndProbe = kTree;
  treeAndProbe.push_back({"bin\\probe.exe", Probe()});
  const Row rows[] = {
      {.name = "launch-arguments",
       .meta = {.launches = {{"bin\\probe.exe", "-a *Command* -t *tempdir*x", "*maximizewin*"}}},
       .entries = {{"bin\\probe.exe", Probe()}}, .args = "one \"two three\"",
       .after = {{"logs\\probe.exe.log",
                  Log("-a one \"two three\" -t %F\\tmp\\x", "%F\\out\\bin", SW_SHOWMAXIMIZED)}}},
      // An empty name ends the list.
      {.name = "launch-states",
       .meta = {.launches = {{"p0.exe", "", "*HideWin*"}, {"p1.exe", "", "*MINIMIZEWIN*"},
                             {"missing.exe", "", "*ShowWin*"}, {"p3.exe", "", "ShowWin"},
                             {"p4.exe", "", ""}, {"", "", "*HideWin*"}, {"p6.exe", "", "*HideWin*"}}},
       .entries = {{"p0.exe", Probe()}, {"p1.exe", Probe()}, {"p3.exe", Probe()},
                   {"p4.exe", Probe()}, {"p6.exe", Probe()}},
       .after = {{"logs\\p0.exe.log", Log("", "%F\\out", SW_HIDE)},
                 {"logs\\p1.exe.log", Log("", "%F\\out", SW_SHOWMINIMIZED)},
                 {"logs\\p3.exe.log", Log("", "%F\\out", SW_SHOWNORMAL)},
                 {"logs\\p4.exe.log", Log("", "%F\\out", SW_SHOWNORMAL)},
                 {"logs\\p6.exe.log", kMissing}}},
      // A program that does not start is a warning; the run goes on.
      {.name = "launch-broken", .meta = {.launches = {{"broken.exe", "", ""}, {"p1.exe", "", "*HideWin*"}}},
       .entries = {{"broken.exe", "this is not a program"}, {"p1.exe", Probe()}},
       .windows = {Error(20)}, .after = {{"logs\\p1.exe.log", Log("", "%F\\out", SW_HIDE)}}},
      {.name = "delete-at-once", .meta = {.deleteFiles = 1}, .entries = kTree,
       .after = {{"out", kMissing}}},
      // Only what the run put there goes.
      {.name = "delete-keeps-others", .meta = {.deleteFiles = 1}, .entries = kTree,
       .before = {{"out\\keep.txt", "mine"}, {"out\\bin\\x", "mine"}},
       .after = {{"out\\keep.txt", "mine"}, {"out\\bin\\x", "mine"}, {"out\\readme.txt", kMissing},
                 {"out\\bin\\tool.dat", kMissing}, {"out\\bin\\deep", kMissing}, {"out\\docs", kMissing}}},
      // Games and Games\MyGame are the run's; the probe, started in
      // Games\MyGame\bin, leaves a file in Games, which stays with its folder.
      {.name = "delete-program-leaves-file",
       .meta = {.extractionPath = "*AppDir*\\Games\\MyGame", .deleteFiles = 1,
                .launches = {{"bin\\probe.exe", "--leave=..\\..\\installed.txt", "*HideWin*"}}},
       .entries = treeAndProbe,
       .after = {{"Games\\installed.txt", "left by the probe\n"}, {"Games\\MyGame", kMissing}}},
      // Both programs end before the files go, and every folder the run made.
      {.name = "delete-waits",
       .meta = {.deleteFiles = 1, .launches = {{"a\\slow.exe", "--sleep=3000", "*HideWin*"},
                                               {"quick.exe", "--sleep=1000", "*HideWin*"}}},
       .entries = {{"a\\slow.exe", Probe()}, {"quick.exe", Probe()}},
       .after = {{"logs\\slow.exe.log", Log("--sleep=3000", "%F\\out\\a", SW_HIDE)},
                 {"logs\\quick.exe.log", Log("--sleep=1000", "%F\\out", SW_HIDE)}, {"out", kMissing}}},
  };
  for (const Row& row : rows) RunRow(row);
}

TEST(PackedRun, PathVariables) {
  ASSERT_NE(kMissing, Probe()) << "launch_probe.exe not built";
  // The prefix's folders pointed at folders of ours while the test runs.
  std::string shell = RunFolder("e2e\\shell") + "\\", line, expected;
  const char* variables[][2] = {  // variable, its Shell Folders value
      {"*Desktop*", "Desktop"}, {"*Documents*", "Personal"}, {"*Favorites*", "Favorites"},
      {"*Fonts*", "Fonts"}, {"*LocalSettings*", "Local Settings"}, {"*MyMusic*", "My Music"},
      {"*MyPictures*", "My Pictures"}, {"*MyVideo*", "My Video"}, {"*SendTo*", "SendTo"},
      {"*StartMenu*", "Programs"}, {"*StartUp*", "Startup"}, {"*QuickLaunch*", "AppData"},
      {"*ProgramFiles*", "ProgramFilesDir"}};
  std::vector<std::unique_ptr<ScopedRegistryValue>> saved;
  for (auto& v : variables) {
    std::string target = shell + v[1];
    bool shellFolder = v[0] != std::string("*ProgramFiles*");
    saved.emplace_back(new ScopedRegistryValue(
        shellFolder ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE,
        shellFolder ? kShellFoldersKey : "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", v[1], target));
    if (v[1] == std::string("AppData")) target += "\\Microsoft\\Internet Explorer\\Quick Launch";
    MakeFolder(target);
    line += std::string(v[0]) + "|";
    expected += target + "\\|";
  }
  char windows[MAX_PATH], system[MAX_PATH];
  GetWindowsDirectoryA(windows, MAX_PATH);
  GetSystemDirectoryA(system, MAX_PATH);
  line += "*AppDir*|*CurDir*|*RootDir*|*SysDir*|*TempDir*|*WinDir*";
  expected += "%F\\|%F\\cwd\\|" + std::string(windows, 3) + "|" + system + "\\|%F\\tmp\\|" +
              windows + "\\";
  std::string quit = "ERROR #0028 Quit Program!|Are you sure?";
  std::vector<Row> rows = {
      {.name = "every-variable",  // delete files: the run waits for the probe
       .meta = {.deleteFiles = 1, .launches = {{"probe.exe", line, "*HideWin*"}}},
       .entries = {{"probe.exe", Probe()}},
       .after = {{"logs\\probe.exe.log", Log(expected, "%F\\out", SW_HIDE)}}},
  };
  const std::string paths[][2] = {
      {"*TempDir*Files", "%F\\tmp\\Files"}, {"*tEMPdIR*Mixed", "%F\\tmp\\Mixed"},
      {"*CurDir*\\out", "%F\\cwd\\out"},    {"*Nope*\\x", "%F\\tmp\\x"},
      {"*AppDir*", "%F"},                   {"*Desktop*\\Files", shell + "Desktop\\Files"}};
  for (auto& p : paths)
    rows.push_back({.name = "path-" + std::to_string(rows.size()), .meta = {.extractionPath = p[0]},
                    .entries = {{"marker.txt", p[0]}}, .after = {{p[1] + "\\marker.txt", p[0]}}});
  // Cancelled, the browse dialog asks to quit: No shows it again, Yes ends the
  // run. Last: under Wine the dialog writes the real folders back to the registry.
  rows.push_back({.name = "path-browse-cancelled", .meta = {.extractionPath = "*BrowseForFolder*\\Files"},
                  .entries = {{"a.txt", "a"}}, .answers = {"", "&No", "", "&Yes"}, .shot = "browse-dialog",
                  .code = 1, .windows = {"Browse for Folder", quit, "Browse for Folder", quit},
                  .after = {{"%F\\tmp\\Files", kMissing}}});
  for (const Row& row : rows) RunRow(row);
}

TEST(PackedRun, ProgressWindowShowsWhileWriting) {
  std::string folder = RunFolder("e2e\\progress"), zeros(96 << 20, '\0');
  // Zeros compress well and still take dozens of chunks to write.
  PackedRun run = {.bytes = Packed({.progressBar = 1}, MakeZip({{"big.bin", zeros}}), {{"big.bin", zeros}}),
                   .timeoutMs = 120000};
  // The extractor answers only between chunks, so a text may come back
  // empty once; look again while it runs. The picture is taken once a
  // percentage shows.
  bool sawCaption = false, sawPercent = false, shot = false;
  run.watch = [&](const GuiProcess& p) {
    HWND progress = GuiFindWindow("", GuiMatchExact | GuiMatchDialog, p.pid);
    GuiControl controls[8];
    for (int i = 0, n = progress ? GuiListControls(progress, controls, 8) : 0; i < n && i < 8; ++i) {
      std::string text = controls[i].text;
      sawCaption = sawCaption || text == "Extracting files...";
      sawPercent = sawPercent || (text.size() >= 3 && text[0] == ' ' && text.back() == '%');
    }
    char path[MAX_PATH];
    if (sawPercent && !shot && IsWindowVisible(progress) &&
        GuiBuildTreePath("tests\\extractor\\shots\\progress-window.png", path, sizeof path))
      shot = GuiSaveWindowShot(progress, path);
  };
  EXPECT_EQ(0u, RunPacked(folder, run).code);
  EXPECT_TRUE(sawCaption && sawPercent && shot) << sawCaption << sawPercent << shot;
  EXPECT_EQ(zeros, ReadRawFile(folder + "\\out\\big.bin"));
  RemoveTree(folder);
}

}  // namespace
