// vqbuilder.exe under Wine, driven as a user would: the pages' wiring and one message each (pages_test
// has their rules and texts), the launch page's source tree and cell editors, the Variables dialog,
// the build page, the save questions, a reopened project (7-Zip tests the packed executable, and
// buildjob_test its contents). Screenshots go to the build tree under shots\builder.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <shlobj.h>

#include "guidriver.h"
#include "tests/support/support.h"

namespace {

typedef std::vector<std::string> Lines;
const char kBuilderCaption[] = "Varnoquist v1.2";  // every page's caption

// The window as shots\builder\NAME.png in the build tree, once painted.
void Shot(HWND window, const char* name) {
  Sleep(300);
  EXPECT_TRUE(GuiSaveWindowShot(window, GuiBuildTreePath(std::string("shots\\builder\\") + name + ".png"))) << name;
}

RECT WindowRect(HWND window) {
  RECT r = {};
  GetWindowRect(window, &r);
  return r;
}

// Which page a wizard window is, by a text only that page shows; 0 for none.
int PageNumber(HWND page) {
  const struct { int id; const char* text; int page; } kMarks[] = {
      {4008, "&Help", 1}, {4009, "Cr&eate new project.", 2}, {4006, "Please select a source folder.", 3},
      {4013, "&Variables", 6},
      {4007, "Please select the file(s) you want to execute when the packed executable is run.", 4},
      {4007, "&Delete files after the executed files are terminated.", 5}, {4002, "B&uild", 7}};
  for (const auto& m : kMarks)
    if (GuiReadText(GuiFindControl(page, m.id)) == m.text) return m.page;
  return 0;
}

struct Builder {
  GuiProgram app;
  HWND page = nullptr;

