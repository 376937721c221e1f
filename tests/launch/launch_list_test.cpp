// The launch list's rules: order, identity, the limit of 64, the rows to and from the project record.
#include "launch/launch_list.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/platform.h"
#include "tests/support/support.h"

namespace {

struct Page {
  std::unique_ptr<LaunchRows> list{new LaunchRows()};
  std::unique_ptr<LaunchList> record{new LaunchList()};
  std::string Files() const {  // rows from the top, by name
    std::string names;
    for (int i = 0; i < list->count; ++i) names += std::string(LaunchFileName(list->rows[i].file)) + " ";
    return names;
  }
};

std::string Folder() {
  static std::string folder = [] {
    std::string f = ScratchName("launch") + "\\";
    MakeTree(f, {{"F1.exe", "1"}, {"F2.exe", "2"}, {"F3.exe", "3"}, {"sub\\F4.exe", "4"}});
    for (int i = 0; i < 65; ++i) WriteRawFile(f + "n" + std::to_string(i), "");
    return f;
  }();
  return folder;
}

// Newest on top of the page, oldest first in the record.
TEST(LaunchList, ToggleRulesAndTheRecord) {
  Page p;
  std::string f = Folder(), upper = f + "F1.EXE";
  for (char& c : upper) c = UpperAscii(c);
  const struct {
    std::string path;
    LaunchToggle result;
    const char* rows;
  } steps[] = {
      {f + "F1.exe", LAUNCH_ADDED, "F1.exe "},
      {f + "F2.exe", LAUNCH_ADDED, "F2.exe F1.exe "},
      {upper, LAUNCH_LEFT_OUT, "F2.exe "},                      // the same file in other case: out
      {f + "sub", LAUNCH_LEFT_OUT, "F2.exe "},                  // a folder: nothing
      {f + "gone.exe", LAUNCH_LEFT_OUT, "F2.exe "},             // missing: nothing
      {f + "F1.exe", LAUNCH_ADDED, "F1.exe F2.exe "},          // back on top
      {f + "F?.exe", LAUNCH_ADDED, "F?.exe F1.exe F2.exe "},   // a pattern that matches counts as existing
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.path);
    EXPECT_EQ(ToggleLaunchFile(p.list.get(), s.path.c_str()), s.result);
    EXPECT_EQ(p.Files(), s.rows);
  }
  EXPECT_STREQ(p.list->rows[0].cmdLine, "*Command*");
  EXPECT_STREQ(p.list->rows[0].winState, "*ShowWin*");
  CopyText(p.list->rows[0].cmdLine, VQ_TEXT_SIZE, "/S *TempDir*log.txt");
  StoreLaunchList(p.list.get(), p.record.get());
  EXPECT_EQ(std::string(p.record->ExecFile[0]), f + "F2.exe");
  EXPECT_EQ(std::string(p.record->ExecFile[2]), f + "F?.exe");
  EXPECT_STREQ(p.record->CmdLine[2], "/S *TempDir*log.txt");
  EXPECT_STREQ(p.record->ExecFile[3], "");
}

TEST(LaunchList, SixtyFourAtMost) {
  Page p;
  std::string f = Folder();
  for (int i = 0; i < 64; ++i)
    ASSERT_EQ(ToggleLaunchFile(p.list.get(), (f + "n" + std::to_string(i)).c_str()), LAUNCH_ADDED);
  LaunchToggle full = ToggleLaunchFile(p.list.get(), (f + "n64").c_str());
  EXPECT_EQ(full, LAUNCH_LIST_FULL);
  EXPECT_EQ(p.list->count, 64);
  RecordedMessageBoxes boxes;
  WarnOfFullLaunchList(LAUNCH_LEFT_OUT);
  WarnOfFullLaunchList(full);
  EXPECT_EQ(boxes.count(), 1);
  EXPECT_EQ(boxes.last(), BoxSeen("Can't add more files.", "The maximum number of 64 files have been reached.",
                                  PLATFORM_MB_OK | PLATFORM_MB_ICONEXCLAMATION, PLATFORM_OWNER_ACTIVE_WINDOW));
  EXPECT_EQ(ToggleLaunchFile(p.list.get(), (f + "n0").c_str()), LAUNCH_LEFT_OUT);  // a listed one still goes out
  EXPECT_EQ(p.list->count, 63);
}

TEST(LaunchList, LoadStopsAtAGapAndDropsWhatIsNoLongerAFile) {
  Page p;
  std::string f = Folder();
  const char* files[] = {"F1.exe", "sub", "gone.exe", "F2.exe", "", "F3.exe"};
  for (int i = 0; i < 6; ++i) {
    CopyText(p.record->ExecFile[i], VQ_TEXT_SIZE, files[i][0] ? (f + files[i]).c_str() : "");
    CopyText(p.record->CmdLine[i], VQ_TEXT_SIZE, i == 3 ? "" : "x");
    CopyText(p.record->WinState[i], VQ_TEXT_SIZE, i == 3 ? "" : "*HideWin*");
  }
  LoadLaunchList(p.list.get(), p.record.get());
  EXPECT_EQ(p.Files(), "F2.exe F1.exe ");
  EXPECT_STREQ(p.list->rows[0].cmdLine, "");  // stored empty stays empty
  EXPECT_STREQ(p.list->rows[0].winState, "");
  EXPECT_STREQ(p.list->rows[1].winState, "*HideWin*");
  for (int i = 0; i < 6; ++i) EXPECT_STREQ(p.record->ExecFile[i], "") << i;
  EXPECT_STREQ(LaunchFileName("no-folder.exe"), "no-folder.exe");
}

}  // namespace
