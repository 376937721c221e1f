#include "build/buildjob.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/layout.h"
#include "base/meta_check.h"
#include "extractor/meta_settings.h"
#include "build/stubimage.h"
#include "extractor/locate.h"
#include "platform/platform.h"
#include "services/buildlog.h"
#include "tests/build/buildtest.h"
#include "zlib.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace {

// The embedded stub and icon reference as built, before a custom icon changes them in place.
const std::string kOriginalStub((const char*)gStubImage, gStubImageSize);
const std::string kOriginalReference((const char*)gStubIconReference, gStubIconReferenceSize);

void RestoreStub() {
  memcpy(gStubImage, kOriginalStub.data(), gStubImageSize);
  memcpy(gStubIconReference, kOriginalReference.data(), gStubIconReferenceSize);
}

SourceStatus ReadString(void* context, uint32_t offset, unsigned char* buffer, uint32_t size,
                        uint32_t* got) {
  const std::string* bytes = (const std::string*)context;
  size_t available = offset < bytes->size() ? bytes->size() - offset : 0;
  *got = size < available ? size : (uint32_t)available;
  memcpy(buffer, bytes->data() + offset, *got);
  return SOURCE_OK;
}

// A packed executable taken apart where the stub's own search finds the marker and the archive.
struct PackedParts {
  bool found;
  std::string stub, header, launch, check, archive;
};
PackedParts SplitPacked(const std::string& bytes) {
  uint32_t marker = 0, archive = 0;
  if (LocatePackedParts(ReadString, (void*)&bytes, &marker, &archive) != STUB_ERROR_NONE) {
    return PackedParts{false, "", "", "", "", ""};
  }
  const std::string block = bytes.substr(marker, archive - marker);
  const size_t check = block.size() - std::min(block.size(), (size_t)VQ_META_CHECK_LINE_LENGTH);
  size_t launch = block.find("\nExecFile");
  launch = launch == std::string::npos ? check : launch + 1;
  return PackedParts{true, bytes.substr(0, marker), block.substr(0, launch),
                     block.substr(launch, check - launch), block.substr(check), bytes.substr(archive)};
}

std::vector<std::string> gFailures;  // failure messages the job showed
void KeepFailure(const char* text) { gFailures.push_back(text); }
std::string gCancelAt;  // the log line at which the build is cancelled ("*": the first); "": never
void CancelAtLine(const char* text, LogMark) {
  if (gCancelAt == "*" || gCancelAt == text) CancelBuildJob();
}
const BuildLogSink kTestSink = {CancelAtLine, nullptr, nullptr, KeepFailure};

const char* const kTestProject = "vqTest";
const std::vector<std::pair<std::string, std::string>> kDemo = {
    {"setup.exe", "MZ setup"},
    {"readme.txt", std::string(5000, 'r')},
    {"bin\\tool.exe", "MZ tool"},
    {"docs\\empty.txt", ""},         {u8"Café.txt", "é"}, {u8"папка\\日本語.txt", "ja"}, {u8"emoji😀.txt", "4"},
#ifndef _WIN32
    {"notes.", "n"}, {"..hidden", "h"}, {"sub.\\x", "x"},  // Windows cannot make these
#endif
};

#ifdef _WIN32
struct FileSizeLimit { explicit FileSizeLimit(size_t) {} };  // no such limit here
#else
// Writes beyond this many bytes of any file fail, as on a full disk.
struct FileSizeLimit {
  rlimit saved;
  explicit FileSizeLimit(rlim_t bytes) {
    signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limit = saved;
    limit.rlim_cur = bytes;
    if (bytes) setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved); }
};
#endif

class BuildJobTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RestoreStub();
    InitProject(&gProject, &gLaunch);
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
  void AddLaunch(int i, const std::string& file, const std::string& cmd, const char* state) {
    CopyText(gLaunch.ExecFile[i], VQ_TEXT_SIZE, file.c_str());
    CopyText(gLaunch.CmdLine[i], VQ_TEXT_SIZE, cmd.c_str());
    CopyText(gLaunch.WinState[i], VQ_TEXT_SIZE, state);
  }
  // A fresh log and gFailures; with fullAt, writes beyond the stub's size and fullAt bytes fail.
  bool Build(int fullAt = 0) {
    gFailures.clear();
    ResetBuildLog(&kTestSink);
    FileSizeLimit full(fullAt ? gStubImageSize + fullAt : 0);
    return BuildJob();
  }
  PackedParts Built() {
    EXPECT_TRUE(Build());
    EXPECT_TRUE(gFailures.empty());
    return SplitPacked(ReadRawFile(output));
  }
  std::string source, output, temp;
};

