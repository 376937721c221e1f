// Packed executables run end to end under Wine: each test puts one together
// (the stub from the build tree, a meta data block, an archive made with
// minizip), starts it in a folder of its own, answers its windows the way a
// user would, and checks what it left on disk and its exit code. The meta
// data copy must be gone after every run, error exits included.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "guidriver.h"

namespace {

const DWORD kRunTimeoutMs = 30000;
const DWORD kWindowTimeoutMs = 15000;
const char kPressOk[] = "\r\n\r\nPress OK to exit.";

std::string Pattern(size_t size, unsigned seed) {
  std::string data(size, 0);
  for (size_t i = 0; i < size; ++i) {
    seed = seed * 1103515245u + 12345u;
    data[i] = (char)(seed >> 16);
  }
  return data;
}

std::string FileText(const std::string& path) {
  std::string bytes;
  ReadFileBytes(path, &bytes);
  return bytes;
}

// Where the screenshots go: the build tree's tests\extractor\shots.
std::string ShotPath(const char* name) {
  char path[MAX_PATH];
  GuiBuildTreePath((std::string("tests\\extractor\\shots\\") + name + ".png").c_str(), path,
                   sizeof path);
  return path;
}

class ExtractorRun : public ::testing::Test {
 protected:
  std::string folder;  // the test's own folder; packed executables are made here
  std::string tmp;     // the extractor's temporary folder
  std::string logs;    // the launch probe's logs
  GuiProgram app;

  void SetUp() override {
    ASSERT_FALSE(StubImage().empty()) << "vqstub.exe not found in the build tree";
    folder = PrepareTestFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
    ASSERT_FALSE(folder.empty()) << "VQ_BUILD_DIR not set";
    tmp = folder + "\\tmp";
    logs = folder + "\\logs";
  }

  void TearDown() override {
    GuiEndProgram(&app.p);
    EXPECT_EQ(0, CountMetaCopies(tmp)) << "the meta data copy was left behind";
  }

  std::string Pack(const char* name, const MetaData& meta, const std::vector<ZipEntry>& entries,
                   const std::string& password = "") {
    std::string zip = MakeZip(entries, password);
    EXPECT_FALSE(zip.empty());
    return PackBytes(name, StubImage() + MetaBlock(meta, zip, entries) + zip);
  }

  std::string PackBytes(const char* name, const std::string& bytes) {
    std::string path = folder + "\\" + name;
    EXPECT_TRUE(WriteFileBytes(path, bytes));
    return path;
  }

  // Started directly rather than through GuiStartProgram: the extractor has
  // no message loop, so waiting for it to become idle would only let the
  // run finish before the test looks at it.
  void Start(const std::string& exe, const std::string& args = "", std::string workFolder = "") {
    if (workFolder.empty()) workFolder = folder;
    std::string line = "\"" + exe + "\"" + (args.empty() ? "" : " " + args);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    ASSERT_TRUE(CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                               workFolder.c_str(), &startup, &info))
        << GetLastError();
    app.p.process = info.hProcess;
    app.p.thread = info.hThread;
    app.p.pid = info.dwProcessId;
  }

  DWORD Finish(DWORD timeoutMs = kRunTimeoutMs) {
    DWORD code = 0xFFFF;
    EXPECT_TRUE(GuiWaitProgram(&app.p, timeoutMs, &code)) << "the extractor did not end";
    return code;
  }

  DWORD Run(const std::string& exe, const std::string& args = "") {
    Start(exe, args);
    return Finish();
  }

  // Waits for a message box, checks its caption and text, answers it.
  GuiMessageBox Answer(const char* caption, const std::string& text, int button = IDOK,
                       const char* shot = nullptr) {
    GuiMessageBox box = {};
    HWND window = GuiWaitWindow(caption, GuiMatchExact, app.p.pid, kWindowTimeoutMs);
    EXPECT_TRUE(window) << "no message box " << caption;
    if (!window) return box;
    EXPECT_TRUE(GuiReadMessageBox(window, &box));
    if (!text.empty()) {
      EXPECT_EQ(text, box.text) << caption;
    }
    if (shot) {
      EXPECT_TRUE(GuiSaveWindowShot(window, ShotPath(shot).c_str()));
    }
    EXPECT_TRUE(GuiClickButton(window, button));
    EXPECT_TRUE(GuiWaitWindowGone(window, kWindowTimeoutMs));
    return box;
  }

  // A fatal numbered error: its box, then exit code 1.
  void ExpectFatal(const char* caption, const std::string& text, const char* shot = nullptr) {
    Answer(caption, text, IDOK, shot);
    EXPECT_EQ(1u, Finish());
  }

  HWND WaitDialog(const char* caption) {
    HWND window = GuiWaitWindow(caption, GuiMatchExact, app.p.pid, kWindowTimeoutMs);
    EXPECT_TRUE(window) << "no window " << caption;
    return window;
  }
};

std::vector<ZipEntry> SmallTree() {
  return {{"readme.txt", "Read me first.\r\n"},
          {"bin\\tool.dat", Pattern(300000, 1)},
          {"bin\\deep\\empty.txt", ""},
          {"docs/slash.txt", "forward slash"}};
}

// ---------------------------------------------------------------- default run

