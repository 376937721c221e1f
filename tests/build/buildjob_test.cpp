#include "build/buildjob.h"

#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "build/layout.h"
#include "build/stubimage.h"
#include "platform/platform.h"
#include "shell/buildlog.h"
#include "shell/paths.h"
#include "tests/build/buildtest.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace {

std::vector<std::string> gFailures;  // failure messages the job showed
void KeepFailure(const char* text) { gFailures.push_back(text); }
const BuildLogSink kTestSink = {nullptr, nullptr, nullptr, KeepFailure};

const std::vector<std::pair<std::string, std::string>> kDemo = {
    {"setup.exe", "MZ setup"},
    {"readme.txt", std::string(5000, 'r')},
    {"bin\\tool.exe", "MZ tool"},
    {"docs\\empty.txt", ""},
};

std::string Number(long long value) { return std::to_string(value); }


class BuildJobTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RestoreStub();
    InitProject(&gProject, &gLaunch);
    gFailures.clear();
    ResetBuildLog(&kTestSink);
    temp = ScratchName("temp") + "\\";
    MakeFolder(temp);
    UseTemporaryFolder(temp);
    NewFolders();
    CopyText(gProject.ProjectName, VQ_TEXT_SIZE, kTestProject);
    gProject.CompressLevel = 6;
  }
  void NewFolders() {  // a source folder and an output path of their own
    source = ScratchName("src") + "\\";
    output = ScratchName("out") + "\\Demo.exe";
    CopyText(gProject.SourceFolder, VQ_TEXT_SIZE, source.c_str());
    CopyText(gProject.OutputFile, VQ_TEXT_SIZE, output.c_str());
  }
  void TearDown() override {
    RestoreStub();
    ResetBuildLog(nullptr);
  }
  void AddLaunch(int i, const std::string& file, const std::string& cmd, const char* state) {
    CopyText(gLaunch.ExecFile[i], VQ_TEXT_SIZE, file.c_str());
    CopyText(gLaunch.CmdLine[i], VQ_TEXT_SIZE, cmd.c_str());
    CopyText(gLaunch.WinState[i], VQ_TEXT_SIZE, state);
  }
  PackedParts Built() {
    EXPECT_TRUE(BuildJob());
    EXPECT_TRUE(gFailures.empty());
    return SplitPacked(ReadRawFile(output));
  }
  std::string source, output, temp;
};