TEST_F(BuildJobTest, TheStubFindsEveryPieceAndSetting) {
  MakeTree(source, kDemo);
  CopyText(gProject.ExtractionFolder, VQ_TEXT_SIZE, "*TempDir*\\x y");
  CopyText(gProject.Password, VQ_TEXT_SIZE, "pw");
  gProject.Checkbox1 = gProject.Checkbox2 = gProject.Checkbox3 = 1;
  gProject.OverwriteMode = 2;
  const char* launch[][3] = {{"setup.exe", "*Command*", "*ShowWin*"},
                             {"bin\\tool.exe", "/quiet \"*AppDir*\\x y\"", "*HideWin*"},
                             {"D:\\Other\\tool.exe", "", "*MaximizeWin*"}};  // outside: kept whole
  for (int n = 0; n < 3; ++n) AddLaunch(n, (n < 2 ? source : "") + launch[n][0], launch[n][1], launch[n][2]);
  AddLaunch(3, source + "sub" + source + "x.exe", "", "*ShowWin*");  // only the folder in front goes
  AddLaunch(5, source + "after-the-gap.exe", "x", "*ShowWin*");  // behind the end
  PackedParts parts = Built();
  ASSERT_TRUE(parts.found);
  uint32_t unzipSize = 0;
  for (const auto& file : kDemo) unzipSize += (uint32_t)file.second.size();
  EXPECT_EQ(parts.header, "[VQ]\nExtractionPath=*TempDir*\\x y\nZipSize=" + std::to_string(parts.archive.size()) +
                              "\nUnZipSize=" + std::to_string(unzipSize) +
                              "\nProgressBar=1\nDeleteFiles=1\nPassword=1\nOverwrite=2\n");
  EXPECT_EQ(parts.launch,
            "ExecFile0=setup.exe\rCmdLine0=*Command*\rWinState0=*ShowWin*\r"
            "ExecFile1=bin\\tool.exe\rCmdLine1=/quiet \"*AppDir*\\x y\"\rWinState1=*HideWin*\r"
            "ExecFile2=D:\\Other\\tool.exe\rCmdLine2=\rWinState2=*MaximizeWin*\r"
            "ExecFile3=sub" + source + "x.exe\rCmdLine3=\rWinState3=*ShowWin*\r");
  // The check line: any one flipped bit fails the block. Without one (an older build's block), either end reads.
  const std::string checked = parts.header + parts.launch, block = checked + parts.check;
  char check[16];
  snprintf(check, sizeof check, "Check=%08lX\r", crc32(0, (const Bytef*)checked.data(), (uInt)checked.size()));
  EXPECT_EQ(parts.check, check);
  for (size_t i = 0; i < block.size() * 8; ++i) {
    std::string damaged = block;
    damaged[i / 8] ^= (char)(1 << i % 8);
    EXPECT_EQ(VerifyMetaCheck(damaged.data(), damaged.size()), META_CHECK_FAILED) << i;
  }
  const std::string state = checked.substr(0, checked.rfind('=') + 1), over = parts.header.substr(0, parts.header.size() - 2);
  const MetaCheck A = META_CHECK_ABSENT, F = META_CHECK_FAILED;
  const std::pair<std::string, MetaCheck> kEnds[] = {  // over: up to "Overwrite=", state: up to "WinState3="
      {block, META_CHECK_PASSED}, {checked, A}, {parts.header, A}, {over + "-12\n", A}, {state + "\r", A},
      {block + "x", F}, {block.substr(0, block.size() - 1), F}, {parts.header + parts.check, F}, {checked + "\r", F},
      {state + "x=1\r", F}, {over + "2x" + parts.check, F}, {over + "x\n", F}, {over + "\n", F}, {over + "-\n", F},
      {over + "0\nWinState=x\r", F}, {over + "0\nState0=x\r", F}, {over + "0\nWinState0x\r", F}};
  for (const auto& e : kEnds) EXPECT_EQ(VerifyMetaCheck(e.first.data(), e.first.size()), e.second) << e.first;

  // Offsets inside the archive count from its own first byte.
  const std::string& zip = parts.archive;
  ASSERT_GE(zip.size(), 22u);
  uint32_t cdSize, cdOffset;
  memcpy(&cdSize, zip.data() + zip.size() - 22 + 12, 4);
  memcpy(&cdOffset, zip.data() + zip.size() - 22 + 16, 4);
  EXPECT_EQ(cdOffset + cdSize, zip.size() - 22);
  // Every file one deflated entry, encrypted, named by its path below the source folder (UTF-8, flagged unless ASCII).
  std::vector<std::pair<std::string, std::string>> files = kDemo, packed;
  for (const auto& e : ReadZip(output, "pw")) {
    const unsigned utf8 = std::any_of(e.name.begin(), e.name.end(), [](char c) { return c & 0x80; }) << 11;
    EXPECT_TRUE(e.dataOk && e.method == 8 && (e.flag & 1) && (e.flag & 0x800) == utf8) << e.name;
    packed.push_back({e.name, e.data});
  }
  std::sort(files.begin(), files.end());
  std::sort(packed.begin(), packed.end());
  EXPECT_EQ(packed, files);
}