TEST_F(ExtractorRun, DefaultProjectExtractsBesideTheExecutable) {
  std::vector<ZipEntry> entries = SmallTree();
  std::string exe = Pack("packed.exe", MetaData(), entries);
  EXPECT_EQ(0u, Run(exe));
  std::string out = folder + "\\SubDirectory\\";
  for (const ZipEntry& e : entries) {
    std::string name = e.name;
    for (char& c : name)
      if (c == '/') c = '\\';
    EXPECT_EQ(e.data, FileText(out + name)) << name;
    // The archive's time, taken as local time.
    FILETIME local, expected, written;
    ASSERT_TRUE(DosDateTimeToFileTime(HIWORD(kEntryDosTime), LOWORD(kEntryDosTime), &local));
    ASSERT_TRUE(LocalFileTimeToFileTime(&local, &expected));
    HANDLE file = CreateFileA((out + name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    GetFileTime(file, nullptr, nullptr, &written);
    CloseHandle(file);
    EXPECT_EQ(0, CompareFileTime(&expected, &written)) << name;
  }
}

TEST_F(ExtractorRun, SettingsComeFromTheMetaDataWhateverTheirOrderOfLines) {
  // Relative extraction path: below the current folder of the process.
  MetaData meta;
  meta.extractionPath = "Relative\\Files";
  std::string exe = Pack("packed.exe", meta, {{"a.txt", "a"}});
  MakeFolders(folder + "\\cwd");
  Start(exe, "", folder + "\\cwd");
  EXPECT_EQ(0u, Finish());
  EXPECT_EQ("a", FileText(folder + "\\cwd\\Relative\\Files\\a.txt"));
}

// ---------------------------------------------------------------- damaged files

TEST_F(ExtractorRun, DamagedExecutables) {
  std::vector<ZipEntry> entries = {{"a.txt", "alpha"}};
  std::string zip = MakeZip(entries);
  std::string meta = MetaBlock(MetaData(), zip, entries);
  const std::string& stub = StubImage();
  std::string eocdDamaged = zip;
  // The end record's offset of the central directory points past the file.
  eocdDamaged[eocdDamaged.size() - 22 + 19] = '\x7f';
  ZipLayout layout = ReadZipLayout(zip);
  ASSERT_TRUE(layout.ok);
  auto patched = [&](ZipField field, uint32_t value) {
    std::string bytes = zip;
    PatchZipEntry(&bytes, layout, 0, field, value);
    return bytes;
  };
  // A deflate stream of "alp" under the size and CRC of "alpha": it ends
  // before the declared size, which the zip reader takes for a clean end.
  std::string early = MakeZip({{"a.txt", "alp"}});
  ZipLayout earlyLayout = ReadZipLayout(early);
  PatchZipEntry(&early, earlyLayout, 0, ZIP_UNCOMPRESSED, 5);
  PatchZipEntry(&early, earlyLayout, 0, ZIP_CRC, ReadLe(zip, layout.entries[0].central + 16, 4));
  // Two entries, counted as one: the second would be left out unnoticed.
  std::string counted = MakeZip({{"a.txt", "alpha"}, {"b.txt", "beta"}});
  PutLe(&counted, counted.size() - 22 + 8, 1, 2);
  PutLe(&counted, counted.size() - 22 + 10, 1, 2);
  std::string uncounted = counted;
  PutLe(&uncounted, uncounted.size() - 22 + 8, 0, 2);
  PutLe(&uncounted, uncounted.size() - 22 + 10, 0, 2);
  // The central directory names "b.txt", the local header "a.txt".
  std::string renamed = zip;
  renamed[layout.entries[0].central + 46] = 'b';
  const char* kArchiveInfo = "Failed to retrieve information about the archive.";
  const char* kEntryInfo = "Failed to retrieve information about the current file.";
  struct Case {
    const char* name;
    std::string bytes;
    const char* caption;
    const char* text;
  } cases[] = {
      {"beyond60000.exe", stub + std::string(60001 - stub.size(), 'x') + meta + zip,
       "ERROR #0006", "Failed to find the Meta Data. This archive is likely corrupted."},
      {"stubonly.exe", stub, "ERROR #0006",
       "Failed to find the Meta Data. This archive is likely corrupted."},
      {"noarchive.exe", stub + meta, "ERROR #0009",
       "Failed to find the Compressed Data. This archive is likely corrupted."},
      {"noentries.exe", stub + meta + MakeZip({}), "ERROR #0009",
       "Failed to find the Compressed Data. This archive is likely corrupted."},
      {"cutshort.exe", stub + meta + zip.substr(0, zip.size() - 30), "ERROR #0017",
       "Failed to retrieve information about the archive."},
      {"centraldir.exe", stub + meta + eocdDamaged, "ERROR #0017", kArchiveInfo},
      {"countedone.exe", stub + meta + counted, "ERROR #0017", kArchiveInfo},
      {"countednone.exe", stub + meta + uncounted, "ERROR #0017", kArchiveInfo},
      {"renamed.exe", stub + meta + renamed, "ERROR #0021", kEntryInfo},
      {"bzip2.exe", stub + meta + patched(ZIP_METHOD, 12), "ERROR #0022",
       "Failed to open the current file."},
      {"method99.exe", stub + meta + patched(ZIP_METHOD, 99), "ERROR #0022",
       "Failed to open the current file."},
      {"endsearly.exe", stub + meta + early, "ERROR #0026", "Failed to read the current file."},
      {"sizeshort.exe", stub + meta + patched(ZIP_UNCOMPRESSED, 4), "ERROR #0026",
       "Failed to read the current file."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RemoveTree(folder + "\\SubDirectory");
    Start(PackBytes(c.name, c.bytes));
    ExpectFatal(c.caption, std::string(c.text) + kPressOk,
                strcmp(c.name, "noarchive.exe") == 0 ? "error-0009" : nullptr);
    GuiEndProgram(&app.p);
    // Nothing of the damaged entry stays, not even a short file.
    EXPECT_FALSE(FileExists(folder + "\\SubDirectory\\a.txt"));
    EXPECT_FALSE(FileExists(folder + "\\SubDirectory\\b.txt"));
    EXPECT_EQ(0, CountMetaCopies(tmp));
  }
}

TEST_F(ExtractorRun, MarkerAtOffset60000IsStillFound) {
  std::vector<ZipEntry> entries = {{"a.txt", "alpha"}};
  std::string zip = MakeZip(entries);
  std::string bytes = StubImage() + std::string(60000 - StubImage().size(), 'x') +
                      MetaBlock(MetaData(), zip, entries) + zip;
  EXPECT_EQ(0u, Run(PackBytes("at60000.exe", bytes)));
  EXPECT_EQ("alpha", FileText(folder + "\\SubDirectory\\a.txt"));
}

// ---------------------------------------------------------------- password

class PasswordRun : public ExtractorRun {
 protected:
  std::string exe;
  void SetUp() override {
    ExtractorRun::SetUp();
    MetaData meta;
    meta.password = 1;
    exe = Pack("secret.exe", meta, SmallTree(), "open sesame");
  }
  HWND PasswordDialog() { return WaitDialog("Password needed."); }
};

TEST_F(PasswordRun, RightPasswordExtracts) {
  Start(exe);
  HWND dialog = PasswordDialog();
  ASSERT_TRUE(dialog);
  HWND edit = GuiFindControl(dialog, 8);
  ASSERT_TRUE(edit);
  EXPECT_TRUE(GuiSetText(edit, "open sesame"));
  // Enter and Escape do nothing: neither button is the dialog's OK or Cancel.
  EXPECT_TRUE(GuiPostKey(edit, VK_RETURN));
  EXPECT_TRUE(GuiPostKey(edit, VK_ESCAPE));
  Sleep(700);
  EXPECT_TRUE(IsWindow(dialog));  // and the delay let it finish painting
  EXPECT_TRUE(GuiSaveWindowShot(dialog, ShotPath("password-dialog").c_str()));
  GuiControl controls[16];
  int n = GuiListControls(dialog, controls, 16);
  std::vector<std::string> texts;
  for (int i = 0; i < n && i < 16; ++i) texts.push_back(controls[i].text);
  EXPECT_NE(texts.end(), std::find(texts.begin(), texts.end(),
                                   "This executable is password protected. Please enter the "
                                   "password in the box below."));
  EXPECT_NE(texts.end(), std::find(texts.begin(), texts.end(), "Password:"));
  EXPECT_TRUE(GuiClickButtonByText(dialog, "&OK"));
  EXPECT_EQ(0u, Finish());
  EXPECT_EQ(Pattern(300000, 1), FileText(folder + "\\SubDirectory\\bin\\tool.dat"));
}

TEST_F(PasswordRun, WrongPasswordEndsWithError27) {
  Start(exe);
  HWND dialog = PasswordDialog();
  ASSERT_TRUE(dialog);
  EXPECT_TRUE(GuiSetText(GuiFindControl(dialog, 8), "open sesame!"));
  EXPECT_TRUE(GuiClickButton(dialog, 6));
  ExpectFatal("ERROR #0027 Wrong password", "The password that you typed is not correct.");
  // The entry that failed is not left half written.
  EXPECT_FALSE(FileExists(folder + "\\SubDirectory\\readme.txt"));
}

TEST_F(PasswordRun, CancelAndCloseEndWithExitCode0) {
  for (int close = 0; close < 2; ++close) {
    Start(exe);
    HWND dialog = PasswordDialog();
    ASSERT_TRUE(dialog);
    if (close) {
      EXPECT_TRUE(GuiCloseWindow(dialog));
    } else {
      EXPECT_TRUE(GuiClickButtonByText(dialog, "&Cancel"));
    }
    EXPECT_EQ(0u, Finish());
    EXPECT_FALSE(FileExists(folder + "\\SubDirectory"));
    GuiEndProgram(&app.p);
  }
}

TEST_F(PasswordRun, OverlongPasswordIsCutTo2047Characters) {
  std::string password = Pattern(2047, 5);
  for (char& c : password) c = (char)('a' + (unsigned char)c % 26);
  MetaData meta;
  meta.password = 1;
  std::string longExe = Pack("long.exe", meta, {{"a.txt", "alpha"}}, password);
  Start(longExe);
  HWND dialog = PasswordDialog();
  ASSERT_TRUE(dialog);
  // Set directly, past the box's typing limit: the run takes 2047 characters.
  EXPECT_TRUE(GuiSetText(GuiFindControl(dialog, 8), (password + std::string(1000, 'z')).c_str()));
  EXPECT_TRUE(GuiClickButton(dialog, 6));
  EXPECT_EQ(0u, Finish());
  EXPECT_EQ("alpha", FileText(folder + "\\SubDirectory\\a.txt"));
}

// ---------------------------------------------------------------- overwriting

class OverwriteRun : public ExtractorRun {
 protected:
  std::string out;
  std::string Prepare(int mode) {
    out = folder + "\\SubDirectory\\";
    MakeFolders(out);
    for (const char* name : {"1.txt", "2.txt", "3.txt"}) WriteFileBytes(out + name, "old");
    MetaData meta;
    meta.overwrite = mode;
    return Pack("packed.exe", meta,
                {{"1.txt", "new1"}, {"2.txt", "new2"}, {"3.txt", "new3"}, {"4.txt", "new4"}});
  }
  std::string States() {
    std::string s;
    for (const char* name : {"1.txt", "2.txt", "3.txt", "4.txt"})
      s += FileText(out + name) + " ";
    return s;
  }
};

TEST_F(OverwriteRun, ModeZeroOverwritesAndModeTwoSkips) {
  EXPECT_EQ(0u, Run(Prepare(0)));
  EXPECT_EQ("new1 new2 new3 new4 ", States());
  SetUp();
  EXPECT_EQ(0u, Run(Prepare(2)));
  EXPECT_EQ("old old old new4 ", States());
}

TEST_F(OverwriteRun, ReplaceDialogAnswers) {
  struct Case {
    std::vector<const char*> answers;  // one per dialog shown
    const char* expected;
  } cases[] = {
      {{"&Yes", "&No", "&Yes"}, "new1 old new3 new4 "},
      {{"&No", "Y&es to All"}, "old new2 new3 new4 "},
      {{"&Yes", "N&o to All"}, "new1 old old new4 "},
      {{"N&o to All"}, "old old old new4 "},
  };
  int round = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(round);
    SetUp();
    Start(Prepare(1));
    for (size_t i = 0; i < c.answers.size(); ++i) {
      HWND dialog = WaitDialog("Confirm File Replace.");
      ASSERT_TRUE(dialog);
      char path[MAX_PATH] = "";
      GuiReadText(GuiFindControl(dialog, 12), path, sizeof path);
      EXPECT_EQ(out + std::to_string(i + 1) + ".txt", path);
      if (round == 0 && i == 0) {
        Sleep(300);  // let it finish painting
        EXPECT_TRUE(GuiSaveWindowShot(dialog, ShotPath("replace-dialog").c_str()));
        EXPECT_TRUE(GuiFindControlByText(dialog, "Would you like to replace the following file?",
                                         "Static"));
      }
      EXPECT_TRUE(GuiClickButtonByText(dialog, c.answers[i]));
      EXPECT_TRUE(GuiWaitWindowGone(dialog, kWindowTimeoutMs));
    }
    EXPECT_EQ(0u, Finish());
    EXPECT_EQ(c.expected, States());
    GuiEndProgram(&app.p);
    ++round;
  }
}

TEST_F(OverwriteRun, FileThatCannotBeCreatedInModeZeroIsError24) {
  // Held open without sharing, the file cannot be created anew. (A read-only
  // file would do on Windows; Wine running as root writes it all the same.)
  std::string exe = Prepare(0);
  HANDLE held = CreateFileA((out + "2.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  Start(exe);
  GuiMessageBox box = Answer("ERROR #0024", "");
  EXPECT_NE(std::string::npos, std::string(box.text).find(kPressOk));
  EXPECT_GT(strlen(box.text), strlen(kPressOk));  // the system's text comes first
  EXPECT_EQ(1u, Finish());
  CloseHandle(held);
  EXPECT_EQ("new1 old old  ", States());  // the run ended at 2.txt
}

// ---------------------------------------------------------------- launching

struct ProbeLog {
  std::string args, cwd;
  int show = -99;
  bool ended = false;
  bool found = false;
};

class LaunchRun : public ExtractorRun {
 protected:
  std::string probe;
  void SetUp() override {
    ExtractorRun::SetUp();
    probe = BuildTreeFile("tests\\extractor\\launch_probe.exe");
    ASSERT_FALSE(probe.empty()) << "launch_probe.exe not found";
  }
  ProbeLog Log(const char* exeName) {
    ProbeLog log;
    std::string text;
    if (!ReadFileBytes(logs + "\\" + exeName + ".log", &text)) return log;
    log.found = true;
    size_t a = text.find("args="), c = text.find("\ncwd="), s = text.find("\nshow=");
    if (a != std::string::npos && c != std::string::npos && s != std::string::npos) {
      log.args = text.substr(a + 5, c - a - 5);
      log.cwd = text.substr(c + 5, s - c - 5);
      log.show = atoi(text.c_str() + s + 6);
    }
    log.ended = text.find("ended\n") != std::string::npos;
    return log;
  }
};

TEST_F(LaunchRun, ArgumentsFolderAndShowCommand) {
  MetaData meta;
  meta.launches = {{"bin\\probe.exe", "-a *Command* -t *tempdir*x", "*maximizewin*"}};
  std::string exe = Pack("packed.exe", meta, {{"bin\\probe.exe", probe}});
  EXPECT_EQ(0u, Run(exe, "one \"two three\""));
  // Without delete files the extractor does not wait; the probe ends soon after.
  ProbeLog log;
  for (int i = 0; i < 100 && !(log = Log("probe.exe")).ended; ++i) Sleep(100);
  ASSERT_TRUE(log.found);
  EXPECT_EQ("-a one \"two three\" -t " + tmp + "\\x", log.args);
  EXPECT_EQ(folder + "\\SubDirectory\\bin", log.cwd);
  EXPECT_EQ(SW_SHOWMAXIMIZED, log.show);
}

TEST_F(LaunchRun, WindowStatesGapsAndMissingFiles) {
  MetaData meta;
  meta.deleteFiles = 0;
  meta.launches = {
      {"p0.exe", "", "*HideWin*"},     {"p1.exe", "", "*MINIMIZEWIN*"},
      {"missing.exe", "", "*ShowWin*"}, {"p3.exe", "", "ShowWin"},
      {"p4.exe", "", ""},              {"", "", "*HideWin*"},  // the gap ends the list
      {"p6.exe", "", "*HideWin*"},
  };
  std::string exe = Pack("packed.exe", meta,
                         {{"p0.exe", probe}, {"p1.exe", probe}, {"p3.exe", probe},
                          {"p4.exe", probe}, {"p6.exe", probe}});
  EXPECT_EQ(0u, Run(exe));
  struct Want {
    const char* name;
    int show;
  } wants[] = {{"p0.exe", SW_HIDE}, {"p1.exe", SW_SHOWMINIMIZED}, {"p3.exe", SW_SHOWNORMAL},
               {"p4.exe", SW_SHOWNORMAL}};
  for (const Want& w : wants) {
    ProbeLog log;
    for (int i = 0; i < 100 && !(log = Log(w.name)).ended; ++i) Sleep(100);
    EXPECT_TRUE(log.found) << w.name;
    EXPECT_EQ(w.show, log.show) << w.name;
  }
  EXPECT_FALSE(Log("p6.exe").found);
}

TEST_F(LaunchRun, StartFailureIsAWarningAndTheRunGoesOn) {
  MetaData meta;
  meta.launches = {{"broken.exe", "", ""}, {"p1.exe", "", "*HideWin*"}};
  std::string exe = Pack("packed.exe", meta,
                         {{"broken.exe", "this is not a program"}, {"p1.exe", probe}});
  Start(exe);
  GuiMessageBox box = Answer("ERROR #0020", "");
  EXPECT_NE(std::string::npos, std::string(box.text).find(kPressOk));
  EXPECT_EQ(0u, Finish());
  ProbeLog log;
  for (int i = 0; i < 100 && !(log = Log("p1.exe")).found; ++i) Sleep(100);
  EXPECT_TRUE(log.found);
}

// Every row of the variable table at once, in a launch entry's command
// line, with the registry values of the prefix pointed at folders of ours.
TEST_F(LaunchRun, EveryVariableInACommandLine) {
  struct Saved {
    HKEY root;
    const char* key;
    const char* name;
    std::string value;
    bool had;
  };
  const char* shellKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
  const char* versionKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
  struct Row {
    const char* variable;
    const char* valueName;  // Shell Folders value, or nullptr
  } rows[] = {{"*Desktop*", "Desktop"},        {"*Documents*", "Personal"},
              {"*Favorites*", "Favorites"},    {"*Fonts*", "Fonts"},
              {"*LocalSettings*", "Local Settings"}, {"*MyMusic*", "My Music"},
              {"*MyPictures*", "My Pictures"}, {"*MyVideo*", "My Video"},
              {"*SendTo*", "SendTo"},          {"*StartMenu*", "Programs"},
              {"*StartUp*", "Startup"},        {"*QuickLaunch*", "AppData"},
              {"*ProgramFiles*", nullptr}};
  std::vector<Saved> saved;
  auto set = [&](HKEY root, const char* key, const char* name, const std::string& value) {
    HKEY handle;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                             &handle, nullptr));
    char old[1024] = "";
    DWORD size = sizeof old;
    bool had = RegQueryValueExA(handle, name, nullptr, nullptr, (BYTE*)old, &size) == 0;
    saved.push_back({root, key, name, old, had});
    RegSetValueExA(handle, name, 0, REG_SZ, (const BYTE*)value.c_str(), (DWORD)value.size() + 1);
    RegCloseKey(handle);
  };
  std::string line, expected;
  for (const Row& row : rows) {
    std::string target = folder + "\\sf\\" + (row.valueName ? row.valueName : "ProgramFiles");
    MakeFolders(target);
    if (row.valueName) {
      set(HKEY_CURRENT_USER, shellKey, row.valueName, target);
    } else {
      set(HKEY_LOCAL_MACHINE, versionKey, "ProgramFilesDir", target);
    }
    if (strcmp(row.variable, "*QuickLaunch*") == 0) {
      target += "\\Microsoft\\Internet Explorer\\Quick Launch";
      MakeFolders(target);
    }
    line += std::string(row.variable) + "|";
    expected += target + "\\|";
  }
  char windows[MAX_PATH], system[MAX_PATH];
  GetWindowsDirectoryA(windows, MAX_PATH);
  GetSystemDirectoryA(system, MAX_PATH);
  MakeFolders(folder + "\\cwd");
  line += "*AppDir*|*CurDir*|*RootDir*|*SysDir*|*TempDir*|*WinDir*";
  expected += folder + "\\|" + folder + "\\cwd\\|" + std::string(windows, 3) + "|" + system +
              "\\|" + tmp + "\\|" + windows + "\\";

  MetaData meta;
  meta.deleteFiles = 1;  // so the extractor waits for the probe
  meta.launches = {{"probe.exe", line, "*HideWin*"}};
  std::string exe = Pack("packed.exe", meta, {{"probe.exe", probe}});
  Start(exe, "", folder + "\\cwd");
  EXPECT_EQ(0u, Finish());
  EXPECT_EQ(expected, Log("probe.exe").args);

  for (const Saved& s : saved) {
    HKEY handle;
    if (RegOpenKeyExA(s.root, s.key, 0, KEY_ALL_ACCESS, &handle) != 0) continue;
    if (s.had) {
      RegSetValueExA(handle, s.name, 0, REG_SZ, (const BYTE*)s.value.c_str(),
                     (DWORD)s.value.size() + 1);
    } else {
      RegDeleteValueA(handle, s.name);
    }
    RegCloseKey(handle);
  }
}

// ---------------------------------------------------------------- delete files

TEST_F(LaunchRun, DeleteFilesWithoutLaunchesRemovesAtOnce) {
  MetaData meta;
  meta.deleteFiles = 1;
  std::string exe = Pack("packed.exe", meta, SmallTree());
  EXPECT_EQ(0u, Run(exe));
  EXPECT_FALSE(FileExists(folder + "\\SubDirectory"));
}

// Delete files removes what the run put there and nothing else: files that
// were there before, and what a started program left in a folder the run
// created, stay; so does that folder.
TEST_F(LaunchRun, DeleteFilesRemovesOnlyWhatTheRunPutThere) {
  struct Scenario {
    const char* name;
    const char* extractionPath;
    std::vector<const char*> before;  // files made before the run
    std::vector<MetaData::Launch> launches;
    std::vector<const char*> stay, gone;
  } scenarios[] = {
      {"existing folder", "*AppDir*\\SubDirectory",
       {"SubDirectory\\keep.txt", "SubDirectory\\bin\\x"},
       {},
       {"SubDirectory\\keep.txt", "SubDirectory\\bin\\x"},
       {"SubDirectory\\readme.txt", "SubDirectory\\bin\\tool.dat", "SubDirectory\\bin\\deep",
        "SubDirectory\\docs"}},
      // Games and Games\MyGame are made by the run; the probe, started in
      // Games\MyGame\bin, leaves a file in Games.
      {"program leaves a file", "*AppDir*\\Games\\MyGame", {},
       {{"bin\\probe.exe", "--leave=..\\..\\installed.txt", "*HideWin*"}},
       {"Games\\installed.txt"},
       {"Games\\MyGame", "Games\\MyGame\\readme.txt", "Games\\MyGame\\bin\\probe.exe"}},
  };
  for (const Scenario& s : scenarios) {
    SCOPED_TRACE(s.name);
    SetUp();
    for (const char* file : s.before) {
      std::string path = folder + "\\" + file;
      MakeFolders(path.substr(0, path.rfind('\\')));
      WriteFileBytes(path, "mine");
    }
    MetaData meta;
    meta.deleteFiles = 1;
    meta.extractionPath = s.extractionPath;
    meta.launches = s.launches;
    std::vector<ZipEntry> entries = SmallTree();
    if (!s.launches.empty()) entries.push_back({"bin\\probe.exe", probe});
    EXPECT_EQ(0u, Run(Pack("packed.exe", meta, entries)));
    for (const char* item : s.stay) EXPECT_TRUE(FileExists(folder + "\\" + item)) << item;
    for (const char* item : s.gone) EXPECT_FALSE(FileExists(folder + "\\" + item)) << item;
    GuiEndProgram(&app.p);
  }
}

TEST_F(LaunchRun, DeleteFilesWaitsForBothPrograms) {
  MetaData meta;
  meta.deleteFiles = 1;
  meta.launches = {{"a\\slow.exe", "--sleep=3000", "*HideWin*"},
                   {"quick.exe", "--sleep=1000", "*HideWin*"}};
  std::string exe = Pack("packed.exe", meta, {{"a\\slow.exe", probe}, {"quick.exe", probe}});
  Start(exe);
  EXPECT_FALSE(GuiWaitProgram(&app.p, 1500, nullptr)) << "did not wait for the programs";
  EXPECT_EQ(0u, Finish());
  EXPECT_TRUE(Log("slow.exe").ended);
  EXPECT_TRUE(Log("quick.exe").ended);
  // Every folder the run created goes too, not only the deepest.
  EXPECT_FALSE(FileExists(folder + "\\SubDirectory"));
}

// ---------------------------------------------------------------- path variables

TEST_F(ExtractorRun, PathVariablesInTheExtractionPath) {
  MakeFolders(folder + "\\cwd");
  MakeFolders(folder + "\\desk");
  const char* key = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
  HKEY shell;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS,
                                           nullptr, &shell, nullptr));
  char saved[MAX_PATH] = "";
  DWORD savedSize = sizeof saved;
  bool hadDesktop =
      RegQueryValueExA(shell, "Desktop", nullptr, nullptr, (BYTE*)saved, &savedSize) == 0;
  std::string desk = folder + "\\desk";
  RegSetValueExA(shell, "Desktop", 0, REG_SZ, (const BYTE*)desk.c_str(), (DWORD)desk.size() + 1);

  struct Case {
    const char* path;
    std::string expected;
  } cases[] = {
      {"*TempDir*Files", tmp + "\\Files"},
      {"*tEMPdIR*Mixed", tmp + "\\Mixed"},
      {"*CurDir*\\out", folder + "\\cwd\\out"},
      {"*Desktop*\\Files", desk + "\\Files"},
      {"*Nope*\\x", tmp + "\\x"},
      {"*AppDir*", folder},
  };
  int round = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    MetaData meta;
    meta.extractionPath = c.path;
    std::string name = "v" + std::to_string(round++) + ".exe";
    std::string exe = Pack(name.c_str(), meta, {{"marker.txt", c.path}});
    Start(exe, "", folder + "\\cwd");
    EXPECT_EQ(0u, Finish());
    EXPECT_EQ(c.path, FileText(c.expected + "\\marker.txt"));
    GuiEndProgram(&app.p);
  }
  if (hadDesktop)
    RegSetValueExA(shell, "Desktop", 0, REG_SZ, (const BYTE*)saved, (DWORD)strlen(saved) + 1);
  else
    RegDeleteValueA(shell, "Desktop");
  RegCloseKey(shell);
}