// What a build writes, the stub's own search and settings reader read back.
TEST_F(BuildJobTest, TheStubFindsEveryPieceAndSetting) {
  MakeTree(source, kDemo);
  CopyText(gProject.ExtractionFolder, VQ_TEXT_SIZE, "*TempDir*\\x y");
  CopyText(gProject.Password, VQ_TEXT_SIZE, "pw");
  gProject.Checkbox1 = gProject.Checkbox2 = gProject.Checkbox3 = 1;
  gProject.OverwriteMode = 2;
  AddLaunch(0, source + "setup.exe", "*Command*", "*ShowWin*");
  AddLaunch(1, source + "bin\\tool.exe", "/quiet \"*AppDir*\\x y\"", "*HideWin*");
  AddLaunch(2, "D:\\Other\\tool.exe", "", "*MaximizeWin*");  // outside: kept whole
  AddLaunch(4, source + "after-the-gap.exe", "x", "*ShowWin*");  // behind the end
  PackedParts parts = Built();
  ASSERT_TRUE(parts.found);
  EXPECT_EQ(parts.stub, OriginalStub());
  uint32_t unzipSize = 0;
  for (const auto& file : kDemo) unzipSize += (uint32_t)file.second.size();
  EXPECT_EQ(parts.header, "[VQ]\nExtractionPath=*TempDir*\\x y\nZipSize=" +
                              Number(parts.archive.size()) + "\nUnZipSize=" + Number(unzipSize) +
                              "\nProgressBar=1\nDeleteFiles=1\nPassword=1\nOverwrite=2\n");
  EXPECT_EQ(parts.launch,
            "ExecFile0=setup.exe\rCmdLine0=*Command*\rWinState0=*ShowWin*\r"
            "ExecFile1=bin\\tool.exe\rCmdLine1=/quiet \"*AppDir*\\x y\"\rWinState1=*HideWin*\r"
            "ExecFile2=D:\\Other\\tool.exe\rCmdLine2=\rWinState2=*MaximizeWin*\r");

  // The block as the stub copies it to its temporary file.
  std::string copy = ScratchName("meta") + ".tmp";
  ASSERT_TRUE(WriteRawFile(copy, parts.header + parts.launch));
  MetaSettings meta;
  ReadMetaSettings(&kProfileReader, copy.c_str(), &meta);
  EXPECT_STREQ(meta.extractionPath, "*TempDir*\\x y");
  EXPECT_EQ(meta.unzipSize, unzipSize);
  EXPECT_TRUE(meta.showProgress && meta.deleteFiles && meta.passwordFlag);
  EXPECT_EQ(meta.overwriteMode, 2);
  const char* expected[][3] = {{"setup.exe", "*Command*", "*ShowWin*"},
                               {"bin\\tool.exe", "/quiet \"*AppDir*\\x y\"", "*HideWin*"},
                               {"D:\\Other\\tool.exe", "", "*MaximizeWin*"}};
  static LaunchSetting entry;
  for (int n = 0; n < 3; ++n) {
    ASSERT_TRUE(ReadLaunchSetting(&kProfileReader, copy.c_str(), n, &entry)) << n;
    EXPECT_STREQ(entry.execFile, expected[n][0]);
    EXPECT_STREQ(entry.cmdLine, expected[n][1]);
    EXPECT_STREQ(entry.winState, expected[n][2]);
  }
  EXPECT_FALSE(ReadLaunchSetting(&kProfileReader, copy.c_str(), 3, &entry));

  // Offsets inside the archive count from its own first byte.
  const std::string& zip = parts.archive;
  ASSERT_GE(zip.size(), 22u);
  uint32_t cdSize, cdOffset;
  memcpy(&cdSize, zip.data() + zip.size() - 22 + 12, 4);
  memcpy(&cdOffset, zip.data() + zip.size() - 22 + 16, 4);
  EXPECT_EQ(cdOffset + cdSize, zip.size() - 22);
  EXPECT_EQ(zip.substr(cdOffset, 4), std::string("PK\1\2", 4));
  std::vector<ZipEntry> entries = ReadZip(output, "pw");
  ASSERT_EQ(entries.size(), kDemo.size());
  for (const auto& e : entries) EXPECT_TRUE(e.dataOk && e.method == 8 && (e.flag & 1)) << e.name;
}

// The project file and the meta data block store a launch entry alike.
TEST_F(BuildJobTest, LaunchEntriesAreStoredAlikeInProjectFileAndMetaData) {
  const struct {
    const char* source;
    const char* entry;
    const char* stored;
  } cases[] = {
      {"C:\\src\\", "C:\\src\\setup.exe", "setup.exe"},
      // Only the folder in front goes, however often its text comes again.
      {"C:\\src\\", "C:\\src\\sub\\C:\\src\\x.exe", "sub\\C:\\src\\x.exe"},
      {"C:\\src\\", "C:\\src\\C:\\src\\x.exe", "C:\\src\\x.exe"},
      {"C:\\src\\", "D:\\C:\\src\\x.exe", "D:\\C:\\src\\x.exe"},
      {"C:\\src\\", "c:\\SRC\\x.exe", "c:\\SRC\\x.exe"},  // the case must match
      {"", "C:\\src\\x.exe", "C:\\src\\x.exe"},
  };
  for (const auto& c : cases) {
    CopyText(gProject.SourceFolder, VQ_TEXT_SIZE, c.source);
    AddLaunch(0, c.entry, "*Command*", "*ShowWin*");
    CopyText(gProject.ProjectFilePath, VQ_TEXT_SIZE, (ScratchName("agree") + ".vqx").c_str());
    ASSERT_TRUE(SaveProject(&gProject, &gLaunch));
    std::string saved = ReadRawFile(gProject.ProjectFilePath);
    EXPECT_NE(saved.find(std::string("\nExecFile0=") + c.stored + "\r\n"), saved.npos) << c.entry;
    std::string launch;
    FormatLaunchText(&gProject, &gLaunch, &launch);
    EXPECT_EQ(launch.find(std::string("ExecFile0=") + c.stored + "\r"), 0u) << c.entry;
  }
}