// Nothing is cut; sizes of 2 GiB and more are written as the signed reading of their 32 bits.
TEST_F(BuildJobTest, SettingsAreWrittenWhole) {
  MakeTree(source, {{"a.txt", "a"}});
  const std::string folder = "*AppDir*\\" + std::string(VQ_TEXT_SIZE - 10, 'x');
  CopyText(gProject.ExtractionFolder, VQ_TEXT_SIZE, folder.c_str());
  std::string expected;
  for (int i = 0; i < VQ_MAX_LAUNCH; ++i) {
    const std::string n = std::to_string(i), file = std::string(1900, (char)('a' + i % 26)) + n + ".exe",
                      cmd = std::string(VQ_TEXT_SIZE - 1 - n.size(), 'c') + n;
    AddLaunch(i, source + file, cmd, "*MinimizeWin*");
    expected += "ExecFile" + n + "=" + file + "\rCmdLine" + n + "=" + cmd + "\rWinState" + n + "=*MinimizeWin*\r";
  }
  PackedParts parts = Built();
  ASSERT_TRUE(parts.found);
  EXPECT_EQ(parts.header.substr(0, folder.size() + 29), "[VQ]\nExtractionPath=" + folder + "\nZipSize=");
  EXPECT_NE(parts.header.find("\nOverwrite=0\n"), std::string::npos);
  EXPECT_EQ(parts.launch, expected);
  std::string block;
  ASSERT_TRUE(FormatMetaBlock(&gProject, &gLaunch, 0x80000000u, 0xFFFFFFFFu, &block, nullptr, 0));
  EXPECT_NE(block.find("\nZipSize=-2147483648\nUnZipSize=-1\n"), std::string::npos);
  // The stub's reader takes every value back whole from the block's bytes.
  static MetaSettings settings;
  static LaunchSetting read;
  EXPECT_TRUE(ReadMetaSettings(&kBlockProfileReader, block.c_str(), &settings) && folder == settings.extractionPath);
  std::string readBack;
  for (int i = 0; ReadLaunchSetting(&kBlockProfileReader, block.c_str(), i, &read) && !read.cut; ++i)
    readBack += "ExecFile" + std::to_string(i) + "=" + read.execFile + "\rCmdLine" + std::to_string(i) + "=" +
                read.cmdLine + "\rWinState" + std::to_string(i) + "=" + read.winState + "\r";
  EXPECT_EQ(readBack, expected);
}

// Makes a file unreadable: held open by a writer on Windows, a link to nothing on POSIX.
#ifdef _WIN32
void* HoldFile(const std::string& path) {
  return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                     OPEN_EXISTING, 0, nullptr);
}
void ReleaseFile(void* held) { CloseHandle(held); }
#else
void* HoldFile(const std::string& path) {
  char file[2048];
  PlatformSystemPath(path.c_str(), file, sizeof file);
  EXPECT_TRUE(unlink(file) == 0 && symlink("nothing", file) == 0);
  return nullptr;
}
void ReleaseFile(void*) {}

const char* const kWriteFailed = "Failed to write the output executable.";
#endif