  // Starts the builder with tail as its command line's tail in folder; true once page 1 shows.
  bool Start(const std::string& tail, const std::string& folder) {
    if (!app.Start("\"" + GuiBuildTreePath("shell\\vqbuilder.exe") + "\" " + tail, folder.c_str())) return false;
    page = GuiFindWindow(kBuilderCaption, false, app.pid, 20000);
    return page && PageNumber(page) == 1;
  }
  HWND Control(int id) { return GuiFindControl(page, id); }
  std::string Text(int id) { return GuiReadText(Control(id)); }
  void Type(int id, const std::string& text) { EXPECT_TRUE(GuiSetText(Control(id), text)) << id; }
  bool Enabled(int id) { return IsWindowEnabled(Control(id)) != FALSE; }
  // Clicks a button and waits up to a second for control id to be enabled (or not).
  bool ClickUntil(int button, int id, bool enabled) {
    GuiClickButton(page, button);
    for (int i = 0; i < 40 && Enabled(id) != enabled; ++i) Sleep(25);
    return Enabled(id) == enabled;
  }
  // The control that has the builder's focus.
  HWND Focused() {
    GUITHREADINFO input = {};
    input.cbSize = sizeof input;
    GetGUIThreadInfo(GetWindowThreadProcessId(page, nullptr), &input);
    return input.hwndFocus;
  }
  // Clicks button id (0: none) and waits for the page to give way to the next; returns the next one's number.
  int Go(int id) {
    if (id) GuiClickButton(page, id);
    if (!GuiWaitWindowGone(page, 10000)) return 0;
    page = GuiFindWindow(kBuilderCaption, false, app.pid, 10000);
    return page ? PageNumber(page) : 0;
  }
  // Clicks button id (0: none) and waits for the builder's dialog caption.
  HWND Open(int id, const char* caption, DWORD timeoutMs = 10000) {
    if (id) GuiClickButton(page, id);
    HWND dialog = GuiFindWindow(caption, false, app.pid, timeoutMs);
    EXPECT_NE(dialog, nullptr) << caption;
    return dialog;
  }
  // Clicks button id (0: none), expects the box it shows owned by the page (with text, when given:
  // the texts are pages_test's), and answers it; after OK and Cancel the page stays.
  void Expect(int id, const char* caption, int button = IDOK, const char* text = nullptr) {
    SCOPED_TRACE(caption);
    HWND box = Open(id, caption);
    GuiMessageBox read;
    ASSERT_TRUE(GuiReadMessageBox(box, &read));
    EXPECT_TRUE(!text || read.text == text) << read.text;
    EXPECT_EQ(GetWindow(box, GW_OWNER), page);
    GuiClickButton(box, button);
    EXPECT_TRUE(GuiWaitWindowGone(box, 10000));
    EXPECT_TRUE(button == IDYES || button == IDNO || IsWindow(page));
  }
  // True once the builder has ended with exit code 0.
  bool Ended() {
    DWORD code = 1;
    return app.Wait(10000, &code) && code == 0;
  }
  // The build page's status text and progress bar shown, its log, Build and Back enabled, as five digits.
  std::string BuildPageState() {
    std::string state;
    for (bool on : {IsWindowVisible(Control(4011)) != FALSE, IsWindowVisible(Control(4008)) != FALSE,
                    Enabled(4007), Enabled(4002), Enabled(4003)})
      state += on ? "1" : "0";
    return state;
  }
};

// The tree as "level:text:check" lines, depth first.
Lines TreeLines(HWND tree) {
  Lines lines;
  for (const GuiTreeItem& i : GuiReadTreeView(tree))
    lines.push_back(std::to_string(i.level) + ":" + i.text + ":" +
                    std::to_string((i.state & TVIS_STATEIMAGEMASK) >> 12));
  return lines;
}

enum TreePart { kBox, kButton, kLabel };
// Clicks an item's check box, expand button or label, the way a user's click reaches the tree:
// button, state image, icon, text in a row.
void ClickTreeItem(HWND tree, const char* text, int level, TreePart part = kBox) {
  RECT r = {};
  bool shown = false;
  for (const GuiTreeItem& i : GuiReadTreeView(tree))
    if (i.text == text) shown = GuiTreeItemRect(tree, i.handle, true, &r);
  ASSERT_TRUE(shown) << text;
  DWORD_PTR indent = 19;
  GuiAsk(tree, TVM_GETINDENT, 0, 0, &indent);
  int x = part == kButton ? level * (int)indent + (int)indent / 2 : part == kLabel ? r.left + 2 : r.left - 16 - 3 - 7;
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

// The red outline on the cell's top edge, within 2 s: a posted key or click repaints the list later.
bool Outlined(HWND list, int row, int column) {
  for (DWORD start = GetTickCount(); GetTickCount() - start < 2000; Sleep(50)) {
    RECT r = {};
    COLORREF colour = 0;
    if (GuiListViewItemRect(list, row, column, &r) && GuiPixelAt(list, (r.left + r.right) / 2, r.top, &colour) &&
        colour == RGB(255, 0, 0))
      return true;
  }
  return false;
}

// Chooses state in a window-state drop-down list and waits for it to close.
void ChooseState(HWND list, HWND states, const char* state) {
  ASSERT_NE(states, nullptr);
  EXPECT_TRUE(!state || GuiSelectComboItem(states, state));
  GuiNotifyCommand(list, 5002, CBN_SELENDOK);
  EXPECT_TRUE(GuiWaitWindowGone(states, 5000));
}

TEST(Builder, WholeWalkFromNewProjectToPackedExecutable) {
  // In the build tree: Wine's folder browser cannot go to a path below the
  // scratch folder (its "vq....tmp.d" name), and a user's folders look so.
  std::string folder = GuiBuildTreePath("tests\\shell\\walk"), source = folder + "\\source", out = folder + "\\out";
  RemoveTree(folder);
  MakeTree(source + "\\", {{"b.exe", "MZ"}, {"a.exe", "MZ"}, {"readme.txt", "r"}, {"tools\\c.exe", "MZ"},
                            {"tools\\deep\\x.txt", "x"}, {"Zeta\\z.txt", "z"}});
  MakeTree(out + "\\", {{"demo.exe", "old"}});
  Builder b;
  ASSERT_TRUE(b.Start("", folder));

  // Page 1: centred on the work area, Next has the focus (first in the tab order, Cancel would);
  // Help finds no help file, Escape does nothing, Enter goes on.
  RECT work, r = WindowRect(b.page);
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_EQ(r.left, work.left + (work.right - work.left - (r.right - r.left)) / 2);
  EXPECT_EQ(r.top, work.top + (work.bottom - work.top - (r.bottom - r.top)) / 2);
  EXPECT_FALSE(b.Enabled(4003));
  EXPECT_EQ(b.Text(4007).rfind("Introduction to Varnoquist:\r\n", 0), 0u);
  SetForegroundWindow(b.page);  // active, the page's focus is where the page put it
  Sleep(300);
  EXPECT_EQ(b.Focused(), b.Control(4002));
  Shot(b.page, "page1-intro");
  b.Expect(4008, "File not found!", IDOK, "Failed to find the Varnoquist help file.");
  for (WORD key : {VK_ESCAPE, VK_RETURN}) GuiPostKey(b.Focused(), key);
  ASSERT_EQ(b.Go(0), 2);

  // Page 2: a blank name is refused; the open mode has the path box and Browse only; a moved page
  // keeps its place.
  b.Type(4010, "");
  b.Expect(4002, "No Project name.");
  b.Type(4010, "Demo Project");
  GuiPostKey(b.Control(4010), VK_END);  // the caret behind the name, as typed
  EXPECT_TRUE(b.ClickUntil(4011, 4010, false) && b.Enabled(4012) && b.Enabled(4013));
  EXPECT_TRUE(b.ClickUntil(4009, 4010, true) && !b.Enabled(4012) && !b.Enabled(4013));
  Shot(b.page, "page2-project");
  SetWindowPos(b.page, nullptr, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_EQ(b.Go(4002), 3);
  EXPECT_EQ(WindowRect(b.page).left, 40);
  EXPECT_EQ(WindowRect(b.page).top, 30);

  // Page 3: Next refuses a folder that does not exist; Browse fills the box.
  b.Type(4007, folder + "\\nowhere");
  b.Expect(4002, "No source folder.");
  HWND browse = b.Open(4008, "Browse for Folder");
  EXPECT_EQ(GuiReadText(GuiFindControl(browse, 0x3742)),
            "Please select the folder that contain the files you would like to be put into a single executable.");
  // The dialog takes a path only once it is set up: ask until "source" is the selected folder.
  bool selected = false;
  for (int i = 0; i < 40 && !selected; ++i) {
    GuiSendTextMessage(browse, BFFM_SETSELECTIONA, TRUE, source.c_str(), nullptr);
    Sleep(100);
    for (const GuiTreeItem& item : GuiReadTreeView(GuiFindControl(browse, 0x3741)))
      selected |= (item.state & TVIS_SELECTED) && item.text == "source";
  }
  ASSERT_TRUE(selected);
  GuiClickButton(browse, IDOK);
  EXPECT_TRUE(GuiWaitText(b.Control(4007), source + "\\", 10000));
  Shot(b.page, "page3-source");
  ASSERT_EQ(b.Go(4002), 4);

  // Page 4: ticked in the order b, c, a (the tree as first read: the reopened project's).
  HWND tree = b.Control(4006), list = b.Control(4008);
  ASSERT_TRUE(tree && list);
  EXPECT_EQ(b.Focused(), tree);  // no button: Enter does nothing
  ClickTreeItem(tree, "b.exe", 1);
  ClickTreeItem(tree, "tools", 1, kButton);
  ClickTreeItem(tree, "c.exe", 2);
  ClickTreeItem(tree, "Zeta", 1, kLabel);  // selected, not ticked
  GuiPostKey(tree, VK_SPACE);  // a folder: nothing
  // In a list two rows high the third brings the scroll bar; its repaint leaves the focus in the tree.
  HWND panes = GetParent(tree);
  RECT place = WindowRect(panes);
  SetWindowPos(panes, nullptr, 0, 0, place.right - place.left, 90, SWP_NOMOVE | SWP_NOZORDER);
  ClickTreeItem(tree, "a.exe", 1, kLabel);
  GuiPostKey(tree, VK_SPACE);
  Sleep(200);
  EXPECT_EQ(b.Focused(), tree);
  SetWindowPos(panes, nullptr, 0, 0, place.right - place.left, place.bottom - place.top, SWP_NOMOVE | SWP_NOZORDER);
  Shot(b.page, "page4-ticked");

  // Back and again: a ticked file of a folder read anew shows its tick.
  ASSERT_EQ(b.Go(4003), 3);
  ASSERT_EQ(b.Go(4002), 4);
  tree = b.Control(4006), list = b.Control(4008);
  for (int i = 0; i < 3; ++i) ClickTreeItem(tree, "tools", 1, kButton);  // opened, closed, opened: read once
  EXPECT_EQ(TreeLines(tree), (Lines{"0:" + source + "\\:0", "1:a.exe:2", "1:b.exe:2", "1:readme.txt:1", "1:tools:0",
                                    "2:c.exe:2", "2:deep:0", "1:Zeta:0"}));

  // The editors: nothing on a file name; an edit box over the command line, all selected, stored in
  // its own cell when another row is clicked.
  EXPECT_EQ(DoubleClickCell(list, 0, 0), nullptr);
  HWND edit = DoubleClickCell(list, 1, 1);
  ASSERT_NE(edit, nullptr);
  DWORD_PTR selection = 0;
  GuiAsk(edit, EM_GETSEL, 0, 0, &selection);
  EXPECT_EQ(selection, (DWORD_PTR)MAKELONG(0, 9));
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
  for (WORD key : {VK_LEFT, VK_RETURN}) GuiPostKey(list, key);
  Sleep(300);
  HWND states = GuiFindControl(list, 5002);
  ASSERT_NE(states, nullptr);
  EXPECT_EQ(GuiReadText(states), "*ShowWin*");
  RECT box;
  GetClientRect(states, &box);
  SetCursorPos(0, 0);  // a pointer resting over the open list would choose for us
  GuiPostClickAt(states, box.right - 6, box.bottom / 2, false);  // its arrow: the list opens
  Sleep(300);
  DWORD_PTR dropped = 0;
  EXPECT_TRUE(GuiAsk(states, CB_GETDROPPEDSTATE, 0, 0, &dropped) && dropped);
  Shot(b.page, "page4-states");
  ChooseState(list, states, nullptr);  // the choice unchanged
  ChooseState(list, DoubleClickCell(list, 0, 2), "*HideWin*");
  // Scrolling stores an open editor.
  edit = DoubleClickCell(list, 2, 1);
  ASSERT_NE(edit, nullptr);
  GuiSetText(edit, "scrolled");
  PostMessageA(list, WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_TRUE(GuiWaitWindowGone(edit, 5000));
  // A box ticked while an editor is open puts a row on top: the text stays with its entry.
  edit = DoubleClickCell(list, 2, 1);
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(GuiReadText(edit), "scrolled");
  GuiSetText(edit, "ticked");
  ClickTreeItem(tree, "readme.txt", 1);
  EXPECT_TRUE(GuiWaitWindowGone(edit, 5000));
  EXPECT_EQ(GuiListViewRows(list, 2),
            (Lines{"readme.txt|*Command*", "a.exe|*Command*", "c.exe|/S *TempDir*log.txt", "b.exe|ticked"}));
  ClickTreeItem(tree, "readme.txt", 1);  // out again
  // A cancelled Cancel keeps the page and its list.
  b.Expect(4001, "Save Project.", IDCANCEL);
  Lines edited = {"a.exe|*Command*|*HideWin*", "c.exe|/S *TempDir*log.txt|*ShowWin*", "b.exe|ticked|*ShowWin*"};
  EXPECT_EQ(GuiListViewRows(list, 3), edited);
  ASSERT_EQ(b.Go(4002), 5);

  // Page 5: the password box follows its check box, the level label the trackbar.
  EXPECT_EQ(b.Focused(), b.Control(4006));  // no button: Enter does nothing
  EXPECT_FALSE(b.Enabled(4017) || b.Enabled(4019));
  EXPECT_TRUE(b.ClickUntil(4008, 4017, true) && b.Enabled(4019));
  GuiClickButton(b.page, 4019);  // AES-256
  b.Expect(4002, "No Password.");
  b.Type(4017, "open sesame");
  GuiPostKey(b.Control(4016), VK_END);
  EXPECT_TRUE(GuiWaitText(b.Control(4010), "BEST", 2000));
  ASSERT_TRUE(GuiSelectComboItem(b.Control(4018), "Ask before overwrite."));
  Shot(b.page, "page5-options");
  ASSERT_EQ(b.Go(4002), 6);

  // Page 6: the defaults, the Variables dialog (modal to the page: a second click opens no second
  // copy, which would outlive the pick), the icon's file dialog, an output that replaces a file.
  std::string builderFolder = GuiBuildTreePath("shell\\");
  EXPECT_EQ(b.Text(4018), builderFolder + "Output.exe");
  EXPECT_EQ(b.Focused(), b.Control(4016));
  Shot(b.page, "page6-output");
  HWND vars = b.Open(4013, "Variables");
  EXPECT_EQ(GetWindow(vars, GW_OWNER), b.page);
  GuiClickButton(b.page, 4013);
  list = GuiFindControl(vars, 4002);
  ASSERT_EQ(GuiListViewRows(list, 1).size(), 21u);  // the table's variables in its order: see the picks
  EXPECT_EQ(GuiListViewRows(list, 2)[0], "*AppDir*|" + builderFolder);  // the builder's own computer
  Shot(vars, "variables");
  RECT last;
  ASSERT_TRUE(GuiListViewItemRect(list, 20, 0, &last));
  GuiPostClickAt(list, 10, last.bottom + 2, true);  // below the last row: nothing
  GuiPostKey(list, VK_RETURN);                       // no selection: nothing
  Sleep(300);
  EXPECT_TRUE(IsWindow(vars));
  DoubleClickCell(list, 4, 0);  // *Desktop*
  EXPECT_TRUE(GuiWaitWindowGone(vars, 10000));
  EXPECT_EQ(b.Text(4016), "*Desktop*");
  vars = b.Open(4013, "Variables");
  list = GuiFindControl(vars, 4002);
  for (WORD key : {VK_END, VK_UP, VK_RETURN}) GuiPostKey(list, key);  // *TempDir*, last but one
  EXPECT_TRUE(GuiWaitWindowGone(vars, 10000));
  EXPECT_EQ(b.Text(4016), "*TempDir*");
  // The icon's Browse: a sizable file dialog (the system's style) centred on the desktop.
  HWND icons = b.Open(4014, "Select an icon file.");
  RECT screen = WindowRect(GetDesktopWindow()), at = WindowRect(icons);
  EXPECT_EQ(at.left, (screen.right - (at.right - at.left)) / 2);
  EXPECT_EQ(at.top, (screen.bottom - (at.bottom - at.top)) / 2);
  EXPECT_TRUE(GetWindowLongA(icons, GWL_STYLE) & WS_THICKFRAME);
  Shot(icons, "icon-dialog");
  GuiClickButton(icons, IDCANCEL);
  EXPECT_TRUE(GuiWaitWindowGone(icons, 10000));
  b.Type(4016, "*AppDir*\\extracted");
  b.Type(4018, out + "\\demo.setup");  // demo.exe, which exists
  b.Expect(4002, "File already exists.", IDYES);
  ASSERT_EQ(b.Go(0), 7);

  // Page 7: ready (Build the default button), then built: the log from the top.
  EXPECT_EQ(b.Text(4011), "Click the Build button to start building you project.");
  EXPECT_EQ(b.BuildPageState(), "10011");
  Shot(b.page, "page7-ready");
  GuiPostKey(b.page, VK_RETURN);
  ASSERT_TRUE(GuiWaitText(b.Control(4011), "Completed Successfully.", 30000));
  for (int i = 0; i < 100 && b.BuildPageState() != "10100"; ++i) Sleep(50);  // the text comes before the show
  EXPECT_EQ(b.BuildPageState(), "10100");
  Lines log = GuiListViewRows(b.Control(4007), 1, true);
  ASSERT_EQ(log.size(), 10u);
  std::sort(log.begin() + 4, log.end());  // the walk's order is the system's
  Lines expected = {"0|Completed Successfully.", "2|-----", "0|Writing File...", "2|-----"};
  for (const char* file : {"Zeta\\z.txt", "a.exe", "b.exe", "readme.txt", "tools\\c.exe", "tools\\deep\\x.txt"})
    expected.push_back("0|" + source + "\\" + file);
  EXPECT_EQ(log, expected);
  Shot(b.page, "page7-built");

  // Cancel, Yes, a save dialog: the project goes where the user typed.
  b.Expect(4001, "Save Project.", IDYES);
  HWND dialog = b.Open(0, "Select an output directory for your project file.");
  Shot(dialog, "save-dialog");
  MakeFolder(folder + "\\my projects");
  std::string project = folder + "\\my projects\\demo.vqx";
  GuiSetText(GuiFindControl(dialog, 0x47C), folder + "\\my projects\\demo");
  GuiClickButtonByText(dialog, "Save");
  ASSERT_TRUE(b.Ended());

  // Opened again from its file (quoted, with blanks in the path), b.exe's window state in lower
  // case as a hand-made file may have it: every value on its page.
  std::string saved = ReadRawFile(project);
  size_t state = saved.find("WinState0=*ShowWin*");  // b.exe, the first ticked
  ASSERT_NE(state, std::string::npos);
  ASSERT_TRUE(WriteRawFile(project, saved.replace(state + 10, 9, "*minimizewin*")));
  // A copy named outside every code page: the builder takes its short form.
  const std::wstring named = Utf8ToWide(folder + "\\my projects\\demo 李 😀.vqx");
  wchar_t shortForm[MAX_PATH] = L"";
  ASSERT_TRUE(CopyFileW(Utf8ToWide(project).c_str(), named.c_str(), FALSE) &&
              GetShortPathNameW(named.c_str(), shortForm, MAX_PATH));
  const std::string reopened = Utf8Of(shortForm);
  Builder again;
  ASSERT_TRUE(again.Start("\"" + folder + "\\my projects\\demo 李 😀.vqx\"", folder));
  const struct { int page; std::vector<std::pair<int, std::string>> texts; } kReopened[] = {
      {2, {{4010, "Demo Project"}, {4012, reopened}}}, {3, {{4007, source + "\\"}}}, {4, {}},
      {5, {{4010, "BEST"}, {4017, "open sesame"}, {4018, "Ask before overwrite."}}},
      {6, {{4016, "*AppDir*\\extracted"}, {4018, out + "\\demo.exe"}}}};
  for (const auto& p : kReopened) {
    ASSERT_EQ(again.Go(4002), p.page);
    for (const auto& t : p.texts) EXPECT_EQ(again.Text(t.first), t.second) << p.page;
    EXPECT_TRUE(p.page != 5 || (again.Enabled(4017) && IsDlgButtonChecked(again.page, 4019)));
    if (p.page == 2) Shot(again.page, "page2-reopened");
    if (p.page != 4) continue;
    EXPECT_EQ(TreeLines(again.Control(4006)), (Lines{"0:" + source + "\\:0", "1:a.exe:2", "1:b.exe:2",
                                                     "1:readme.txt:1", "1:tools:0", "1:Zeta:0"}));
    edited.back() = "b.exe|ticked|*minimizewin*";
    EXPECT_EQ(GuiListViewRows(again.Control(4008), 3), edited);
    states = DoubleClickCell(again.Control(4008), 2, 2);
    EXPECT_EQ(GuiReadText(states), "*MinimizeWin*");  // the cell's keyword in any case
  }
  // An output whose folder is a file, for a failed build; typed texts survive Back.
  again.Type(4018, source + "\\readme.txt\\out.exe");
  ASSERT_EQ(again.Go(4002), 7);
  // Cancel, then Cancel in the question, keeps each page; Back goes to the one before.
  for (int expected = 6; expected >= 1; --expected) {
    again.Expect(4001, "Save Project File.", IDCANCEL);
    ASSERT_EQ(again.Go(4003), expected);
  }
  again.Expect(4001, "Save Project File.", IDCANCEL);
  for (int page = 2; page <= 7; ++page) ASSERT_EQ(again.Go(4002), page);
  HWND failed = again.Open(4002, "Failed", 30000);
  EXPECT_EQ(GetWindow(failed, GW_OWNER), nullptr);
  GuiClickButton(failed, IDOK);
  ASSERT_TRUE(GuiWaitText(again.Control(4011), "Failed!", 10000));
  EXPECT_EQ(again.BuildPageState(), "10100");  // the failure's log lines: buildlog_test's
  Shot(again.page, "page7-failed");
  again.Expect(4001, "Save Project File.", IDNO);
  ASSERT_TRUE(again.Ended());
  EXPECT_NE(ReadRawFile(reopened).find("OutputFile=" + out + "\\demo.exe\r\n"), std::string::npos);  // No saved nothing

  // Opened through the file dialog, which leaves the current folder alone: the source folder typed
  // relative to it is the walk's. A Cancel during the build of a large folder (four letters take
  // level 9 seconds) leaves the earlier output byte for byte and nothing behind.
  std::string big;
  for (uint32_t s = 1; big.size() < (16u << 20); s = s * 1103515245u + 12345u) big.push_back("abcd"[s >> 30]);
  MakeTree(source + "\\", {{"big.txt", big}});
  Builder cut;
  ASSERT_TRUE(cut.Start("", folder));
  ASSERT_EQ(cut.Go(4002), 2);
  GuiClickButton(cut.page, 4011);
  dialog = cut.Open(4013, "Open a project file.");
  for (const std::string& typed : {folder + "\\my projects", std::string("demo.vqx")}) {  // the folder, the file
    GuiSetText(GuiFindControl(dialog, 0x47C), typed);
    GuiClickButtonByText(dialog, "Open");
    Sleep(500);
  }
  ASSERT_TRUE(GuiWaitText(cut.Control(4012), project, 10000));
  ASSERT_EQ(cut.Go(4002), 3);
  cut.Type(4007, "source");
  for (int page = 4; page <= 6; ++page) ASSERT_EQ(cut.Go(4002), page);
  cut.Expect(4002, "File already exists.", IDYES);
  ASSERT_EQ(cut.Go(0), 7);
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  const std::string earlier = ReadRawFile(out + "\\demo.exe"), left = ListFolder(temp) + "|" + ListFolder(out + "\\");
  GuiClickButton(cut.page, 4002);
  Sleep(1500);
  EXPECT_EQ(cut.BuildPageState(), "01100");  // still building
  cut.Expect(4001, "Save Project File.", IDNO);
  ASSERT_TRUE(cut.Ended());
  EXPECT_EQ(ReadRawFile(out + "\\demo.exe"), earlier);
  EXPECT_EQ(ListFolder(temp) + "|" + ListFolder(out + "\\"), left);
}

}  // namespace