TEST_F(BuildJobTest, SixtyFourLongLaunchEntriesAreWrittenWhole) {
  MakeTree(source, {{"a.txt", "a"}});
  std::string expected;
  for (int i = 0; i < VQ_MAX_LAUNCH; ++i) {
    std::string relative = std::string(1900, (char)('a' + i % 26)) + Number(i) + ".exe";
    std::string cmd = std::string(VQ_TEXT_SIZE - 1 - Number(i).size(), 'c') + Number(i);
    AddLaunch(i, source + relative, cmd, "*MinimizeWin*");
    expected += "ExecFile" + Number(i) + "=" + relative + "\rCmdLine" + Number(i) + "=" + cmd +
                "\rWinState" + Number(i) + "=*MinimizeWin*\r";
  }
  PackedParts parts = Built();
  ASSERT_TRUE(parts.found);
  EXPECT_GT(expected.size(), 64u * 3900);
  EXPECT_EQ(parts.launch, expected);
  EXPECT_EQ(ReadZip(output).size(), 1u);
}

TEST_F(BuildJobTest, IconOfTheAcceptedSizeReplacesTheStubIcon) {
  MakeTree(source, {{"a.txt", "a"}});
  std::string icon = CustomIcon(41);
  std::string iconPath = ScratchName("icon") + ".ico";
  WriteRawFile(iconPath, icon);
  CopyText(gProject.IconFile, VQ_TEXT_SIZE, iconPath.c_str());
  PackedParts parts = Built();
  ASSERT_TRUE(parts.found);

  std::string original = OriginalStub();
  std::string tail = OriginalReference().substr(32);
  size_t at = original.find(tail);
  ASSERT_NE(at, std::string::npos);
  ASSERT_EQ(parts.stub.size(), original.size());
  EXPECT_EQ(parts.stub.substr(0, at), original.substr(0, at));
  EXPECT_EQ(parts.stub.substr(at, tail.size()), icon.substr(32));
  EXPECT_EQ(parts.stub.substr(at + tail.size()), original.substr(at + tail.size()));
  // The image's first ten bytes before the replaced part stay the stub's own.
  EXPECT_EQ(parts.stub.substr(at - 10, 10), OriginalReference().substr(22, 10));
  // The reference now holds the user's icon, so it still matches the stub.
  EXPECT_EQ(std::string((const char*)gStubIconReference + 32, tail.size()), icon.substr(32));
  EXPECT_EQ(std::string((const char*)gStubIconReference, 32), OriginalReference().substr(0, 32));
}

TEST_F(BuildJobTest, IconOfAnyOtherSizeOrMissingIsIgnored) {
  MakeTree(source, {{"a.txt", "a"}});
  for (size_t size : {0u, 2237u, 2239u, 4000u}) {
    std::string iconPath = ScratchName("icon") + ".ico";
    WriteRawFile(iconPath, CustomIcon(7).substr(0, size < 2238 ? size : 2238) +
                               std::string(size > 2238 ? size - 2238 : 0, 'x'));
    CopyText(gProject.IconFile, VQ_TEXT_SIZE, iconPath.c_str());
    EXPECT_EQ(Built().stub, OriginalStub()) << size;
  }
  CopyText(gProject.IconFile, VQ_TEXT_SIZE, (source + "missing.ico").c_str());
  EXPECT_EQ(Built().stub, OriginalStub());
}

