// vqbuilder.exe under Wine, driven as a user would: the pages' wiring and one
// message each (pages_test has their rules and texts), the launch page's
// source tree and cell editors, the Variables dialog, the build page, the
// save questions, a reopened project, the packed executables and the
// programs they start. Screenshots go to the build tree under shots\builder.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <shlobj.h>

#include "guidriver.h"
#include "tests/support/support.h"

namespace {

const char kBuilderCaption[] = "Varnoquist v1.2";  // every page's caption

// A path of the build tree as the programs under Wine see it.
std::string BuildTreePath(const std::string& relative) {
  char path[MAX_PATH] = "";
  GuiBuildTreePath(relative.c_str(), path, sizeof path);
  return path;
}

// The window as shots\builder\NAME.png in the build tree, once painted.
void Shot(HWND window, const char* name) {
  Sleep(300);
  EXPECT_TRUE(GuiSaveWindowShot(window, BuildTreePath(std::string("shots\\builder\\") + name + ".png").c_str()))
      << name;
}

std::string Text(HWND window) {
  char text[2048] = "";
  GuiReadText(window, text, sizeof text);
  return text;
}

RECT WindowRect(HWND window) {
  RECT r = {};
  GetWindowRect(window, &r);
  return r;
}

// Which page a wizard window is, by a text only that page shows; 0 for none.
int PageNumber(HWND page) {
  const struct {
    int id;
    const char* text;
    int page;
  } kMarks[] = {{4008, "&Help", 1},
                {4009, "Cr&eate new project.", 2},
                {4006, "Please select a source folder.", 3},
                {4013, "&Variables", 6},
                {4007, "Please select the file(s) you want to execute when the packed executable is run.", 4},
                {4007, "&Delete files after the executed files are terminated.", 5},
                {4002, "B&uild", 7}};
  for (const auto& m : kMarks) {
    HWND control = GuiFindControl(page, m.id);
    if (control && Text(control) == m.text) return m.page;
  }
  return 0;
}

struct Builder {
  GuiProgram app;
  HWND page = nullptr;

