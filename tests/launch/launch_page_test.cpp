// The launch page of vqbuilder.exe under Wine: the source tree's boxes, the
// launch list's cell editors, and the list's way through the project file
// into a packed executable that starts its programs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "guidriver.h"
#include "tests/shell/builder_driver.h"
#include "tests/support/support.h"

namespace {

// The tree as "level:text:check" lines, depth first.
std::vector<std::string> TreeLines(HWND tree, std::vector<GuiTreeItem>* items = nullptr) {
  std::vector<GuiTreeItem> read(64);
  int count = GuiReadTreeView(tree, read.data(), 64);
  read.resize(count < 0 ? 0 : count);
  std::vector<std::string> lines;
  for (const GuiTreeItem& i : read)
    lines.push_back(std::to_string(i.level) + ":" + i.text + ":" + std::to_string((i.state & TVIS_STATEIMAGEMASK) >> 12));
  if (items) *items = read;
  return lines;
}

HTREEITEM FindItem(HWND tree, const char* text) {
  std::vector<GuiTreeItem> items;
  TreeLines(tree, &items);
  for (const GuiTreeItem& i : items)
    if (std::string(i.text) == text) return i.handle;
  return nullptr;
}

// Clicks an item's check box (part 0) or expand button (part 1), the way a
// user's click reaches the tree: button, state image, icon, text in a row.
void ClickTreeItem(HWND tree, const char* text, int level, bool button) {
  RECT r = {};
  ASSERT_TRUE(GuiTreeItemRect(tree, FindItem(tree, text), true, &r)) << text;
  DWORD_PTR indent = 19;
  GuiAsk(tree, TVM_GETINDENT, 0, 0, &indent);
  int x = button ? level * (int)indent + (int)indent / 2 : r.left - 16 - 3 - 7;
  GuiPostClickAt(tree, x, (r.top + r.bottom) / 2, false);
  Sleep(200);
}

POINT CellCentre(HWND list, int row, int column) {
  RECT r = {};
  GuiListViewItemRect(list, row, column, &r);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

void DoubleClickCell(HWND list, int row, int column) {
  POINT at = CellCentre(list, row, column);
  GuiPostClickAt(list, at.x, at.y, true);
  Sleep(300);
}

bool Outlined(HWND list, int row, int column) {  // the red outline on the cell's top edge
  RECT r = {};
  COLORREF colour = 0;
  return GuiListViewItemRect(list, row, column, &r) && GuiPixelAt(list, (r.left + r.right) / 2, r.top, &colour) &&
         colour == RGB(255, 0, 0);
}

TEST(LaunchPage, TickEditStoreBuildAndStart) {
  std::string folder = BuildTreePath("tests\\launch\\page"), source = folder + "\\source\\";
  RemoveTree(folder);
  std::string probe = ReadRawFile(BuildTreePath("tests\\extractor\\launch_probe.exe"));
  MakeTree(source, {{"b.exe", probe}, {"a.exe", probe}, {"readme.txt", "r"}, {"tools\\c.exe", probe},
                    {"tools\\deep\\x.txt", "x"}, {"Zeta\\z.txt", "z"}});
  std::string project = folder + "\\launch.vqx";
  ASSERT_TRUE(WriteRawFile(project, "[Varnoquist]\r\nVersion=1.2\r\nProjectName=Launch\r\nSourceFolder=" + source +
                                        "\r\nExtractionFolder=*AppDir*\\out\r\nOutputFile=" + folder +
                                        "\\packed.exe\r\nCompressLevel=6\r\nExecFile0=b.exe\r\nCmdLine0=\r\n"
                                        "WinState0=*minimizewin*\r\n"));
  Builder b;
  ASSERT_TRUE(b.Start("\"" + project + "\"", folder));
  for (int page = 2; page <= 4; ++page) ASSERT_EQ(b.Go(4002), page);
  HWND tree = b.Control(4006), list = b.Control(4008);
  ASSERT_TRUE(tree && list);

  // The root open and sorted, boxes on files only, b.exe ticked from the file.
  EXPECT_EQ(TreeLines(tree), (std::vector<std::string>{"0:" + source + ":0", "1:a.exe:1", "1:b.exe:2",
                                                        "1:readme.txt:1", "1:tools:0", "1:Zeta:0"}));
  EXPECT_EQ(ListViewRows(list, 3), (std::vector<std::string>{"b.exe||*minimizewin*"}));
  ClickTreeItem(tree, "tools", 1, true);
  ClickTreeItem(tree, "c.exe", 2, false);
  ClickTreeItem(tree, "c.exe", 2, false);  // out again
  EXPECT_EQ(GuiListViewCount(list), 1);
  ClickTreeItem(tree, "c.exe", 2, false);
  GuiSelectTreeItem(tree, FindItem(tree, "Zeta"));
  GuiPostKey(tree, VK_SPACE);  // a folder: nothing
  GuiSelectTreeItem(tree, FindItem(tree, "a.exe"));
  GuiPostKey(tree, VK_SPACE);
  Sleep(200);
  EXPECT_EQ(ListViewRows(list, 3), (std::vector<std::string>{"a.exe|*Command*|*ShowWin*",
                                                             "c.exe|*Command*|*ShowWin*", "b.exe||*minimizewin*"}));
  Shot(b.page, "page4-ticked");

  // Back and again: a ticked file of a folder read anew shows its tick.
  ASSERT_EQ(b.Go(4003), 3);
  ASSERT_EQ(b.Go(4002), 4);
  tree = b.Control(4006), list = b.Control(4008);
  ClickTreeItem(tree, "tools", 1, true);
  ClickTreeItem(tree, "tools", 1, true);  // closed and opened: read once
  ClickTreeItem(tree, "tools", 1, true);
  EXPECT_EQ(TreeLines(tree), (std::vector<std::string>{"0:" + source + ":0", "1:a.exe:2", "1:b.exe:2",
                                                        "1:readme.txt:1", "1:tools:0", "2:c.exe:2", "2:deep:0",
                                                        "1:Zeta:0"}));

  // The editors: nothing on a file name; an edit box over the command line,
  // stored in its own cell when another row is clicked.
  DoubleClickCell(list, 0, 0);
  EXPECT_EQ(GuiFindControl(list, 5001), nullptr);
  DoubleClickCell(list, 1, 1);
  HWND edit = GuiFindControl(list, 5001);
  ASSERT_NE(edit, nullptr);
  DWORD_PTR selection = 0;
  GuiAsk(edit, EM_GETSEL, 0, 0, &selection);
  EXPECT_EQ(selection, (DWORD_PTR)MAKELONG(0, 9));  // "*Command*" all selected
  Shot(b.page, "page4-edit");
  GuiSetText(edit, "/S *TempDir*log.txt");
  POINT other = CellCentre(list, 2, 0);
  GuiPostClickAt(list, other.x, other.y, false);
  EXPECT_TRUE(GuiWaitWindowGone(edit, 5000));
  // Arrow keys stop at the first and the last column; Enter opens the cell's editor.
  EXPECT_TRUE(Outlined(list, 2, 0));
  GuiPostKey(list, VK_LEFT);
  EXPECT_TRUE(Outlined(list, 2, 0));
  for (int i = 0; i < 5; ++i) GuiPostKey(list, VK_RIGHT);
  Sleep(300);
  EXPECT_TRUE(Outlined(list, 2, 3));
  GuiPostKey(list, VK_LEFT);
  GuiPostKey(list, VK_RETURN);
  Sleep(300);
  HWND states = GuiFindControl(list, 5002);
  ASSERT_NE(states, nullptr);
  EXPECT_EQ(Text(states), "*MinimizeWin*");  // the cell's keyword in any case
  RECT box;
  GetClientRect(states, &box);
  SetCursorPos(0, 0);  // a pointer resting over the open list would choose for us
  GuiPostClickAt(states, box.right - 6, box.bottom / 2, false);  // its arrow: the list opens
  Sleep(300);
  DWORD_PTR dropped = 0;
  EXPECT_TRUE(GuiAsk(states, CB_GETDROPPEDSTATE, 0, 0, &dropped) && dropped);
  Shot(b.page, "page4-states");
  GuiPostKey(states, VK_ESCAPE);  // closed, the choice unchanged
  GuiNotifyCommand(list, 5002, CBN_SELENDOK);
  EXPECT_TRUE(GuiWaitWindowGone(states, 5000));
  DoubleClickCell(list, 0, 2);
  states = GuiFindControl(list, 5002);
  ASSERT_NE(states, nullptr);
  EXPECT_EQ(Text(states), "*ShowWin*");
  ASSERT_TRUE(GuiSelectComboItem(states, "*HideWin*"));
  GuiNotifyCommand(list, 5002, CBN_SELENDOK);
  EXPECT_TRUE(GuiWaitWindowGone(states, 5000));
  // Scrolling stores an open editor.
  DoubleClickCell(list, 2, 1);
  edit = GuiFindControl(list, 5001);
  ASSERT_NE(edit, nullptr);
  GuiSetText(edit, "scrolled");
  PostMessageA(list, WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_TRUE(GuiWaitWindowGone(edit, 5000));
  // A box ticked while an editor is open puts a row on top: the text stays with its entry.
  DoubleClickCell(list, 2, 1);
  edit = GuiFindControl(list, 5001);
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(Text(edit), "scrolled");
  GuiSetText(edit, "ticked");
  ClickTreeItem(tree, "readme.txt", 1, false);
  EXPECT_TRUE(GuiWaitWindowGone(edit, 5000));
  EXPECT_EQ(ListViewRows(list, 2), (std::vector<std::string>{"readme.txt|*Command*", "a.exe|*Command*",
                                                             "c.exe|/S *TempDir*log.txt", "b.exe|ticked"}));
  ClickTreeItem(tree, "readme.txt", 1, false);  // out again
  const std::vector<std::string> edited = {"a.exe|*Command*|*HideWin*", "c.exe|/S *TempDir*log.txt|*ShowWin*",
                                          "b.exe|ticked|*MinimizeWin*"};
  EXPECT_EQ(ListViewRows(list, 3), edited);

  // The list survives Next, Back, a cancelled Cancel, the save and a reload.
  ASSERT_EQ(b.Go(4002), 5);
  ASSERT_EQ(b.Go(4003), 4);
  b.CancelSave(IDCANCEL);
  EXPECT_EQ(ListViewRows(b.Control(4008), 3), edited);
  for (int page = 5; page <= 7; ++page) ASSERT_EQ(b.Go(4002), page);
  GuiClickButton(b.page, 4002);
  ASSERT_TRUE(GuiWaitText(b.Control(4011), "Completed Successfully.", 30000));
  b.CancelSave(IDYES);
  ASSERT_TRUE(b.Ended());
  Builder again;  // the saved project shows the same list
  ASSERT_TRUE(again.Start("\"" + project + "\"", folder));
  for (int page = 2; page <= 4; ++page) ASSERT_EQ(again.Go(4002), page);
  EXPECT_EQ(ListViewRows(again.Control(4008), 3), edited);
  again.CancelSave(IDNO);

  // The packed executable starts the three, in that order, as edited.
  std::string packed = ReadRawFile(folder + "\\packed.exe");
  size_t first = packed.find("ExecFile0=b.exe"), second = packed.find("ExecFile1=tools\\c.exe"),
         third = packed.find("ExecFile2=a.exe");
  EXPECT_TRUE(first != std::string::npos && first < second && second < third && third != std::string::npos);
  std::string logs = folder + "\\logs";
  MakeFolder(logs);
  SetEnvironmentVariableA("VQ_PROBE_LOG_DIR", logs.c_str());
  ASSERT_TRUE(RunPacked(folder + "\\packed.exe", nullptr));
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  const struct {
    const char* log;
    std::string args, show;
  } started[] = {{"b.exe.log", "ticked", "2"}, {"c.exe.log", std::string("/S ") + temp + "log.txt", "1"},
                 {"a.exe.log", "", "0"}};
  for (const auto& s : started) {
    std::string log;
    for (int i = 0; i < 50 && (log = ReadRawFile(logs + "\\" + s.log)).find("ended") == std::string::npos; ++i)
      Sleep(100);
    EXPECT_NE(log.find("args=" + s.args + "\n"), std::string::npos) << s.log << ": " << log;
    EXPECT_NE(log.find("show=" + s.show + "\n"), std::string::npos) << s.log << ": " << log;
  }
}

}  // namespace