TEST_F(BuildJobTest, NFilesGiveNPlusFourLogLinesInOrder) {
  MakeTree(source, kDemo);
  ASSERT_TRUE(BuildJob());
  std::vector<std::string> lines = LogLines();
  ASSERT_EQ(lines.size(), kDemo.size() + 4);
  std::vector<ZipEntry> entries = ReadZip(output);
  for (size_t i = 0; i < kDemo.size(); ++i) EXPECT_EQ(lines[i], "0|" + source + entries[i].name);
  EXPECT_EQ(std::vector<std::string>(lines.end() - 4, lines.end()),
            (std::vector<std::string>{"2|-----", "0|Writing File...", "2|-----",
                                      "0|Completed Successfully."}));
  EXPECT_STREQ(BuildLogStatus(), "Completed Successfully.");
  EXPECT_EQ(BuildLogProgress(), 100);
}

// Makes a source file unreadable: held open for writing (sharing read and
// write) as by a program still writing it; a link to nothing on POSIX.
#ifdef _WIN32
void* HoldSourceFile(const std::string& path) {
  return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                     OPEN_EXISTING, 0, nullptr);
}
void ReleaseSourceFile(void* held) { CloseHandle(held); }
#else
void* HoldSourceFile(const std::string& path) {
  char file[2048];
  PlatformSystemPath(path.c_str(), file, sizeof file);
  EXPECT_TRUE(unlink(file) == 0 && symlink("nothing", file) == 0);
  return nullptr;
}
void ReleaseSourceFile(void*) {}
#endif

// Whatever way a build ends, it takes nothing from the temporary folder and
// leaves nothing in it: not its archive, not the name it reserved.
TEST_F(BuildJobTest, EveryWayOutLeavesTheTemporaryFolderAsFound) {
  enum Setup { kSourceFiles, kDeepOutput, kEmptySource, kUnreadableSource, kOutputIsAFolder };
  const struct {
    const char* what;
    const char* project;
    Setup setup;
    const char* failure;  // nullptr: the build completes
  } cases[] = {
      {"complete", kTestProject, kSourceFiles, nullptr},
      {"missing output folders are made", kTestProject, kDeepOutput, nullptr},
      // The archive takes the reserved name, not the text before its first dot.
      {"dot in the prefix", "v.Test", kSourceFiles, nullptr},
      {"only empty folders", kTestProject, kEmptySource, "Failed to read compressed data."},
      {"source file still being written", kTestProject, kUnreadableSource,
       "Failed to add all files to the archive."},
      {"output is a folder", kTestProject, kOutputIsAFolder,
       "Failed to create the output executable."},
#ifndef _WIN32
      {"no temporary name", "a/b/c", kSourceFiles, "Failed to create the temporary archive."},
#endif
  };
  for (const auto& c : cases) {
    NewFolders();
    CopyText(gProject.ProjectName, VQ_TEXT_SIZE, c.project);
    if (c.setup == kDeepOutput) output = ScratchName("deep") + "\\one\\two\\Demo.exe";
    CopyText(gProject.OutputFile, VQ_TEXT_SIZE, output.c_str());
    if (c.setup == kEmptySource) {
      MakeFolder(source + "empty\\folders\\");
    } else {
      MakeTree(source, kDemo);
    }
    if (c.setup == kOutputIsAFolder) MakeFolder(output + "\\");
    void* held = c.setup == kUnreadableSource ? HoldSourceFile(source + "readme.txt") : nullptr;
    ASSERT_TRUE(WriteRawFile(temp + "v.zip", "another program's"));
    std::string before = ListFolder(temp);
    gFailures.clear();
    ResetBuildLog(&kTestSink);
    BuildJob();
    if (held) ReleaseSourceFile(held);
    EXPECT_EQ(ListFolder(temp), before) << c.what;
    EXPECT_EQ(gFailures.empty() ? "" : gFailures[0], c.failure ? c.failure : "") << c.what;
    EXPECT_STREQ(BuildLogStatus(), c.failure ? "Failed!" : "Completed Successfully.") << c.what;
    PlatformFileInfo info;
    EXPECT_EQ(PlatformGetFileInfo(output.c_str(), &info) && !info.isFolder, !c.failure) << c.what;
  }
}