// The browse dialog is the extractor's only visible window with no
// message box caption: find it among the process's windows.
HWND WaitBrowseDialog(DWORD pid) {
  for (int i = 0; i < 600; ++i) {
    HWND found = nullptr;
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
      DWORD owner = 0;
      GetWindowThreadProcessId(w, &owner);
      char cls[64];
      GetClassNameA(w, cls, sizeof cls);
      if (owner == pid && IsWindowVisible(w) && strcmp(cls, "#32770") == 0) found = w;
    }
    if (found) return found;
    Sleep(25);
  }
  return nullptr;
}

TEST_F(ExtractorRun, BrowseForFolderCancelAsksToQuit) {
  MetaData meta;
  meta.extractionPath = "*BrowseForFolder*\\Files";
  std::string exe = Pack("packed.exe", meta, {{"a.txt", "a"}});
  Start(exe);
  for (int round = 0; round < 2; ++round) {
    HWND browse = WaitBrowseDialog(app.p.pid);
    ASSERT_TRUE(browse);
    if (round == 0) GuiSaveWindowShot(browse, ShotPath("browse-dialog").c_str());
    EXPECT_TRUE(GuiCommand(browse, IDCANCEL));
    EXPECT_TRUE(GuiWaitWindowGone(browse, kWindowTimeoutMs));
    // No shows the dialog again; Yes ends the run.
    Answer("ERROR #0028 Quit Program!", "Are you sure?", round == 0 ? IDNO : IDYES,
           round == 0 ? "error-0028" : nullptr);
  }
  EXPECT_EQ(1u, Finish());
  EXPECT_FALSE(FileExists(tmp + "\\Files"));
}

