// Windows only: the build job on its own thread, and the custom icon as the
// system itself reads it from a packed executable.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "build/buildjob.h"
#include "build/buildthread.h"
#include "build/layout.h"
#include "shell/buildlog.h"
#include "shell/paths.h"
#include "tests/build/buildtest.h"

namespace {

DWORD gJobThread = 0;   // the thread that added the first log line
DWORD gPageThread = 0;  // the thread that started the job
void NoteThread(const char*, LogMark) {
  if (gJobThread == 0) gJobThread = GetCurrentThreadId();
}
void NoFailureBox(const char*) {}
const BuildLogSink kThreadSink = {NoteThread, nullptr, nullptr, NoFailureBox};

class Win32BuildTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RestoreStub();
    InitProject(&gProject, &gLaunch);
    source = ScratchName("src") + "\\";
    output = ScratchName("out") + "\\Demo.exe";
    MakeTree(source, {{"setup.exe", "MZ"}, {"docs\\a.txt", std::string(300000, 'a')}});
    CopyText(gProject.ProjectName, VQ_TEXT_SIZE, kTestProject);
    CopyText(gProject.SourceFolder, VQ_TEXT_SIZE, source.c_str());
    CopyText(gProject.OutputFile, VQ_TEXT_SIZE, output.c_str());
    gProject.CompressLevel = 9;
  }
  void TearDown() override {
    ResetBuildLog(nullptr);
    RestoreStub();
  }
  std::string source, output;
};

TEST_F(Win32BuildTest, JobRunsOnItsOwnThreadStartedThroughMsvcrt) {
  gJobThread = 0;
  gPageThread = GetCurrentThreadId();
  ResetBuildLog(&kThreadSink);
  HANDLE thread = (HANDLE)StartBuildJobThread();
  ASSERT_NE(thread, nullptr);
  ASSERT_EQ(WaitForSingleObject(thread, 60000), WAIT_OBJECT_0);
  DWORD code = 1;
  GetExitCodeThread(thread, &code);
  CloseHandle(thread);
  EXPECT_EQ(code, 0u);
  EXPECT_NE(gJobThread, 0u);
  EXPECT_NE(gJobThread, gPageThread);
  EXPECT_STREQ(BuildLogStatus(), "Completed Successfully.");
  EXPECT_EQ(BuildLogLineCount(), 2u + 4u);
  EXPECT_EQ(ReadZip(output).size(), 2u);
}

std::vector<std::string> gFailures;
void KeepFailure(const char* text) { gFailures.push_back(text); }
const BuildLogSink kFailureSink = {nullptr, nullptr, nullptr, KeepFailure};

TEST_F(Win32BuildTest, OutputHeldWithoutWriteSharingFailsAndStays) {
  MakeTree(output.substr(0, output.rfind('\\') + 1), {{"Demo.exe", "earlier build"}});
  HANDLE held = CreateFileA(output.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  gFailures.clear();
  ResetBuildLog(&kFailureSink);
  EXPECT_FALSE(BuildJob());
  CloseHandle(held);
  EXPECT_EQ(gFailures, std::vector<std::string>{"Failed to create the output executable."});
  EXPECT_STREQ(BuildLogStatus(), "Failed!");
  EXPECT_EQ(ReadRawFile(output), "earlier build");
}

// The bytes of a resource of the packed executable, as the loader finds them.
std::string ResourceBytes(HMODULE module, LPCSTR name, LPCSTR type) {
  HRSRC found = FindResourceA(module, name, type);
  if (!found) return "<none>";
  HGLOBAL loaded = LoadResource(module, found);
  const char* data = (const char*)LockResource(loaded);
  return data ? std::string(data, SizeofResource(module, found)) : "<none>";
}

TEST_F(Win32BuildTest, CustomIconIsTheExecutablesIconResource) {
  std::string icon = CustomIcon(99);
  std::string iconPath = ScratchName("icon") + ".ico";
  ASSERT_TRUE(WriteRawFile(iconPath, icon));
  std::string stubGroup;
  for (bool custom : {false, true}) {
    CopyText(gProject.IconFile, VQ_TEXT_SIZE, custom ? iconPath.c_str() : "");
    ResetBuildLog(nullptr);
    ASSERT_TRUE(BuildJob());
    HMODULE module = LoadLibraryExA(output.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr) << GetLastError();
    std::string image = ResourceBytes(module, MAKEINTRESOURCEA(1), (LPCSTR)RT_ICON);
    std::string group = ResourceBytes(module, MAKEINTRESOURCEA(8001), (LPCSTR)RT_GROUP_ICON);
    FreeLibrary(module);
    std::string expected = (custom ? icon : OriginalReference()).substr(22);
    ASSERT_EQ(image.size(), (size_t)VQ_STUB_ICON_IMAGE_SIZE) << custom;
    // The first ten bytes of the bitmap header stay the stub's own.
    EXPECT_EQ(image.substr(0, 10), OriginalReference().substr(22, 10));
    EXPECT_EQ(image.substr(10), expected.substr(10)) << custom;
    // The group, untouched, still names one 32x32 image of 2216 bytes, id 1.
    ASSERT_EQ(group.size(), 6u + 14u);
    EXPECT_EQ(group[6], 32);
    EXPECT_EQ(group[7], 32);
    EXPECT_EQ(*(const DWORD*)(group.data() + 14), (DWORD)VQ_STUB_ICON_IMAGE_SIZE);
    EXPECT_EQ(*(const WORD*)(group.data() + 18), 1);
    if (!custom) stubGroup = group;
    EXPECT_EQ(group, stubGroup);
    RestoreStub();
  }
}

}  // namespace
