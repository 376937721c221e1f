// vqbuilder.exe under Wine, driven as a user would: the pages' wiring and one
// message each (pages_test has their rules and texts), the Variables dialog,
// the build page, the save questions, a reopened project, the packed
// executables. Screenshots go to the build tree under shots\builder.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <shlobj.h>

#include "guidriver.h"
#include "tests/shell/builder_driver.h"
#include "tests/support/support.h"

namespace {

// The build page's status text and progress bar shown, its log, Build and
// Back enabled, as five digits.
std::string BuildPageState(Builder& b) {
  std::string state;
  for (bool on : {b.Visible(4011), b.Visible(4008), b.Enabled(4007), b.Enabled(4002), b.Enabled(4003)})
    state += on ? "1" : "0";
  return state;
}

TEST(Builder, WholeWalkFromNewProjectToPackedExecutable) {
  // In the build tree: Wine's folder browser cannot go to a path below the
  // scratch folder (its "vq....tmp.d" name), and a user's folders look so.
  std::string folder = BuildTreePath("tests\\shell\\walk"), source = folder + "\\source", out = folder + "\\out";
  RemoveTree(folder);
  MakeTree(source + "\\", {{"a.txt", "alpha"}, {"tool.exe", std::string(5000, 'b')}, {"sub\\c.txt", "gamma"}});
  MakeTree(out + "\\", {{"demo.exe", "old"}});
  // A new project's Cancel, Yes and a cancelled save dialog: nothing is written.
  Builder unsaved;
  ASSERT_TRUE(unsaved.Start("", folder));
  unsaved.Expect(4001, "Save Project.", "Would you like to save your project?", IDYES);
  HWND dialog = unsaved.Open(0, "Select an output directory for your project file.");
  ASSERT_NE(dialog, nullptr);
  Shot(dialog, "save-dialog");
  GuiClickButton(dialog, IDCANCEL);
  ASSERT_TRUE(unsaved.Ended());
  EXPECT_EQ(ListFolder(folder + "\\"), "out source");
  Builder b;
  ASSERT_TRUE(b.Start("", folder));

  // Page 1: centred on the work area; Help finds no help file.
  RECT work, r = WindowRect(b.page);
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_EQ(r.left, work.left + (work.right - work.left - (r.right - r.left)) / 2);
  EXPECT_EQ(r.top, work.top + (work.bottom - work.top - (r.bottom - r.top)) / 2);
  EXPECT_FALSE(b.Enabled(4003));
  EXPECT_EQ(b.ControlText(4007).rfind("Introduction to Varnoquist:\r\n", 0), 0u);
  EXPECT_EQ(b.Focused(), b.Control(4002));  // on Cancel, first in the tab order, Enter would press Cancel
  Shot(b.page, "page1-intro");
  b.Expect(4008, "File not found!", "Failed to find the Varnoquist help file.");
  const WORD escape[] = {VK_ESCAPE}, enter[] = {VK_RETURN};
  SetForegroundWindow(b.page);  // active, the page's focus is where the page put it
  Sleep(300);
  ASSERT_TRUE(GuiPressKeys(escape, 1));  // nothing
  Sleep(300);
  ASSERT_TRUE(GuiPressKeys(enter, 1));  // Next has the focus
  ASSERT_EQ(b.Arrive(), 2);

  // Page 2: a blank name is refused; a moved page keeps its place.
  EXPECT_EQ(WindowRect(b.page).left, r.left);
  b.Type(4010, "");
  b.Expect(4002, "No Project name.", "Please select a name for your project.");
  ASSERT_TRUE(GuiFocusControl(b.Control(4010)));
  ASSERT_TRUE(GuiTypeKeys("Demo Project"));
  EXPECT_TRUE(GuiWaitText(b.Control(4010), "Demo Project", 2000));
  GuiClickButton(b.page, 4011);  // the open mode: path box and Browse only
  for (int i = 0; i < 40 && b.Enabled(4010); ++i) Sleep(25);
  EXPECT_TRUE(!b.Enabled(4010) && b.Enabled(4012) && b.Enabled(4013));
  GuiClickButton(b.page, 4009);
  for (int i = 0; i < 40 && !b.Enabled(4010); ++i) Sleep(25);
  EXPECT_TRUE(b.Enabled(4010) && !b.Enabled(4012) && !b.Enabled(4013));
  Shot(b.page, "page2-project");
  SetWindowPos(b.page, nullptr, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_EQ(b.Go(4002), 3);
  EXPECT_EQ(WindowRect(b.page).left, 40);
  EXPECT_EQ(WindowRect(b.page).top, 30);

  // Page 3: Next refuses a folder that does not exist; Browse fills the box.
  b.Type(4007, folder + "\\nowhere");
  b.Expect(4002, "No source folder.", "Please select a valid source folder.");
  HWND browse = b.Open(4008, "Browse for Folder");
  ASSERT_NE(browse, nullptr);
  EXPECT_EQ(Text(GuiFindControl(browse, 0x3742)),
            "Please select the folder that contain the files you would like to be put into a single executable.");
  // The dialog takes a path only once it is set up: ask until "source" is the selected folder.
  HWND folders = GuiFindControl(browse, 0x3741);
  bool selected = false;
  for (int i = 0; i < 40 && !selected; ++i) {
    GuiSendTextMessage(browse, BFFM_SETSELECTIONA, TRUE, source.c_str(), nullptr);
    Sleep(100);
    std::vector<GuiTreeItem> items(1024);
    int count = GuiReadTreeView(folders, items.data(), 1024);
    for (int k = 0; k < count && k < 1024; ++k)
      selected |= (items[k].state & TVIS_SELECTED) && std::string(items[k].text) == "source";
  }
  ASSERT_TRUE(selected);
  GuiClickButton(browse, IDOK);
  EXPECT_TRUE(GuiWaitText(b.Control(4007), (source + "\\").c_str(), 10000));
  Shot(b.page, "page3-source");
  ASSERT_EQ(b.Go(4002), 4);
  Shot(b.page, "page4-launch");
  ASSERT_EQ(b.Go(4002), 5);

  // Page 5: a new project's options; the level label follows the trackbar.
  EXPECT_EQ(b.ControlText(4010), "OFF");
  EXPECT_EQ(b.Focused(), b.Control(4006));  // no button: Enter does nothing
  const char* const kModes[] = {"Overwrite all files.", "Ask before overwrite.", "Skip existing files."};
  char entry[64];
  ASSERT_EQ(GuiComboCount(b.Control(4018)), 3);
  for (int i = 0; i < 3; ++i)
    EXPECT_TRUE(GuiComboText(b.Control(4018), i, entry, sizeof entry) && entry == std::string(kModes[i])) << entry;
  EXPECT_EQ(b.ControlText(4018), "Overwrite all files.");
  EXPECT_FALSE(b.Enabled(4017));
  GuiClickButton(b.page, 4008);
  for (int i = 0; i < 40 && !b.Enabled(4017); ++i) Sleep(25);
  EXPECT_TRUE(b.Enabled(4017));
  b.Expect(4002, "No Password.", "Please select a password.");
  b.Type(4017, "open sesame");
  GuiPostKey(b.Control(4016), VK_END);
  EXPECT_TRUE(GuiWaitText(b.Control(4010), "BEST", 2000));
  ASSERT_TRUE(GuiSelectComboItem(b.Control(4018), "Ask before overwrite."));
  Shot(b.page, "page5-options");
  ASSERT_EQ(b.Go(4002), 6);

  // Page 6: the defaults, the Variables dialog, an output that replaces a file.
  std::string builderFolder = BuildTreePath("shell\\");
  EXPECT_EQ(b.ControlText(4016), "*AppDir*\\SubDirectory");
  EXPECT_EQ(b.ControlText(4017), "");
  EXPECT_EQ(b.ControlText(4018), builderFolder + "Output.exe");
  EXPECT_EQ(b.Focused(), b.Control(4016));
  Shot(b.page, "page6-output");
  HWND vars = b.Open(4013, "Variables");
  ASSERT_NE(vars, nullptr);
  HWND list = GuiFindControl(vars, 4002);
  EXPECT_EQ(ListViewRows(list, 1),
            (std::vector<std::string>{"*AppDir*", "*BrowseForFolder*", "*Command*", "*CurDir*", "*Desktop*",
                                      "*Documents*", "*Favorites*", "*Fonts*", "*LocalSettings*", "*MyMusic*",
                                      "*MyPictures*", "*MyVideo*", "*ProgramFiles*", "*QuickLaunch*", "*RootDir*",
                                      "*SendTo*", "*StartMenu*", "*StartUp*", "*SysDir*", "*TempDir*", "*WinDir*"}));
  char cell[2048];
  GuiListViewText(list, 0, 1, cell, sizeof cell);
  EXPECT_EQ(cell, builderFolder);  // the builder's own computer
  GuiListViewColumnText(list, 1, cell, sizeof cell);
  EXPECT_STREQ(cell, "Variable path for this computer.");
  Shot(vars, "variables");
  RECT last;
  ASSERT_TRUE(GuiListViewItemRect(list, 20, 0, &last));
  GuiPostClickAt(list, 10, last.bottom + 2, true);  // below the last row: nothing
  GuiPostKey(list, VK_RETURN);                       // no selection: nothing
  Sleep(300);
  EXPECT_TRUE(IsWindow(vars));
  RECT desktop;
  ASSERT_TRUE(GuiListViewItemRect(list, 4, 0, &desktop));
  GuiPostClickAt(list, desktop.left + 4, (desktop.top + desktop.bottom) / 2, true);
  EXPECT_TRUE(GuiWaitWindowGone(vars, 10000));
  EXPECT_EQ(b.ControlText(4016), "*Desktop*");
  vars = b.Open(4013, "Variables");
  ASSERT_NE(vars, nullptr);
  GuiSelectListViewItem(GuiFindControl(vars, 4002), 19);
  GuiPostKey(GuiFindControl(vars, 4002), VK_RETURN);
  EXPECT_TRUE(GuiWaitWindowGone(vars, 10000));
  EXPECT_EQ(b.ControlText(4016), "*TempDir*");
  b.Type(4016, "*AppDir*\\extracted");
  b.Type(4018, out + "\\demo.setup");  // demo.exe, which exists
  b.Expect(4002, "File already exists.", "The Output executable file already exists.\r\nDo you want to replace it?",
           IDYES);
  ASSERT_EQ(b.Arrive(), 7);

  // Page 7: ready, then built: the log from the top.
  EXPECT_EQ(b.ControlText(4011), "Click the Build button to start building you project.");
  EXPECT_EQ(BuildPageState(b), "10011");
  Shot(b.page, "page7-ready");
  ASSERT_TRUE(GuiFocusControl(b.Control(4002)));  // where the focus starts
  ASSERT_TRUE(GuiPressKeys(enter, 1));  // Build is the default button
  ASSERT_TRUE(GuiWaitText(b.Control(4011), "Completed Successfully.", 30000));
  EXPECT_EQ(BuildPageState(b), "10100");
  std::vector<std::string> log = ListViewRows(b.Control(4007), 1, true);
  ASSERT_EQ(log.size(), 7u);
  std::sort(log.begin() + 4, log.end());  // the walk's order is the system's
  EXPECT_EQ(log, (std::vector<std::string>{"0|Completed Successfully.", "2|-----", "0|Writing File...", "2|-----",
                                           "0|" + source + "\\a.txt", "0|" + source + "\\sub\\c.txt",
                                           "0|" + source + "\\tool.exe"}));
  Shot(b.page, "page7-built");

  // Cancel, Yes, a save dialog: the project goes where the user typed.
  b.Expect(4001, "Save Project.", "Would you like to save your project?", IDYES);
  dialog = b.Open(0, "Select an output directory for your project file.");
  ASSERT_NE(dialog, nullptr);
  MakeFolder(folder + "\\my projects");
  std::string project = folder + "\\my projects\\demo.vqx";
  GuiSetText(GuiFindControlOfClass(dialog, 0x47C, "Edit"), (folder + "\\my projects\\demo").c_str());
  GuiClickButtonByText(dialog, "Save");
  ASSERT_TRUE(b.Ended());
  ASSERT_TRUE(FileExists(project));

  // The packed executable extracts the three files; vqpack makes the same
  // from the saved project.
  ASSERT_TRUE(RunPacked(out + "\\demo.exe", "open sesame"));
  ASSERT_TRUE(RunPacked(BuildTreePath("cli\\vqpack.exe"), nullptr,
                        " \"" + project + "\" --output \"" + out + "\\again\\demo.exe\""));
  ASSERT_TRUE(RunPacked(out + "\\again\\demo.exe", "open sesame"));
  for (const char* run : {"\\extracted\\", "\\again\\extracted\\"})
    EXPECT_EQ(ListFolder(out + run) + "|" + ListFolder(out + run + "sub\\"), "a.txt sub tool.exe|c.txt") << run;
  EXPECT_EQ(ReadRawFile(out + "\\again\\extracted\\sub\\c.txt"), "gamma");

  // Opened again from its file (quoted, with a blank in the path): every
  // value on its page.
  Builder again;
  ASSERT_TRUE(again.Start("\"" + project + "\"", folder));
  ASSERT_EQ(again.Go(4002), 2);
  EXPECT_EQ(again.ControlText(4010), "Demo Project");
  EXPECT_EQ(again.ControlText(4012), project);
  ASSERT_EQ(again.Go(4002), 3);
  EXPECT_EQ(again.ControlText(4007), source + "\\");
  for (int page = 4; page <= 5; ++page) ASSERT_EQ(again.Go(4002), page);
  EXPECT_EQ(again.ControlText(4010), "BEST");
  EXPECT_EQ(again.ControlText(4017), "open sesame");
  EXPECT_EQ(again.ControlText(4018), "Ask before overwrite.");
  EXPECT_TRUE(again.Enabled(4017));
  ASSERT_EQ(again.Go(4002), 6);
  EXPECT_EQ(again.ControlText(4016), "*AppDir*\\extracted");
  EXPECT_EQ(again.ControlText(4018), out + "\\demo.exe");
  // An output whose folder is a file, for a failed build; typed texts survive Back.
  again.Type(4018, source + "\\a.txt\\out.exe");
  ASSERT_EQ(again.Go(4002), 7);
  // Cancel, then Cancel in the question, keeps each page; Back goes to the one before.
  for (int expected = 6; expected >= 1; --expected) {
    again.CancelSave(IDCANCEL);
    ASSERT_EQ(again.Go(4003), expected);
  }
  again.CancelSave(IDCANCEL);
  for (int page = 2; page <= 7; ++page) ASSERT_EQ(again.Go(4002), page);
  HWND failed = again.Open(4002, "Failed", 30000);
  ASSERT_NE(failed, nullptr);
  EXPECT_EQ(GetWindow(failed, GW_OWNER), nullptr);
  GuiClickButton(failed, IDOK);
  ASSERT_TRUE(GuiWaitText(again.Control(4011), "Failed!", 10000));
  EXPECT_EQ(BuildPageState(again), "10100");
  log = ListViewRows(again.Control(4007), 1, true);
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log[0], "1|Failed.");
  EXPECT_EQ(log[1], "2|-----");
  Shot(again.page, "page7-failed");
  again.CancelSave(IDNO);
  ASSERT_TRUE(again.Ended());
  EXPECT_NE(ReadRawFile(project).find("OutputFile=" + out + "\\demo.exe\r\n"), std::string::npos);
}

}  // namespace