TEST_F(BuildJobTest, EarlierOutputInsideTheSourceFolderIsPacked) {
  MakeTree(source, {{"a.txt", "a"}});
  output = source + "out\\Demo.exe";
  CopyText(gProject.OutputFile, VQ_TEXT_SIZE, output.c_str());
  ASSERT_TRUE(Built().found);
  std::string first = ReadRawFile(output);
  ResetBuildLog(&kTestSink);
  ASSERT_TRUE(Built().found);
  std::vector<ZipEntry> entries = ReadZip(output);
  ASSERT_EQ(entries.size(), 2u);
  const ZipEntry& packed = entries[0].name == "out\\Demo.exe" ? entries[0] : entries[1];
  EXPECT_EQ(packed.name, "out\\Demo.exe");
  EXPECT_EQ(packed.data, first);
}

TEST_F(BuildJobTest, PasswordEncryptsOnlyWithProtectionOn) {
  MakeTree(source, kDemo);
  CopyText(gProject.Password, VQ_TEXT_SIZE, "s3cret");
  PackedParts parts = Built();
  EXPECT_NE(parts.header.find("\nPassword=0\n"), std::string::npos);
  for (const auto& entry : ReadZip(output)) EXPECT_EQ(entry.flag & 1u, 0u) << entry.name;

  gProject.Checkbox3 = 1;
  ResetBuildLog(&kTestSink);
  parts = Built();
  EXPECT_NE(parts.header.find("\nPassword=1\n"), std::string::npos);
  EXPECT_EQ(parts.header.find("s3cret"), std::string::npos);
  for (const auto& entry : ReadZip(output, "s3cret")) {
    EXPECT_EQ(entry.flag & 1u, 1u) << entry.name;
    EXPECT_TRUE(entry.dataOk) << entry.name;
  }
}

const std::string kLongFolder = "*AppDir*\\" + std::string(VQ_TEXT_SIZE - 10, 'x');
const std::string kLongHeader = "[VQ]\nExtractionPath=" + kLongFolder +
                                "\nZipSize=1\nUnZipSize=2\nProgressBar=0\nDeleteFiles=0\n"
                                "Password=0\nOverwrite=0\n";

TEST_F(BuildJobTest, MetaHeaderTable) {
  struct Case {
    const char* extraction;
    uint32_t zipSize, unzipSize;
    int progress, deleteFiles, password, overwrite;
    const char* expected;
  } cases[] = {
      {"*AppDir*\\SubDirectory", 512, 900, 1, 0, 0, 1,
       "[VQ]\nExtractionPath=*AppDir*\\SubDirectory\nZipSize=512\nUnZipSize=900\n"
       "ProgressBar=1\nDeleteFiles=0\nPassword=0\nOverwrite=1\n"},
      {"", 0, 0, 0, 1, 1, 2,
       "[VQ]\nExtractionPath=\nZipSize=0\nUnZipSize=0\nProgressBar=0\nDeleteFiles=1\n"
       "Password=1\nOverwrite=2\n"},
      // 2 GiB and more: the signed reading of the 32-bit value.
      {"C:\\x", 0x80000000u, 0xFFFFFFFFu, 0, 0, 0, 0,
       "[VQ]\nExtractionPath=C:\\x\nZipSize=-2147483648\nUnZipSize=-1\nProgressBar=0\n"
       "DeleteFiles=0\nPassword=0\nOverwrite=0\n"},
      // Never cut: a long folder must not push the later keys out.
      {kLongFolder.c_str(), 1, 2, 0, 0, 0, 0, kLongHeader.c_str()},
  };
  for (const auto& c : cases) {
    CopyText(gProject.ExtractionFolder, VQ_TEXT_SIZE, c.extraction);
    gProject.Checkbox1 = c.progress;
    gProject.Checkbox2 = c.deleteFiles;
    gProject.Checkbox3 = c.password;
    gProject.OverwriteMode = c.overwrite;
    char header[16384];
    size_t length = FormatMetaHeader(&gProject, c.zipSize, c.unzipSize, header, sizeof header);
    EXPECT_EQ(std::string(header, length), c.expected);
  }
}