  // Starts the builder with tail as its command line's tail in folder; true once page 1 shows.
  bool Start(const std::string& tail, const std::string& folder) {
    std::string line = "\"" + BuildTreePath("shell\\vqbuilder.exe") + "\"" + (tail.empty() ? "" : " " + tail);
    if (!GuiStartProgram(line.c_str(), folder.c_str(), &app.p)) return false;
    page = GuiWaitWindow(kBuilderCaption, GuiMatchExact | GuiMatchDialog, app.p.pid, 20000);
    return page && PageNumber(page) == 1;
  }
  HWND Control(int id) { return GuiFindControl(page, id); }
  std::string ControlText(int id) { return Text(Control(id)); }
  void Type(int id, const std::string& text) { EXPECT_TRUE(GuiSetText(Control(id), text.c_str())) << id; }
  bool Enabled(int id) { return IsWindowEnabled(Control(id)) != FALSE; }
  bool Visible(int id) { return IsWindowVisible(Control(id)) != FALSE; }
  // The control that has the builder's focus.
  HWND Focused() {
    GUITHREADINFO input = {};
    input.cbSize = sizeof input;
    GetGUIThreadInfo(GetWindowThreadProcessId(page, nullptr), &input);
    return input.hwndFocus;
  }
  // Clicks a button that leaves the page; returns the number of the next one.
  int Go(int id) {
    GuiClickButton(page, id);
    return Arrive();
  }
  // Waits for the page to give way to the next; returns the next one's number.
  int Arrive() {
    if (!GuiWaitWindowGone(page, 10000)) return 0;
    page = GuiWaitWindow(kBuilderCaption, GuiMatchExact | GuiMatchDialog, app.p.pid, 10000);
    return page ? PageNumber(page) : 0;
  }
  // Clicks button id (0: none) and waits for the builder's dialog caption.
  HWND Open(int id, const char* caption, DWORD timeoutMs = 10000) {
    if (id) GuiClickButton(page, id);
    return GuiWaitWindow(caption, GuiMatchExact | GuiMatchDialog, app.p.pid, timeoutMs);
  }
  // Clicks button id (0: none), expects the box it shows (caption, text) owned by the page, and
  // answers it; after OK and Cancel the page stays.
  void Expect(int id, const char* caption, const char* text, int button = IDOK) {
    SCOPED_TRACE(caption);
    HWND box = Open(id, caption);
    GuiMessageBox read;
    ASSERT_TRUE(GuiReadMessageBox(box, &read));
    EXPECT_EQ(std::string(read.text), text);
    EXPECT_EQ(GetWindow(box, GW_OWNER), page);
    GuiClickButton(box, button);
    EXPECT_TRUE(GuiWaitWindowGone(box, 10000));
    if (button == IDOK || button == IDCANCEL) {
      EXPECT_TRUE(IsWindow(page));
    }
  }
  // Cancel with an opened project: its save question, answered with button.
  void CancelSave(int button) {
    Expect(4001, "Save Project File.", "Would you like to save the changes\r\nyou made to the project file?", button);
  }
  // True once the builder has ended with exit code 0.
  bool Ended() {
    DWORD code = 1;
    return GuiWaitProgram(&app.p, 10000, &code) && code == 0;
  }
};

// Runs a program (its path quoted) with args, typing password when it asks (null: it does not); true
// when it ended with exit code 0.
bool RunPacked(const std::string& exe, const char* password, const std::string& args = "") {
  GuiProgram run;
  DWORD code = 1;
  if (!GuiStartProgram(("\"" + exe + "\"" + args).c_str(), nullptr, &run.p)) return false;
  HWND ask = password ? GuiWaitWindow("Password needed.", GuiMatchExact | GuiMatchDialog, run.p.pid, 20000) : nullptr;
  if (password && (!GuiSetText(GuiFindControl(ask, 8), password) || !GuiClickButtonByText(ask, "&OK")))
    return false;
  return GuiWaitProgram(&run.p, 30000, &code) && code == 0;
}

// A list view's rows from the top, their first `columns` cells joined by "|", each after its image
// index and "|" when images is set.
std::vector<std::string> ListViewRows(HWND list, int columns, bool images = false) {
  std::vector<std::string> rows;
  char cell[2048];
  for (int row = 0; row < GuiListViewCount(list); ++row) {
    std::string line = images ? std::to_string(GuiListViewImage(list, row)) + "|" : "";
    for (int column = 0; column < columns; ++column)
      line += (column ? "|" : "") + std::string(GuiListViewText(list, row, column, cell, sizeof cell) ? cell : "?");
    rows.push_back(line);
  }
  return rows;
}

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

// Double-clicks a cell; returns the editor of its column then open (the drop-down list for column 2,
// else the edit box), or null.
HWND DoubleClickCell(HWND list, int row, int column) {
  POINT at = CellCentre(list, row, column);
  GuiPostClickAt(list, at.x, at.y, true);
  Sleep(300);
  return GuiFindControl(list, column == 2 ? 5002 : 5001);
}

bool Outlined(HWND list, int row, int column) {  // the red outline on the cell's top edge
  RECT r = {};
  COLORREF colour = 0;
  return GuiListViewItemRect(list, row, column, &r) && GuiPixelAt(list, (r.left + r.right) / 2, r.top, &colour) &&
         colour == RGB(255, 0, 0);
}

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
  std::string probe = ReadRawFile(BuildTreePath("tests\\extractor\\launch_probe.exe"));
  MakeTree(source + "\\", {{"b.exe", probe}, {"a.exe", probe}, {"readme.txt", "r"}, {"tools\\c.exe", probe},
                            {"tools\\deep\\x.txt", "x"}, {"Zeta\\z.txt", "z"}});
  MakeTree(out + "\\", {{"demo.exe", "old"}});
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

