// vqbuilder.exe under Wine, driven as a user would: the pages, their
// messages, the Variables dialog, the build page, the save question, a saved
// project opened from the command line, and the packed executable it made.
// Screenshots of every window go to the build tree under shots\builder.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <shlobj.h>

#include "guidriver.h"
#include "tests/shell/builder_driver.h"
#include "tests/support/registry_win32.h"
#include "tests/support/support.h"

namespace {

TEST(Builder, WholeWalkFromNewProjectToPackedExecutable) {
  // In the build tree: Wine's folder browser cannot go to a path below the
  // scratch folder (its "vq....tmp.d" name), and a user's folders look so.
  std::string folder = BuildTreePath("tests\\shell\\walk"), source = folder + "\\source", out = folder + "\\out";
  RemoveTree(folder);
  MakeTree(source + "\\", {{"a.txt", "alpha"}, {"tool.exe", std::string(5000, 'b')}, {"sub\\c.txt", "gamma"}});
  MakeTree(out + "\\", {{"demo.exe", "old"}, {"766.ico", std::string(766, 'i')}});
  Builder b;
  ASSERT_TRUE(b.Start("", folder));

  // Page 1: centred on the work area; Help finds no help file.
  RECT work, r = WindowRect(b.page);
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_EQ(r.left, work.left + (work.right - work.left - (r.right - r.left)) / 2);
  EXPECT_EQ(r.top, work.top + (work.bottom - work.top - (r.bottom - r.top)) / 2);
  EXPECT_FALSE(b.Enabled(4003));
  EXPECT_EQ(b.ControlText(4007).rfind("Introduction to Varnoquist:\r\n", 0), 0u);
  Shot(b.page, "page1-intro");
  b.Expect(4008, "File not found!", "Failed to find the Varnoquist help file.", MB_ICONWARNING);
  const WORD escape[] = {VK_ESCAPE}, enter[] = {VK_RETURN};
  ASSERT_TRUE(GuiFocusControl(b.Control(4007)));  // the text: Enter goes to the default button
  ASSERT_TRUE(GuiPressKeys(escape, 1));  // nothing
  Sleep(300);
  ASSERT_TRUE(GuiPressKeys(enter, 1));   // Next is the default button
  ASSERT_EQ(b.Arrive(), 2);

  // Page 2: a blank name is refused; a moved page keeps its place.
  EXPECT_EQ(WindowRect(b.page).left, r.left);
  b.Type(4010, " \t ");
  b.Expect(4002, "No Project name.", "Please select a name for your project.", MB_ICONWARNING);
  b.Type(4010, "");
  ASSERT_TRUE(GuiFocusControl(b.Control(4010)));
  ASSERT_TRUE(GuiTypeKeys("Demo Project"));
  EXPECT_TRUE(GuiWaitText(b.Control(4010), "Demo Project", 2000));
  GuiClickButton(b.page, 4011);  // the open mode: path box and Browse only
  for (int i = 0; i < 40 && b.Enabled(4010); ++i) Sleep(25);
  EXPECT_TRUE(b.Enabled(4012) && b.Enabled(4013) && !b.Enabled(4010));
  GuiClickButton(b.page, 4009);
  for (int i = 0; i < 40 && !b.Enabled(4010); ++i) Sleep(25);
  EXPECT_TRUE(!b.Enabled(4012) && !b.Enabled(4013) && b.Enabled(4010));
  Shot(b.page, "page2-project");
  SetWindowPos(b.page, nullptr, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_EQ(b.Go(4002), 3);
  EXPECT_EQ(WindowRect(b.page).left, 40);
  EXPECT_EQ(WindowRect(b.page).top, 30);

  // Page 3: Back keeps a folder that does not exist; Next refuses it.
  b.Type(4007, folder + "\\nowhere");
  ASSERT_EQ(b.Go(4003), 2);
  EXPECT_EQ(b.ControlText(4010), "Demo Project");
  ASSERT_EQ(b.Go(4002), 3);
  EXPECT_EQ(b.ControlText(4007), folder + "\\nowhere");
  b.Expect(4002, "No source folder.", "Please select a valid source folder.", MB_ICONWARNING);
  GuiClickButton(b.page, 4008);
  HWND browse = GuiWaitWindow("Browse for Folder", GuiMatchExact | GuiMatchDialog, b.app.p.pid, 10000);
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
  ASSERT_EQ(b.Go(4003), 3);
  EXPECT_EQ(b.ControlText(4007), source + "\\");
  ASSERT_EQ(b.Go(4002), 4);
  ASSERT_EQ(b.Go(4002), 5);

  // Page 5: a new project's options; the level label follows the trackbar.
  EXPECT_EQ(b.ControlText(4010), "OFF");
  const char* const kModes[] = {"Overwrite all files.", "Ask before overwrite.", "Skip existing files."};
  char entry[64];
  ASSERT_EQ(GuiComboCount(b.Control(4018)), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(GuiComboText(b.Control(4018), i, entry, sizeof entry));
    EXPECT_STREQ(entry, kModes[i]);
  }
  EXPECT_EQ(b.ControlText(4018), "Overwrite all files.");
  EXPECT_FALSE(b.Enabled(4017));
  GuiClickButton(b.page, 4008);
  for (int i = 0; i < 40 && !b.Enabled(4017); ++i) Sleep(25);
  EXPECT_TRUE(b.Enabled(4017));
  b.Expect(4002, "No Password.", "Please select a password.", MB_ICONWARNING);
  b.Type(4017, "open sesame");
  for (WORD key : {VK_HOME, VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_RIGHT}) GuiPostKey(b.Control(4016), key);
  EXPECT_TRUE(GuiWaitText(b.Control(4010), " 4", 2000));
  GuiPostKey(b.Control(4016), VK_END);
  EXPECT_TRUE(GuiWaitText(b.Control(4010), "BEST", 2000));
  ASSERT_TRUE(GuiSelectComboItem(b.Control(4018), "Ask before overwrite."));
  Shot(b.page, "page5-options");
  ASSERT_EQ(b.Go(4002), 6);

  // Page 6: the defaults, the Variables dialog, every refusal in turn.
  char builderFolder[MAX_PATH];
  GuiBuildTreePath("shell\\", builderFolder, sizeof builderFolder);
  EXPECT_EQ(b.ControlText(4016), "*AppDir*\\SubDirectory");
  EXPECT_EQ(b.ControlText(4017), "");
  EXPECT_EQ(b.ControlText(4018), std::string(builderFolder) + "Output.exe");
  Shot(b.page, "page6-output");
  {
    ScopedRegistryValue noMusic(HKEY_CURRENT_USER, kShellFoldersKey, "My Music", "");
    GuiClickButton(b.page, 4013);
    HWND vars = GuiWaitWindow("Variables", GuiMatchExact | GuiMatchDialog, b.app.p.pid, 10000);
    ASSERT_NE(vars, nullptr);
    HWND list = GuiFindControl(vars, 4002);
    const char* const kRows[] = {"*AppDir*", "*BrowseForFolder*", "*Command*", "*CurDir*", "*Desktop*",
                                 "*Documents*", "*Favorites*", "*Fonts*", "*LocalSettings*", "*MyMusic*",
                                 "*MyPictures*", "*MyVideo*", "*ProgramFiles*", "*QuickLaunch*", "*RootDir*",
                                 "*SendTo*", "*StartMenu*", "*StartUp*", "*SysDir*", "*TempDir*", "*WinDir*"};
    ASSERT_EQ(GuiListViewCount(list), 21);
    char cell[2048];
    for (int row = 0; row < 21; ++row) {
      EXPECT_TRUE(GuiListViewText(list, row, 0, cell, sizeof cell));
      EXPECT_STREQ(cell, kRows[row]);
    }
    GuiListViewText(list, 0, 1, cell, sizeof cell);
    EXPECT_STREQ(cell, builderFolder);
    GuiListViewText(list, 9, 1, cell, sizeof cell);
    EXPECT_STREQ(cell, "Unable to find the path on this system!");
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
  }
  GuiClickButton(b.page, 4013);
  HWND vars = GuiWaitWindow("Variables", GuiMatchExact | GuiMatchDialog, b.app.p.pid, 10000);
  ASSERT_NE(vars, nullptr);
  GuiSelectListViewItem(GuiFindControl(vars, 4002), 19);
  GuiPostKey(GuiFindControl(vars, 4002), VK_RETURN);
  EXPECT_TRUE(GuiWaitWindowGone(vars, 10000));
  EXPECT_EQ(b.ControlText(4016), "*TempDir*");
  b.Type(4016, "*AppDir*\\extracted");
  b.Type(4017, out + "\\766.ico");
  b.Expect(4002, "Invalid icon.", "The icon you selected doesn't exist or isn't 32x32 pixels and 256 colours.",
           MB_ICONWARNING);
  b.Type(4017, "");
  b.Type(4018, out + "\\tool.exe");
  b.Expect(4002, "Duplicate file name.", "Please select a different name for the output executable file.",
           MB_ICONWARNING);
  b.Type(4018, out + "\\demo.setup");
  const char* replace = "The Output executable file already exists.\r\nDo you want to replace it?";
  b.Expect(4002, "File already exists.", replace, MB_ICONWARNING, IDNO);
  EXPECT_EQ(b.ControlText(4018), out + "\\demo.setup");
  GuiClickButton(b.page, 4002);
  b.Expect(0, "File already exists.", replace, MB_ICONWARNING, IDYES);
  ASSERT_EQ(b.Arrive(), 7);

  // Page 7: ready, then built.
  EXPECT_EQ(b.ControlText(4011), "Click the Build button to start building you project.");
  EXPECT_TRUE(b.Visible(4011));
  EXPECT_FALSE(b.Visible(4008));
  EXPECT_FALSE(b.Enabled(4007));
  EXPECT_TRUE(b.Enabled(4002) && b.Enabled(4003));
  Shot(b.page, "page7-ready");
  ASSERT_TRUE(GuiFocusControl(b.Control(4002)));  // where the focus starts
  ASSERT_TRUE(GuiPressKeys(enter, 1));  // Build is the default button
  ASSERT_TRUE(GuiWaitText(b.Control(4011), "Completed Successfully.", 30000));
  EXPECT_TRUE(b.Visible(4011));
  EXPECT_FALSE(b.Visible(4008));
  EXPECT_TRUE(b.Enabled(4007));
  EXPECT_FALSE(b.Enabled(4002) || b.Enabled(4003));
  HWND log = b.Control(4007);
  std::vector<std::string> lines;
  char line[2048];
  for (int i = 0; i < GuiListViewCount(log) && GuiListViewText(log, i, 0, line, sizeof line); ++i)
    lines.push_back(std::to_string(GuiListViewImage(log, i)) + "|" + line);
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[0], "0|Completed Successfully.");
  EXPECT_EQ(lines[1], "2|-----");
  EXPECT_EQ(lines[2], "0|Writing File...");
  EXPECT_EQ(lines[3], "2|-----");
  std::sort(lines.begin() + 4, lines.end());  // the walk's order is the system's
  EXPECT_EQ(lines[4], "0|" + source + "\\a.txt");
  EXPECT_EQ(lines[5], "0|" + source + "\\sub\\c.txt");
  EXPECT_EQ(lines[6], "0|" + source + "\\tool.exe");
  Shot(b.page, "page7-built");

  // Cancel, Yes, a save dialog: the project goes where the user typed.
  GuiClickButton(b.page, 4001);
  HWND save = GuiWaitWindow("Save Project.", GuiMatchExact | GuiMatchDialog, b.app.p.pid, 10000);
  ASSERT_NE(save, nullptr);
  GuiClickButton(save, IDYES);
  HWND dialog = GuiWaitWindow("Select an output directory for your project file.", GuiMatchExact | GuiMatchDialog,
                              b.app.p.pid, 10000);
  ASSERT_NE(dialog, nullptr);
  MakeFolder(folder + "\\my projects");
  std::string project = folder + "\\my projects\\demo.vqx";
  GuiSetText(GuiFindControlOfClass(dialog, 0x47C, "Edit"), (folder + "\\my projects\\demo").c_str());
  GuiClickButtonByText(dialog, "Save");
  DWORD code = 1;
  ASSERT_TRUE(GuiWaitProgram(&b.app.p, 10000, &code));
  EXPECT_EQ(code, 0u);
  ASSERT_TRUE(FileExists(project));

  // The packed executable extracts the three files beside itself.
  ASSERT_TRUE(RunPacked(out + "\\demo.exe", "open sesame"));
  EXPECT_EQ(ReadRawFile(out + "\\extracted\\sub\\c.txt"), "gamma");
  EXPECT_EQ(ReadRawFile(out + "\\extracted\\tool.exe"), std::string(5000, 'b'));

  // vqpack makes the same from the saved project.
  GuiProgram pack;
  std::string line2 = "\"" + BuildTreePath("cli\\vqpack.exe") + "\" \"" + project + "\" --output \"" + out +
                      "\\again\\demo.exe\"";
  ASSERT_TRUE(GuiStartProgram(line2.c_str(), folder.c_str(), &pack.p));
  ASSERT_TRUE(GuiWaitProgram(&pack.p, 30000, &code));
  EXPECT_EQ(code, 0u);
  ASSERT_TRUE(RunPacked(out + "\\again\\demo.exe", "open sesame"));
  for (const char* run : {"\\extracted\\", "\\again\\extracted\\"})
    EXPECT_EQ(ListFolder(out + run) + "|" + ListFolder(out + run + "sub\\"), "a.txt sub tool.exe|c.txt") << run;

  // Opened again from its file (quoted, with a blank in the path): every
  // value on its page, walking forward and back again.
  Builder again;
  ASSERT_TRUE(again.Start("\"" + project + "\"", folder));
  ASSERT_EQ(again.Go(4002), 2);
  EXPECT_EQ(again.ControlText(4010), "Demo Project");
  EXPECT_EQ(again.ControlText(4012), project);
  ASSERT_EQ(again.Go(4002), 3);
  EXPECT_EQ(again.ControlText(4007), source + "\\");
  ASSERT_EQ(again.Go(4002), 4);
  ASSERT_EQ(again.Go(4002), 5);
  EXPECT_EQ(again.ControlText(4010), "BEST");
  EXPECT_EQ(again.ControlText(4017), "open sesame");
  EXPECT_EQ(again.ControlText(4018), "Ask before overwrite.");
  EXPECT_TRUE(again.Enabled(4017));
  ASSERT_EQ(again.Go(4002), 6);
  EXPECT_EQ(again.ControlText(4016), "*AppDir*\\extracted");
  EXPECT_EQ(again.ControlText(4018), out + "\\demo.exe");
  again.Expect(4002, "File already exists.", replace, MB_ICONWARNING, IDYES);
  ASSERT_EQ(again.Arrive(), 7);
  for (int expected = 6; expected >= 1; --expected) ASSERT_EQ(again.Go(4003), expected);
  ASSERT_EQ(again.Go(4002), 2);
  // Cancel, then Cancel in the question: the page stays as it was.
  again.Expect(4001, "Save Project File.", "Would you like to save the changes\r\nyou made to the project file?",
               MB_ICONQUESTION, IDCANCEL);
  again.Type(4010, "Renamed");
  again.Expect(4001, "Save Project File.", "Would you like to save the changes\r\nyou made to the project file?",
               MB_ICONQUESTION, IDNO);
  ASSERT_TRUE(GuiWaitProgram(&again.app.p, 10000, &code));
  EXPECT_EQ(code, 0u);
  EXPECT_NE(ReadRawFile(project).find("ProjectName=Demo Project"), std::string::npos);
}

TEST(Builder, CancelledSaveDialogWritesNothing) {
  std::string folder = ScratchName("unsaved");
  MakeFolder(folder);
  Builder b;
  ASSERT_TRUE(b.Start("", folder));
  b.Expect(4001, "Save Project.", "Would you like to save your project?", MB_ICONQUESTION, IDYES);
  HWND dialog = GuiWaitWindow("Select an output directory for your project file.", GuiMatchExact | GuiMatchDialog,
                              b.app.p.pid, 10000);
  ASSERT_NE(dialog, nullptr);
  Shot(dialog, "save-dialog");
  GuiClickButton(dialog, IDCANCEL);
  DWORD code = 1;
  ASSERT_TRUE(GuiWaitProgram(&b.app.p, 10000, &code));
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(ListFolder(folder + "\\"), "");
}

TEST(Builder, FailedBuildLeavesOnlyCancel) {
  std::string folder = ScratchName("failed"), source = folder + "\\source";
  MakeTree(source + "\\", {{"a.txt", "alpha"}});
  std::string project = folder + "\\broken.vqx";
  // The output's folder is a file: the output cannot be created.
  ASSERT_TRUE(WriteRawFile(project, "[Varnoquist]\r\nVersion=1.2\r\nProjectName=Broken\r\nSourceFolder=" + source +
                                        "\\\r\nExtractionFolder=*AppDir*\r\nOutputFile=" + source +
                                        "\\a.txt\\out.exe\r\nCompressLevel=6\r\n"));
  Builder b;
  ASSERT_TRUE(b.Start(project, folder));
  for (int page = 2; page <= 7; ++page) ASSERT_EQ(b.Go(4002), page);
  GuiClickButton(b.page, 4002);
  HWND failed = GuiWaitWindow("Failed", GuiMatchExact | GuiMatchDialog, b.app.p.pid, 30000);
  ASSERT_NE(failed, nullptr);
  EXPECT_EQ(GetWindow(failed, GW_OWNER), nullptr);
  GuiClickButton(failed, IDOK);
  ASSERT_TRUE(GuiWaitText(b.Control(4011), "Failed!", 10000));
  EXPECT_TRUE(b.Visible(4011));
  EXPECT_FALSE(b.Visible(4008));
  EXPECT_FALSE(b.Enabled(4002) || b.Enabled(4003));
  char line[256];
  HWND log = b.Control(4007);
  ASSERT_TRUE(GuiListViewText(log, 0, 0, line, sizeof line));
  EXPECT_STREQ(line, "Failed.");
  EXPECT_EQ(GuiListViewImage(log, 0), 1);
  ASSERT_TRUE(GuiListViewText(log, 1, 0, line, sizeof line));
  EXPECT_STREQ(line, "-----");
  EXPECT_EQ(GuiListViewImage(log, 1), 2);
  Shot(b.page, "page7-failed");
  b.Expect(4001, "Save Project File.", "Would you like to save the changes\r\nyou made to the project file?",
           MB_ICONQUESTION, IDNO);
  DWORD code = 1;
  ASSERT_TRUE(GuiWaitProgram(&b.app.p, 10000, &code));
  EXPECT_EQ(code, 0u);
}

}  // namespace