// ---------------------------------------------------------------- damaged and hostile entries

TEST_F(ExtractorRun, DamagedEntryDataIsError26AndTheEntryIsRemoved) {
  // Level 0 gives stored deflate blocks: a flipped data byte leaves the
  // stream valid, so only the CRC check can catch it.
  std::string body = "0123456789ABCDEF" + std::string(4000, 'q');
  std::vector<ZipEntry> entries = {{"good.txt", "good"}, {"bad.txt", body}};
  std::string zip = MakeZip(entries, "", 0);
  size_t at = zip.find("0123456789ABCDEF");
  ASSERT_NE(std::string::npos, at);
  zip[at + 3] ^= 1;
  for (int deleteFiles = 0; deleteFiles < 2; ++deleteFiles) {
    SCOPED_TRACE(deleteFiles);
    MetaData meta;
    meta.deleteFiles = deleteFiles;
    std::string exe = PackBytes("damaged.exe", StubImage() + MetaBlock(meta, zip, entries) + zip);
    RemoveTree(folder + "\\SubDirectory");
    Start(exe);
    ExpectFatal("ERROR #0026", std::string("Failed to read the current file.") + kPressOk);
    EXPECT_FALSE(FileExists(folder + "\\SubDirectory\\bad.txt"));
    EXPECT_EQ(deleteFiles ? "" : "good", FileText(folder + "\\SubDirectory\\good.txt"));
    GuiEndProgram(&app.p);
  }
}