// The stub's icon image and the reference (bar the first 32 bytes) take the icon file's bytes, so that
// the next icon finds its place; any other icon file leaves the stub as built and the log says so.
TEST_F(BuildJobTest, OnlyAnIconOfTheAcceptedSizeReplacesTheStubIcon) {
  MakeTree(source, {{"a.txt", "a"}});
  const size_t at = kOriginalStub.find(kOriginalReference.substr(32));
  ASSERT_NE(at, std::string::npos);
  std::string icon = kOriginalReference.substr(0, 62);  // its directory and bitmap header, new pixels
  for (size_t i = 62; i < VQ_STUB_ICON_FILE_SIZE; ++i) icon.push_back((char)(41 + i * 7));
  for (int size : {2238, 0, 2237, 2239, -1, -2, -3}) {  // -1: none there; -2: held by a writer; -3: none named
    RestoreStub();
    std::string iconPath = size == -3 ? "" : ScratchName("icon") + ".ico";
    EXPECT_TRUE(size == -1 || size == -3 || WriteRawFile(iconPath, (icon + "x").substr(0, size < 0 ? 2238 : size)));
    void* held = size == -2 ? HoldFile(iconPath) : nullptr;
    CopyText(gProject.IconFile, VQ_TEXT_SIZE, iconPath.c_str());
    const size_t n = size == 2238 ? icon.size() - 32 : 0;  // the bytes replaced
    const std::string stub = std::string(kOriginalStub).replace(at, n, icon, 32, n),
                      reference = std::string(kOriginalReference).replace(32, n, icon, 32, n);
    EXPECT_EQ(Built().stub, stub) << size;
    if (held) ReleaseFile(held);
    EXPECT_EQ(std::string((const char*)gStubIconReference, gStubIconReferenceSize), reference);
    // Behind the one file's line, before the copy's.
    EXPECT_EQ(LogLines().at(1) == std::string("1|") + kIconUnreadableText, n == 0 && size != -3) << size;
  }
}

// However a build ends, the temporary folder is left as found and a failure or a cancel leaves
// the earlier output byte for byte; an earlier output inside the source folder is packed whole.
TEST_F(BuildJobTest, EveryWayOutLeavesTheTemporaryFolderAsFound) {
  enum Setup { kFiles, kDeepOutput, kOutputInSource, kEmptySource, kUnreadable, kOutputFolder, kCancelled, kNotUtf8 };
  // failure nullptr: the build completes, or is cancelled at the log line cancelAt; fullAt not 0:
  // writes fail beyond the stub's size and this many bytes.
  const struct { const char *what, *project; Setup setup; const char* failure; int fullAt; const char* cancelAt = ""; }
  cases[] = {
      {"missing output folders are made", kTestProject, kDeepOutput, nullptr, 0},
      {"earlier output inside the source folder", kTestProject, kOutputInSource, nullptr, 0},
      // The archive takes the reserved name, not the text before its first dot.
      {"dot in the prefix", "v.Test", kFiles, nullptr, 0},
      {"only empty folders", kTestProject, kEmptySource, "Failed to read compressed data.", 0},
      {"source file still being written", kTestProject, kUnreadable,
       "Failed to add all files to the archive.", 0},
      {"output is dir", kTestProject, kOutputFolder, "Failed to create the output executable.", 0},
      {"cancelled in the walk", kTestProject, kCancelled, nullptr, 0, "*"},
      {"cancelled in the copy", kTestProject, kCancelled, nullptr, 0, "Writing File..."},
#ifndef _WIN32
      {"a name that is not UTF-8", kTestProject, kNotUtf8, "Failed to add a file whose name is not valid Unicode.", 0},
      {"no temporary name", "a/b/c", kFiles, "Failed to create the temporary archive.", 0},
      // A full disk in the stub, the meta data block (about 110 bytes), the archive (about 800).
      {"disk full in the stub", kTestProject, kFiles, kWriteFailed, -1},
      {"disk full in the meta data", kTestProject, kFiles, kWriteFailed, 20},
      {"disk full in the archive", kTestProject, kFiles, kWriteFailed, 300},
#endif
  };
  for (const auto& c : cases) {
    NewFolders();
    CopyText(gProject.ProjectName, VQ_TEXT_SIZE, c.project);
    if (c.setup == kDeepOutput) output = ScratchName("deep") + "\\one\\two\\Demo.exe";
    if (c.setup == kOutputInSource) output = source + "out\\Demo.exe";
    CopyText(gProject.OutputFile, VQ_TEXT_SIZE, output.c_str());
    c.setup == kEmptySource ? MakeFolder(source + "empty\\folders\\") : MakeTree(source, kDemo);
    if (c.setup == kNotUtf8) MakeTree(source, {{"sub\\b\xFF.txt", "x"}});
    if (c.setup == kOutputFolder) MakeFolder(output + "\\");
    const std::string outFolder = output.substr(0, output.rfind('\\') + 1);
    if (c.setup != kDeepOutput && c.setup != kOutputFolder) MakeTree(outFolder, {{"Demo.exe", "MZ earlier build"}});
    const std::string earlier = ReadRawFile(output), outputs = ListFolder(outFolder);
    const bool cancelled = c.setup == kCancelled;
    gCancelAt = c.cancelAt;
    void* held = c.setup == kUnreadable ? HoldFile(source + "readme.txt") : nullptr;
    ASSERT_TRUE(WriteRawFile(temp + "v.zip", "another program's"));
    const std::string before = ListFolder(temp);
    const bool built = Build(c.fullAt);
    if (held) ReleaseFile(held);
    EXPECT_EQ(ListFolder(temp), before) << c.what;
    EXPECT_EQ(ListFolder(outFolder), c.setup == kDeepOutput ? "Demo.exe" : outputs) << c.what;  // nothing beside it
    EXPECT_EQ(built, !c.failure && !cancelled) << c.what;
    EXPECT_EQ(gFailures, std::vector<std::string>(c.failure ? 1 : 0, c.failure ? c.failure : "")) << c.what;
    EXPECT_STREQ(BuildLogStatus(), built ? "Completed Successfully." : "Failed!") << c.what;
    const std::string after = ReadRawFile(output);
    EXPECT_TRUE(built ? SplitPacked(after).found : after == earlier) << c.what;
    size_t packed = 0;  // the earlier output, packed whole
    for (const auto& e : ReadZip(output)) packed += e.name == "out\\Demo.exe" && e.data == earlier;
    EXPECT_EQ(packed, c.setup == kOutputInSource ? 1u : 0u) << c.what;
  }
}