TEST_F(BuildJobTest, CreateFolderPath) {
  std::string base = ScratchName("made");
  CreateFolderPath((base + "/a//b\\c\\").c_str());
  EXPECT_TRUE(FileExists(base + "\\a\\b\\c"));
  CreateFolderPath((base + "\\a\\b\\c\\").c_str());  // existing: no harm
  CreateFolderPath("");
  EXPECT_TRUE(FileExists(base + "\\a\\b\\c"));
}

#ifndef _WIN32
// Writes beyond this many bytes of any file fail, as on a full disk.
struct FileSizeLimit {
  rlimit saved;
  explicit FileSizeLimit(rlim_t bytes) {
    signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limit = saved;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved); }
};

TEST_F(BuildJobTest, WriteFailureFailsTheBuildAndRemovesTheOutput) {
  MakeTree(source, kDemo);
  AddLaunch(0, source + "setup.exe", "*Command*", "*ShowWin*");
  PackedParts parts = Built();
  ASSERT_TRUE(parts.found);
  size_t metaEnd = gStubImageSize + parts.header.size() + parts.launch.size();
  // In the stub, in the meta data block, in the archive copy.
  for (size_t limit : {gStubImageSize - 1, gStubImageSize + 20, metaEnd + 10}) {
    ASSERT_LT(parts.archive.size() + 1000, limit);  // the temporary archive fits
    ResetBuildLog(&kTestSink);
    gFailures.clear();
    bool built;
    {
      FileSizeLimit full(limit);
      built = BuildJob();
    }
    EXPECT_FALSE(built) << limit;
    EXPECT_EQ(gFailures, std::vector<std::string>{"Failed to write the output executable."});
    std::vector<std::string> lines = LogLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines.back(), "1|Failed.");
    EXPECT_STREQ(BuildLogStatus(), "Failed!");
    EXPECT_FALSE(FileExists(output)) << limit;
  }
}

// Info-ZIP and 7-Zip read the packed file as a zip with a prefix.
TEST_F(BuildJobTest, UnzipAnd7zAcceptThePackedFile) {
  MakeTree(source, kDemo);
  for (int protectedBuild : {0, 1}) {
    for (int level : {0, 9}) {
      gProject.Checkbox3 = protectedBuild;
      gProject.CompressLevel = level;
      CopyText(gProject.Password, VQ_TEXT_SIZE, "pw 1");
      ResetBuildLog(&kTestSink);
      ASSERT_TRUE(Built().found);
      char packed[2048];
      ASSERT_TRUE(PlatformSystemPath(output.c_str(), packed, sizeof packed));
      std::string quoted = std::string("'") + packed + "'";
      std::string pass = protectedBuild ? "-P 'pw 1' " : "";
      std::string pass7 = protectedBuild ? "'-ppw 1' " : "";
      // unzip warns about the stub in front (exit code 1) and tests on.
      EXPECT_EQ(system(("unzip -t " + pass + quoted +
                        " 2>&1 | grep -q '^No errors detected in compressed data'")
                           .c_str()),
                0)
          << "unzip, protected " << protectedBuild << " level " << level;
      EXPECT_EQ(system(("7z t " + pass7 + quoted + " >/dev/null 2>&1").c_str()), 0)
          << "7z, protected " << protectedBuild << " level " << level;
    }
  }
}

#endif

}  // namespace