TEST_F(ExtractorRun, EntryNamesThatLeaveTheFolderAreError21) {
  const char* names[] = {"..\\evil.txt", "../evil.txt", "sub\\..\\..\\evil.txt", "\\evil.txt",
                         "Z:\\evil.txt", "a.txt:stream", "... \\evil.txt"};
  std::string text = std::string("Failed to retrieve information about the current file.") +
                     kPressOk;
  int round = 0;
  for (const char* name : names) {
    SCOPED_TRACE(name);
    std::string exe = Pack(("n" + std::to_string(round++) + ".exe").c_str(), MetaData(),
                           {{"first.txt", "1"}, {name, "evil"}});
    Start(exe);
    ExpectFatal("ERROR #0021", text);
    EXPECT_FALSE(FileExists(folder + "\\evil.txt"));
    EXPECT_FALSE(FileExists("Z:\\evil.txt"));
    EXPECT_EQ("1", FileText(folder + "\\SubDirectory\\first.txt"));  // earlier entries stay
    GuiEndProgram(&app.p);
  }
}

TEST_F(ExtractorRun, OverlongNamesAreRefused) {
  // An entry name of 260 characters or more.
  std::string exe = Pack("longname.exe", MetaData(), {{std::string(300, 'n'), "x"}});
  Start(exe);
  ExpectFatal("ERROR #0021",
              std::string("Failed to retrieve information about the current file.") + kPressOk);
  GuiEndProgram(&app.p);
  // An extraction folder that resolves to 260 characters or more.
  MetaData meta;
  meta.extractionPath = "*TempDir*" + std::string(240, 'f');
  exe = Pack("longfolder.exe", meta, {{"a.txt", "a"}});
  Start(exe);
  GuiMessageBox box = Answer("ERROR #0016", "");
  EXPECT_NE(std::string::npos, std::string(box.text).find(kPressOk));
  EXPECT_EQ(1u, Finish());
}