#ifndef _WIN32
// Info-ZIP and 7-Zip read the packed file; entries deflated at every level, encrypted only with
// protection on, files of one deflate piece and of several (mixed across the ends) come back whole.
// They and Python's zipfile list every name exactly.
TEST_F(BuildJobTest, UnzipAnd7zAcceptThePackedFile) {
  std::string big;
  for (uint32_t s = 7; big.size() < 2600000; s = s * 1103515245u + 12345u)
    big += s >> 29 ? "line " + std::to_string(s >> 22) + "\n" : std::string(1, (char)(s >> 24));
  MakeTree(source, kDemo);
  MakeTree(source, {{"big.bin", big}, {"one.bin", big.substr(0, 1 << 20)}});
  CopyText(gProject.Password, VQ_TEXT_SIZE, "pw 1");
  char folder[2048], sortedNames[2048];  // the names as the file system holds them, "/" as "\"
  ASSERT_TRUE(PlatformSystemPath(source.c_str(), folder, sizeof folder) &&
              PlatformSystemPath(ScratchName("names").c_str(), sortedNames, sizeof sortedNames));
  const std::string list = "cd '" + std::string(folder) + "' && find . -type f | sed 's|^\\./||; s|/|\\\\|g'";
  ASSERT_EQ(system((list + " | LC_ALL=C sort >'" + sortedNames + "'").c_str()), 0);
  const int levels[] = {0, 6, 9};
  for (int run = 0; run < 9; ++run) {  // plain, traditional encryption, AES-256 (AE-2)
    const int protectedBuild = gProject.Checkbox3 = run / 3 > 0;
    const bool aes = run / 3 == 2;
    CopyText(gProject.Encryption, VQ_TEXT_SIZE, aes ? kEncryptionAes256 : "");
    gProject.CompressLevel = levels[run % 3];
    PackedParts parts = Built();
    ASSERT_TRUE(parts.found);
    for (const auto& e : ReadZip(output, protectedBuild ? "pw 1" : nullptr)) {
      EXPECT_TRUE((aes ? e.method == 99 : e.dataOk && e.method == 8) && (e.flag & 1) == (unsigned)protectedBuild)
          << e.name;
      EXPECT_TRUE(aes || e.name.find(".bin") == std::string::npos || e.data == big.substr(0, e.size));
    }
    char packed[2048];
    ASSERT_TRUE(PlatformSystemPath(output.c_str(), packed, sizeof packed));
    const std::string file = std::string(" '") + packed + "'",
                      sorted = std::string(" | LC_ALL=C sort | cmp -s - '") + sortedNames + "'";
    const std::string commands[] = {
        "LC_ALL=C.UTF-8 unzip -l" + file + " 2>/dev/null | sed -n '4,$p' | head -n -2 | cut -c31-" + sorted,
        "7z l -slt -ba" + file + " | sed -n 's/^Path = //p'" + sorted,
        "python3 -c 'import sys, zipfile as z; print(*z.ZipFile(sys.argv[1]).namelist(), sep=\"\\n\")'" + file + sorted,
        // unzip warns about the stub in front (exit code 1) and tests on; version 6 reads no AES.
        aes ? "true" : "unzip -t" + std::string(protectedBuild ? " -P 'pw 1'" : "") + file +
            " 2>&1 | grep -q '^No errors detected in compressed data'",
        "7z t" + std::string(protectedBuild ? " '-ppw 1'" : "") + file + " >/dev/null 2>&1"};
    for (const auto& command : commands) EXPECT_EQ(system(command.c_str()), 0) << command;
  }
}
#endif

}  // namespace