  // Page 4: the root open and sorted, boxes on files only; ticked in the
  // order b, c, a.
  HWND tree = b.Control(4006), list = b.Control(4008);
  ASSERT_TRUE(tree && list);
  EXPECT_EQ(b.Focused(), tree);  // no button: Enter does nothing
  EXPECT_EQ(TreeLines(tree), (std::vector<std::string>{"0:" + source + "\\:0", "1:a.exe:1", "1:b.exe:1",
                                                        "1:readme.txt:1", "1:tools:0", "1:Zeta:0"}));
  ClickTreeItem(tree, "b.exe", 1, false);
  ClickTreeItem(tree, "tools", 1, true);
  ClickTreeItem(tree, "c.exe", 2, false);
  ClickTreeItem(tree, "c.exe", 2, false);  // out again
  EXPECT_EQ(GuiListViewCount(list), 1);
  ClickTreeItem(tree, "c.exe", 2, false);
  GuiSelectTreeItem(tree, FindItem(tree, "Zeta"));
  GuiPostKey(tree, VK_SPACE);  // a folder: nothing
  // In a list two rows high the third brings the scroll bar; its repaint leaves the focus in the tree.
  HWND panes = GetParent(tree);
  RECT place = WindowRect(panes);
  SetWindowPos(panes, nullptr, 0, 0, place.right - place.left, 90, SWP_NOMOVE | SWP_NOZORDER);
  GuiSelectTreeItem(tree, FindItem(tree, "a.exe"));
  GuiPostKey(tree, VK_SPACE);
  Sleep(200);
  EXPECT_EQ(b.Focused(), tree);
  SetWindowPos(panes, nullptr, 0, 0, place.right - place.left, place.bottom - place.top, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(ListViewRows(list, 3), (std::vector<std::string>{"a.exe|*Command*|*ShowWin*", "c.exe|*Command*|*ShowWin*",
                                                             "b.exe|*Command*|*ShowWin*"}));
  Shot(b.page, "page4-ticked");

  // Back and again: a ticked file of a folder read anew shows its tick.
  ASSERT_EQ(b.Go(4003), 3);
  ASSERT_EQ(b.Go(4002), 4);
  tree = b.Control(4006), list = b.Control(4008);
  ClickTreeItem(tree, "tools", 1, true);
  ClickTreeItem(tree, "tools", 1, true);  // closed and opened: read once
  ClickTreeItem(tree, "tools", 1, true);
  EXPECT_EQ(TreeLines(tree), (std::vector<std::string>{"0:" + source + "\\:0", "1:a.exe:2", "1:b.exe:2",
                                                        "1:readme.txt:1", "1:tools:0", "2:c.exe:2", "2:deep:0",
                                                        "1:Zeta:0"}));

  // The editors: nothing on a file name; an edit box over the command line,
  // stored in its own cell when another row is clicked.
  EXPECT_EQ(DoubleClickCell(list, 0, 0), nullptr);
  HWND edit = DoubleClickCell(list, 1, 1);
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
  EXPECT_EQ(Text(states), "*ShowWin*");
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
  states = DoubleClickCell(list, 0, 2);
  ASSERT_NE(states, nullptr);
  ASSERT_TRUE(GuiSelectComboItem(states, "*HideWin*"));
  GuiNotifyCommand(list, 5002, CBN_SELENDOK);
  EXPECT_TRUE(GuiWaitWindowGone(states, 5000));
  // Scrolling stores an open editor.
  edit = DoubleClickCell(list, 2, 1);
  ASSERT_NE(edit, nullptr);
  GuiSetText(edit, "scrolled");
  PostMessageA(list, WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_TRUE(GuiWaitWindowGone(edit, 5000));
  // A box ticked while an editor is open puts a row on top: the text stays with its entry.
  edit = DoubleClickCell(list, 2, 1);
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(Text(edit), "scrolled");
  GuiSetText(edit, "ticked");
  ClickTreeItem(tree, "readme.txt", 1, false);
  EXPECT_TRUE(GuiWaitWindowGone(edit, 5000));
  EXPECT_EQ(ListViewRows(list, 2), (std::vector<std::string>{"readme.txt|*Command*", "a.exe|*Command*",
                                                             "c.exe|/S *TempDir*log.txt", "b.exe|ticked"}));
  ClickTreeItem(tree, "readme.txt", 1, false);  // out again
  std::vector<std::string> edited = {"a.exe|*Command*|*HideWin*", "c.exe|/S *TempDir*log.txt|*ShowWin*",
                                    "b.exe|ticked|*ShowWin*"};
  EXPECT_EQ(ListViewRows(list, 3), edited);

  // The list survives Next, Back and a cancelled Cancel.
  ASSERT_EQ(b.Go(4002), 5);
  ASSERT_EQ(b.Go(4003), 4);
  b.Expect(4001, "Save Project.", "Would you like to save your project?", IDCANCEL);
  EXPECT_EQ(ListViewRows(b.Control(4008), 3), edited);
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

  // Page 6: the defaults, the Variables dialog, the icon's file dialog, an output that replaces a file.
  std::string builderFolder = BuildTreePath("shell\\");
  EXPECT_EQ(b.ControlText(4016), "*AppDir*\\SubDirectory");
  EXPECT_EQ(b.ControlText(4018), builderFolder + "Output.exe");
  EXPECT_EQ(b.Focused(), b.Control(4016));
  Shot(b.page, "page6-output");
  HWND vars = b.Open(4013, "Variables");
  ASSERT_NE(vars, nullptr);
  EXPECT_EQ(GetWindow(vars, GW_OWNER), b.page);
  GuiClickButton(b.page, 4013);  // modal to the page: no second copy, which would outlive the pick below
  list = GuiFindControl(vars, 4002);
  ASSERT_EQ(ListViewRows(list, 1),
            (std::vector<std::string>{"*AppDir*", "*BrowseForFolder*", "*Command*", "*CurDir*", "*Desktop*",
                                      "*Documents*", "*Favorites*", "*Fonts*", "*LocalSettings*", "*MyMusic*",
                                      "*MyPictures*", "*MyVideo*", "*ProgramFiles*", "*QuickLaunch*", "*RootDir*",
                                      "*SendTo*", "*StartMenu*", "*StartUp*", "*SysDir*", "*TempDir*", "*WinDir*"}));
  EXPECT_EQ(ListViewRows(list, 2)[0], "*AppDir*|" + builderFolder);  // the builder's own computer
  Shot(vars, "variables");
  RECT last;
  ASSERT_TRUE(GuiListViewItemRect(list, 20, 0, &last));
  GuiPostClickAt(list, 10, last.bottom + 2, true);  // below the last row: nothing
  GuiPostKey(list, VK_RETURN);                       // no selection: nothing
  Sleep(300);
  EXPECT_TRUE(IsWindow(vars));
  DoubleClickCell(list, 4, 0);  // *Desktop*
  EXPECT_TRUE(GuiWaitWindowGone(vars, 10000));
  EXPECT_EQ(b.ControlText(4016), "*Desktop*");
  vars = b.Open(4013, "Variables");
  ASSERT_NE(vars, nullptr);
  GuiSelectListViewItem(GuiFindControl(vars, 4002), 19);
  GuiPostKey(GuiFindControl(vars, 4002), VK_RETURN);
  EXPECT_TRUE(GuiWaitWindowGone(vars, 10000));
  EXPECT_EQ(b.ControlText(4016), "*TempDir*");
  // The icon's Browse: a file dialog centred on the desktop; cancelled, the (empty) box keeps its text.
  HWND icons = b.Open(4014, "Select an icon file.");
  ASSERT_NE(icons, nullptr);
  RECT screen = WindowRect(GetDesktopWindow()), at = WindowRect(icons);
  EXPECT_EQ(at.left, (screen.right - (at.right - at.left)) / 2);
  EXPECT_EQ(at.top, (screen.bottom - (at.bottom - at.top)) / 2);
  EXPECT_TRUE(GetWindowLongA(icons, GWL_STYLE) & WS_THICKFRAME);  // sizable: the system's style, not the old one
  Shot(icons, "icon-dialog");
  GuiClickButton(icons, IDCANCEL);
  EXPECT_TRUE(GuiWaitWindowGone(icons, 10000));
  EXPECT_EQ(b.ControlText(4017), "");
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
  ASSERT_EQ(log.size(), 10u);
  std::sort(log.begin() + 4, log.end());  // the walk's order is the system's
  std::vector<std::string> expected = {"0|Completed Successfully.", "2|-----", "0|Writing File...", "2|-----"};
  for (const char* file : {"Zeta\\z.txt", "a.exe", "b.exe", "readme.txt", "tools\\c.exe", "tools\\deep\\x.txt"})
    expected.push_back("0|" + source + "\\" + file);
  EXPECT_EQ(log, expected);
  Shot(b.page, "page7-built");

  // Cancel, Yes, a save dialog: the project goes where the user typed.
  b.Expect(4001, "Save Project.", "Would you like to save your project?", IDYES);
  HWND dialog = b.Open(0, "Select an output directory for your project file.");
  ASSERT_NE(dialog, nullptr);
  Shot(dialog, "save-dialog");
  MakeFolder(folder + "\\my projects");
  std::string project = folder + "\\my projects\\demo.vqx";
  GuiSetText(GuiFindControl(dialog, 0x47C), (folder + "\\my projects\\demo").c_str());
  GuiClickButtonByText(dialog, "Save");
  ASSERT_TRUE(b.Ended());
  ASSERT_TRUE(FileExists(project));

  // The packed executable extracts the files and starts the three, in that
  // order, as edited; vqpack makes the same from the saved project.
  std::string packed = ReadRawFile(out + "\\demo.exe");
  size_t first = packed.find("ExecFile0=b.exe"), second = packed.find("ExecFile1=tools\\c.exe"),
         third = packed.find("ExecFile2=a.exe");
  EXPECT_TRUE(first != std::string::npos && first < second && second < third && third != std::string::npos);
  std::string logs = folder + "\\logs";
  MakeFolder(logs);
  SetEnvironmentVariableA("VQ_PROBE_LOG_DIR", logs.c_str());
  ASSERT_TRUE(RunPacked(out + "\\demo.exe", "open sesame"));
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  const struct {
    const char* log;
    std::string args, show;
  } started[] = {{"b.exe.log", "ticked", "1"}, {"c.exe.log", std::string("/S ") + temp + "log.txt", "1"},
                 {"a.exe.log", "", "0"}};
  for (const auto& s : started) {
    std::string log;
    for (int i = 0; i < 50 && (log = ReadRawFile(logs + "\\" + s.log)).find("ended") == std::string::npos; ++i)
      Sleep(100);
    EXPECT_NE(log.find("args=" + s.args + "\n"), std::string::npos) << s.log << ": " << log;
    EXPECT_NE(log.find("show=" + s.show + "\n"), std::string::npos) << s.log << ": " << log;
  }
  ASSERT_TRUE(RunPacked(BuildTreePath("cli\\vqpack.exe"), nullptr,
                        " \"" + project + "\" --output \"" + out + "\\again\\demo.exe\""));
  ASSERT_TRUE(RunPacked(out + "\\again\\demo.exe", "open sesame"));
  for (const char* run : {"\\extracted\\", "\\again\\extracted\\"})
    EXPECT_EQ(ListFolder(out + run) + "|" + ListFolder(out + run + "tools\\"), "Zeta a.exe b.exe readme.txt tools|c.exe deep")
        << run;
  EXPECT_EQ(ReadRawFile(out + "\\again\\extracted\\tools\\deep\\x.txt"), "x");

  // Opened again from its file (quoted, with a blank in the path), b.exe's
  // window state in lower case as a hand-made file may have it: every value
  // on its page.
  std::string saved = ReadRawFile(project);
  size_t state = saved.find("WinState0=*ShowWin*");  // b.exe, the first ticked
  ASSERT_NE(state, std::string::npos);
  ASSERT_TRUE(WriteRawFile(project, saved.replace(state + 10, 9, "*minimizewin*")));
  Builder again;
  ASSERT_TRUE(again.Start("\"" + project + "\"", folder));
  ASSERT_EQ(again.Go(4002), 2);
  EXPECT_EQ(again.ControlText(4010), "Demo Project");
  EXPECT_EQ(again.ControlText(4012), project);
  ASSERT_EQ(again.Go(4002), 3);
  EXPECT_EQ(again.ControlText(4007), source + "\\");
  ASSERT_EQ(again.Go(4002), 4);
  EXPECT_EQ(TreeLines(again.Control(4006)), (std::vector<std::string>{"0:" + source + "\\:0", "1:a.exe:2", "1:b.exe:2",
                                                                     "1:readme.txt:1", "1:tools:0", "1:Zeta:0"}));
  list = again.Control(4008);
  edited.back() = "b.exe|ticked|*minimizewin*";
  EXPECT_EQ(ListViewRows(list, 3), edited);
  states = DoubleClickCell(list, 2, 2);
  ASSERT_NE(states, nullptr);
  EXPECT_EQ(Text(states), "*MinimizeWin*");  // the cell's keyword in any case
  ASSERT_EQ(again.Go(4002), 5);
  EXPECT_EQ(again.ControlText(4010), "BEST");
  EXPECT_EQ(again.ControlText(4017), "open sesame");
  EXPECT_EQ(again.ControlText(4018), "Ask before overwrite.");
  EXPECT_TRUE(again.Enabled(4017));
  ASSERT_EQ(again.Go(4002), 6);
  EXPECT_EQ(again.ControlText(4016), "*AppDir*\\extracted");
  EXPECT_EQ(again.ControlText(4018), out + "\\demo.exe");
  // An output whose folder is a file, for a failed build; typed texts survive Back.
  again.Type(4018, source + "\\readme.txt\\out.exe");
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

  // Opened through the file dialog, which leaves the current folder alone: the source folder
  // typed relative to it is the walk's. A Cancel during the build of a large folder (four
  // letters take level 9 seconds) leaves the earlier output byte for byte and nothing behind.
  std::string big;
  for (uint32_t s = 1; big.size() < (16u << 20); s = s * 1103515245u + 12345u) big.push_back("abcd"[s >> 30]);
  MakeTree(source + "\\", {{"big.txt", big}});
  Builder cut;
  ASSERT_TRUE(cut.Start("", folder));
  ASSERT_EQ(cut.Go(4002), 2);
  GuiClickButton(cut.page, 4011);
  dialog = cut.Open(4013, "Open a project file.");
  ASSERT_NE(dialog, nullptr);
  for (const std::string& typed : {folder + "\\my projects", std::string("demo.vqx")}) {  // into the folder, then the file
    GuiSetText(GuiFindControl(dialog, 0x47C), typed.c_str());
    GuiClickButtonByText(dialog, "Open");
    Sleep(500);
  }
  ASSERT_TRUE(GuiWaitText(cut.Control(4012), project.c_str(), 10000));
  ASSERT_EQ(cut.Go(4002), 3);
  cut.Type(4007, "source");
  for (int page = 4; page <= 6; ++page) ASSERT_EQ(cut.Go(4002), page);
  cut.Expect(4002, "File already exists.", "The Output executable file already exists.\r\nDo you want to replace it?",
             IDYES);
  ASSERT_EQ(cut.Arrive(), 7);
  const std::string earlier = ReadRawFile(out + "\\demo.exe"), left = ListFolder(temp) + "|" + ListFolder(out + "\\");
  GuiClickButton(cut.page, 4002);
  Sleep(1500);
  EXPECT_EQ(BuildPageState(cut), "01100");  // still building
  cut.CancelSave(IDNO);
  ASSERT_TRUE(cut.Ended());
  EXPECT_EQ(ReadRawFile(out + "\\demo.exe"), earlier);
  EXPECT_EQ(ListFolder(temp) + "|" + ListFolder(out + "\\"), left);
}

}  // namespace