// ---------------------------------------------------------------- progress

TEST_F(ExtractorRun, ProgressWindowShowsWhileWriting) {
  MetaData meta;
  meta.progressBar = 1;
  // Zeros compress well and still take dozens of chunks to write.
  std::string exe = Pack("big.exe", meta, {{"big.bin", std::string(96 << 20, '\0')}});
  Start(exe);
  HWND progress = nullptr;
  for (int i = 0; i < 2000 && !progress; ++i) {
    progress = GuiFindWindow("", GuiMatchExact, app.p.pid);
    if (!progress) Sleep(5);
  }
  ASSERT_TRUE(progress) << "the progress window never showed";
  // The extractor answers only between chunks, so a text may come back
  // empty once; look again while it runs. The picture is taken once a
  // percentage shows.
  bool sawCaption = false, sawPercent = false, shot = false;
  for (int round = 0; round < 100 && !(sawCaption && sawPercent) && IsWindow(progress); ++round) {
    GuiControl controls[8];
    int n = GuiListControls(progress, controls, 8);
    for (int i = 0; i < n && i < 8; ++i) {
      std::string text = controls[i].text;
      if (text == "Extracting files...") sawCaption = true;
      if (text.size() >= 3 && text[0] == ' ' && text.back() == '%') sawPercent = true;
    }
    if (sawPercent && !shot && IsWindowVisible(progress))
      shot = GuiSaveWindowShot(progress, ShotPath("progress-window").c_str());
    Sleep(20);
  }
  EXPECT_TRUE(shot);
  EXPECT_TRUE(sawCaption);
  EXPECT_TRUE(sawPercent);
  EXPECT_EQ(0u, Finish(120000));
  DeleteFileA((folder + "\\SubDirectory\\big.bin").c_str());
}

TEST_F(ExtractorRun, UnzipSizeBelow100) {
  MetaData meta;
  meta.progressBar = 1;
  meta.unzipSize = 50;
  EXPECT_EQ(0u, Run(Pack("small.exe", meta, {{"a.txt", std::string(70, 'a')}})));
  EXPECT_EQ(std::string(70, 'a'), FileText(folder + "\\SubDirectory\\a.txt"));
  SetUp();
  meta.unzipSize = 0;
  EXPECT_EQ(0u, Run(Pack("zero.exe", meta, {{"a.txt", "a"}})));
}

// ---------------------------------------------------------------- the stub

TEST(StubImage, FitsTheLayout) {
  const std::string& stub = StubImage();
  ASSERT_FALSE(stub.empty());
  EXPECT_LE(stub.size(), 60000u);
  const char marker[] = {'[', 'V', 'Q', ']', 0};
  EXPECT_EQ(std::string::npos, stub.find(marker));
  EXPECT_EQ(std::string::npos, stub.find(std::string("PK\3\4", 4)));
  // Icon resource 1 is icon 8001's image, stored whole: the icon file from
  // byte 22 on.
  char path[MAX_PATH];
  ASSERT_TRUE(GuiBuildTreePath("extractor\\vqstub.exe", path, sizeof path));
  HMODULE image = LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_TRUE(image);
  HRSRC icon = FindResourceA(image, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(3));  // RT_ICON
  ASSERT_TRUE(icon);
  std::string reference = SourceTreeFile("resources\\stub-icon.ico");
  ASSERT_EQ(2238u, reference.size());
  ASSERT_EQ(2216u, SizeofResource(image, icon));
  const char* bytes = (const char*)LockResource(LoadResource(image, icon));
  EXPECT_EQ(reference.substr(22), std::string(bytes, 2216));
  EXPECT_NE(std::string::npos, stub.find(reference.substr(22)));
  EXPECT_TRUE(FindResourceA(image, MAKEINTRESOURCEA(8001), MAKEINTRESOURCEA(14)));  // RT_GROUP_ICON
  EXPECT_TRUE(FindResourceA(image, MAKEINTRESOURCEA(8002), MAKEINTRESOURCEA(14)));
  EXPECT_TRUE(FindResourceA(image, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)));  // RT_MANIFEST
  FreeLibrary(image);
}

}  // namespace
