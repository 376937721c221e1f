// The driver against its own sample program, under Wine.
#include "guidriver.h"

#include <gtest/gtest.h>
#include <shlobj.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <vector>
#include <zlib.h>

namespace {

const DWORD kWaitMs = 15000;
const char kSampleCaption[] = "Guidriver Sample";

std::string SamplePath() {
  char path[MAX_PATH];
  DWORD length = GetModuleFileNameA(NULL, path, sizeof path);
  std::string own(path, length);
  return own.substr(0, own.find_last_of('\\') + 1) + VQ_GUIDRIVER_SAMPLE;
}

std::string ReadText(HWND window) {
  char text[2048];
  GuiReadText(window, text, sizeof text);
  return text;
}

std::string ControlText(HWND dialog, int id) { return ReadText(GuiFindControl(dialog, id)); }

// Waits until control id of dialog shows want; returns what it shows last.
std::string WaitControlText(HWND dialog, int id, const std::string& want) {
  std::string have;
  for (int i = 0; i < 200; ++i) {
    have = ControlText(dialog, id);
    if (have == want) break;
    Sleep(25);
  }
  return have;
}

// Starts the sample with args and returns its dialog, or NULL.
HWND StartSample(GuiProgram* app, const std::string& args, const char* folder = NULL) {
  std::string line = "\"" + SamplePath() + "\"" + (args.empty() ? "" : " " + args);
  if (!GuiStartProgram(line.c_str(), folder, &app->p)) return NULL;
  return GuiWaitWindow(kSampleCaption, GuiMatchExact, app->p.pid, kWaitMs);
}

DWORD ExitCodeOf(GuiProgram* app) {
  DWORD code = 0;
  if (!GuiWaitProgram(&app->p, kWaitMs, &code)) return 0xFFFFFFFF;
  return code;
}

enum { kEdit = 101, kAsk = 102, kAnswer = 103, kExit = 104, kList = 105, kTree = 106,
       kFolder = 107, kArgs = 108, kDisabled = 109, kEnterCount = 110, kChosen = 111,
       kSaveAs = 112, kBrowse = 113, kMessage = 114, kCombo = 115, kComboChoice = 116 };

TEST(GuiDriverText, LabelsMatchWithOrWithoutMnemonics) {
  struct Case { const char* label; const char* text; bool same; };
  const Case cases[] = {
      {"&Yes", "&Yes", true},  {"&Yes", "Yes", true},      {"Y&es to All", "Yes to All", true},
      {"Yes", "&Yes", false},  {"&No", "Yes", false},      {"Save && Exit", "Save & Exit", true},
      {"&Yes", "Ye", false},   {"&Ye", "Yes", false},      {"", "", true},
      {"&", "", true},         {"OK", "ok", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(GuiSameLabel(c.label, c.text), c.same) << c.label << " / " << c.text;
}

TEST(GuiDriverText, BuildTreePathsGoThroughDriveZ) {
  std::string saved = getenv("VQ_BUILD_DIR") ? getenv("VQ_BUILD_DIR") : "";
  struct Case { const char* tree; const char* relative; const char* want; };
  const Case cases[] = {
      {"/work/out", "shots\\a.png", "Z:\\work\\out\\shots\\a.png"},
      {"/work/out/", "a.png", "Z:\\work\\out\\a.png"},
      {"/work/out", "shots/b.png", "Z:\\work\\out\\shots\\b.png"},
      {"C:\\build", "x", "C:\\build\\x"},
      {"/work/out/", "\\shots\\c.png", "Z:\\work\\out\\shots\\c.png"},
      {"/work/out", "", "Z:\\work\\out"},
  };
  for (const Case& c : cases) {
    _putenv_s("VQ_BUILD_DIR", c.tree);
    char path[MAX_PATH];
    EXPECT_TRUE(GuiBuildTreePath(c.relative, path, sizeof path)) << c.tree;
    EXPECT_STREQ(path, c.want);
  }
  char small[8];
  _putenv_s("VQ_BUILD_DIR", "/work/out");
  EXPECT_FALSE(GuiBuildTreePath("shots\\a.png", small, sizeof small));
  _putenv_s("VQ_BUILD_DIR", saved.c_str());
}

// Reads a PNG written by GuiWritePng back into RGB rows; empty on failure.
std::vector<unsigned char> ReadPng(const char* path, int* width, int* height) {
  std::vector<unsigned char> file;
  FILE* in = fopen(path, "rb");
  if (!in) return {};
  unsigned char block[65536];
  size_t got;
  while ((got = fread(block, 1, sizeof block, in)) > 0) file.insert(file.end(), block, block + got);
  fclose(in);
  auto big32 = [&](size_t at) {
    return (unsigned long)file[at] << 24 | file[at + 1] << 16 | file[at + 2] << 8 | file[at + 3];
  };
  if (file.size() < 8 || memcmp(file.data(), "\x89PNG\r\n\x1a\n", 8) != 0) return {};
  std::vector<unsigned char> packed;
  for (size_t at = 8; at + 12 <= file.size();) {
    size_t size = big32(at);
    if (at + 12 + size > file.size()) return {};
    if (crc32(0, &file[at + 4], static_cast<uInt>(size + 4)) != big32(at + 8 + size)) return {};
    if (memcmp(&file[at + 4], "IHDR", 4) == 0) {
      *width = static_cast<int>(big32(at + 8));
      *height = static_cast<int>(big32(at + 12));
    }
    if (memcmp(&file[at + 4], "IDAT", 4) == 0)
      packed.insert(packed.end(), &file[at + 8], &file[at + 8] + size);
    at += 12 + size;
  }
  size_t row = static_cast<size_t>(*width) * 3;
  std::vector<unsigned char> raw((row + 1) * *height);
  uLongf rawSize = raw.size();
  if (uncompress(raw.data(), &rawSize, packed.data(), packed.size()) != Z_OK) return {};
  if (rawSize != raw.size()) return {};
  std::vector<unsigned char> rgb;
  for (int y = 0; y < *height; ++y) {
    if (raw[y * (row + 1)] != 0) return {};
    rgb.insert(rgb.end(), &raw[y * (row + 1) + 1], &raw[y * (row + 1) + 1] + row);
  }
  return rgb;
}

TEST(GuiDriverPng, WrittenPixelsReadBack) {
  char path[MAX_PATH];
  ASSERT_TRUE(GuiBuildTreePath("guidriver\\shots\\pattern.png", path, sizeof path));
  const int width = 5, height = 3;
  unsigned char rgb[width * height * 3];
  for (int i = 0; i < width * height * 3; ++i) rgb[i] = static_cast<unsigned char>(i * 17);
  ASSERT_TRUE(GuiWritePng(path, rgb, width, height));
  int w = 0, h = 0;
  std::vector<unsigned char> back = ReadPng(path, &w, &h);
  EXPECT_EQ(w, width);
  EXPECT_EQ(h, height);
  ASSERT_EQ(back.size(), sizeof rgb);
  EXPECT_EQ(memcmp(back.data(), rgb, sizeof rgb), 0);
  EXPECT_FALSE(GuiWritePng(path, rgb, 0, height));
}

TEST(GuiDriverProcess, ExitCodeWorkingFolderAndArguments) {
  char folder[MAX_PATH];
  GetTempPathA(sizeof folder, folder);
  size_t length = strlen(folder);
  if (length > 3 && folder[length - 1] == '\\') folder[length - 1] = 0;
  GuiProgram app;
  HWND dialog = StartSample(&app, "one \"two three\"", folder);
  ASSERT_NE(dialog, nullptr);
  EXPECT_STREQ(ControlText(dialog, kFolder).c_str(), folder);
  EXPECT_EQ(ControlText(dialog, kArgs), "one \"two three\"");
  ASSERT_TRUE(GuiSetText(GuiFindControl(dialog, kEdit), "42"));
  EXPECT_EQ(ControlText(dialog, kEdit), "42");
  ASSERT_TRUE(GuiClickButton(dialog, kExit));
  EXPECT_EQ(ExitCodeOf(&app), 42u);
  EXPECT_TRUE(GuiWaitWindowGone(dialog, kWaitMs));
  EXPECT_TRUE(GuiEndProgram(&app.p));  // it had ended by itself
}

TEST(GuiDriverProcess, EndTerminatesARunningProgramOnly) {
  GuiProcess none = {};
  EXPECT_FALSE(GuiEndProgram(&none));
  DWORD code = 0;
  EXPECT_FALSE(GuiWaitProgram(&none, 0, &code));
  GuiProgram app;
  ASSERT_NE(StartSample(&app, ""), nullptr);
  EXPECT_FALSE(GuiWaitProgram(&app.p, 100, &code));  // still running: a timeout
  HANDLE process = NULL;
  DuplicateHandle(GetCurrentProcess(), app.p.process, GetCurrentProcess(), &process, 0, FALSE,
                  DUPLICATE_SAME_ACCESS);
  EXPECT_FALSE(GuiEndProgram(&app.p));
  EXPECT_EQ(app.p.process, nullptr);
  EXPECT_TRUE(GetExitCodeProcess(process, &code));
  EXPECT_EQ(code, GuiKilledExitCode);
  CloseHandle(process);
  EXPECT_FALSE(GuiStartProgram("\"Z:\\no\\such\\program.exe\"", NULL, &app.p));
  EXPECT_EQ(app.p.process, nullptr);
}

// The prefix's X11 Driver "Managed" value, "" when unset.
std::string ManagedSetting() {
  char value[8] = "";
  DWORD size = sizeof value;
  if (RegGetValueA(HKEY_CURRENT_USER, "Software\\Wine\\X11 Driver", "Managed", RRF_RT_REG_SZ,
                   NULL, value, &size) != ERROR_SUCCESS)
    return "";
  return value;
}

void RestoreManagedSetting(const std::string& value) {
  if (!value.empty()) {
    GuiSetWineManagedWindows(value == "Y");
    return;
  }
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\X11 Driver", 0, KEY_SET_VALUE, &key) ==
      ERROR_SUCCESS) {
    RegDeleteValueA(key, "Managed");
    RegCloseKey(key);
  }
}

TEST(GuiDriverProcess, UnmanagedWindowsCloseWithoutWaiting) {
  std::string saved = ManagedSetting();
  ASSERT_TRUE(GuiSetWineManagedWindows(false));
  EXPECT_EQ(ManagedSetting(), "N");
  GuiProgram app;
  HWND dialog = StartSample(&app, "");
  if (dialog) {
    ASSERT_TRUE(GuiClickButton(dialog, kAsk));
    HWND box = GuiWaitWindow("Sample Question", GuiMatchExact, app.p.pid, kWaitMs);
    ASSERT_NE(box, nullptr);
    DWORD start = GetTickCount();
    ASSERT_TRUE(GuiClickButton(box, IDNO));
    EXPECT_TRUE(GuiWaitWindowGone(box, kWaitMs));
    // Managed, Wine waits 2 s for a window manager that the bench lacks.
    EXPECT_LT(GetTickCount() - start, 1500u);
  }
  ASSERT_TRUE(GuiSetWineManagedWindows(true));
  EXPECT_EQ(ManagedSetting(), "Y");
  RestoreManagedSetting(saved);
  EXPECT_EQ(ManagedSetting(), saved);
  ASSERT_NE(dialog, nullptr);
}

TEST(GuiDriverWindows, FindByCaptionPrefixAndProcess) {
  GuiProgram app;
  HWND dialog = StartSample(&app, "");
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(GuiFindWindow("Guidriver", GuiMatchPrefix, app.p.pid), dialog);
  EXPECT_EQ(GuiFindWindow("Guidriver", GuiMatchExact, app.p.pid), nullptr);
  EXPECT_EQ(GuiFindWindow(kSampleCaption, GuiMatchExact, GetCurrentProcessId()), nullptr);
  EXPECT_EQ(GuiFindWindow(kSampleCaption, GuiMatchExact, 0), dialog);
  EXPECT_EQ(GuiFindWindow("", GuiMatchPrefix | GuiMatchDialog, app.p.pid), dialog);
  EXPECT_EQ(GuiFindWindow("", GuiMatchExact | GuiMatchDialog | GuiMatchHidden, app.p.pid),
            nullptr);
  DWORD start = GetTickCount();
  EXPECT_EQ(GuiWaitWindow("No such window", GuiMatchExact, 0, 300), nullptr);
  EXPECT_GE(GetTickCount() - start, 250u);
  EXPECT_FALSE(GuiWaitWindowGone(dialog, 100));
  ShowWindowAsync(dialog, SW_HIDE);
  for (int i = 0; i < 200 && IsWindowVisible(dialog); ++i) Sleep(25);
  EXPECT_EQ(GuiFindWindow(kSampleCaption, GuiMatchExact, app.p.pid), nullptr);
  EXPECT_EQ(GuiFindWindow(kSampleCaption, GuiMatchExact | GuiMatchHidden, app.p.pid), dialog);
}

TEST(GuiDriverWindows, ControlsListedWithClassTextAndState) {
  GuiProgram app;
  HWND dialog = StartSample(&app, "");
  ASSERT_NE(dialog, nullptr);
  GuiControl controls[32];
  int count = GuiListControls(dialog, controls, 32);
  ASSERT_GE(count, 12);
  struct Want { int id; const char* className; const char* text; bool enabled; };
  const Want wants[] = {
      {kEdit, "Edit", "", true},           {kAsk, "Button", "&Ask", true},
      {kExit, "Button", "E&xit", true},    {IDOK, "Button", "OK", true},
      {kDisabled, "Button", "&Disabled", false},
      {kAnswer, "Static", "Answer: none", true},
      {kList, "SysListView32", "", true},  {kTree, "SysTreeView32", "", true},
  };
  for (const Want& want : wants) {
    const GuiControl* found = nullptr;
    for (int i = 0; i < count && i < 32; ++i)
      if (controls[i].id == want.id && !found) found = &controls[i];
    ASSERT_NE(found, nullptr) << want.id;
    EXPECT_STREQ(found->className, want.className) << want.id;
    EXPECT_STREQ(found->text, want.text) << want.id;
    EXPECT_TRUE(found->visible) << want.id;
    EXPECT_EQ(found->enabled, want.enabled) << want.id;
    EXPECT_EQ(found->window, GuiFindControl(dialog, want.id));
  }
  EXPECT_EQ(GuiListControls(dialog, controls, 2), count);  // counts beyond capacity
  EXPECT_EQ(GuiFindControlByText(dialog, "Exit", "button"), GuiFindControl(dialog, kExit));
  EXPECT_EQ(GuiFindControlByText(dialog, "Exit", "Static"), nullptr);
  EXPECT_EQ(GuiFindControlByText(dialog, "Answer: none", NULL), GuiFindControl(dialog, kAnswer));
  EXPECT_EQ(GuiFindControl(dialog, 999), nullptr);
}

TEST(GuiDriverMessageBox, ReadAndAnsweredByClickTextAndKey) {
  GuiProgram app;
  HWND dialog = StartSample(&app, "");
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(GuiSetText(GuiFindControl(dialog, kEdit), "tea"));
  GuiMessageBox notABox;
  EXPECT_FALSE(GuiReadMessageBox(dialog, &notABox));

  // Answered with a click on the button's id.
  ASSERT_TRUE(GuiClickButtonByText(dialog, "Ask"));
  HWND box = GuiWaitWindow("Sample Question", GuiMatchExact, app.p.pid, kWaitMs);
  ASSERT_NE(box, nullptr);
  GuiMessageBox message;
  ASSERT_TRUE(GuiReadMessageBox(box, &message));
  EXPECT_STREQ(message.caption, "Sample Question");
  EXPECT_STREQ(message.text, "Do you like tea?");
  ASSERT_EQ(message.buttonCount, 2);
  EXPECT_EQ(message.buttonIds[0], IDYES);
  EXPECT_TRUE(GuiSameLabel(message.buttons[0], "Yes")) << message.buttons[0];
  EXPECT_EQ(message.buttonIds[1], IDNO);
  EXPECT_TRUE(GuiSameLabel(message.buttons[1], "No")) << message.buttons[1];
  ASSERT_TRUE(GuiSaveWindowShot(box, []{
    static char path[MAX_PATH];
    GuiBuildTreePath("guidriver\\shots\\message_box.png", path, sizeof path);
    return path; }()));
  ASSERT_TRUE(GuiClickButton(box, IDYES));
  EXPECT_TRUE(GuiWaitWindowGone(box, kWaitMs));
  EXPECT_EQ(WaitControlText(dialog, kAnswer, "Answer: Yes"), "Answer: Yes");

  // By the label's text.
  ASSERT_TRUE(GuiClickButton(dialog, kAsk));
  box = GuiWaitWindow("Sample Question", GuiMatchExact, app.p.pid, kWaitMs);
  ASSERT_NE(box, nullptr);
  ASSERT_TRUE(GuiClickButtonByText(box, "No"));
  EXPECT_TRUE(GuiWaitWindowGone(box, kWaitMs));
  EXPECT_EQ(WaitControlText(dialog, kAnswer, "Answer: No"), "Answer: No");

  // By a key posted to the focused Yes button: Enter presses it.
  ASSERT_TRUE(GuiCommand(dialog, kAsk));
  box = GuiWaitWindow("Sample Question", GuiMatchExact, app.p.pid, kWaitMs);
  ASSERT_NE(box, nullptr);
  ASSERT_TRUE(GuiPostKey(GuiFindControl(box, IDYES), VK_RETURN));
  EXPECT_TRUE(GuiWaitWindowGone(box, kWaitMs));
  EXPECT_EQ(WaitControlText(dialog, kAnswer, "Answer: Yes"), "Answer: Yes");
}

// A box's icon, polled until it is want (it is painted after the box shows)
// or 2 s pass; returns the last answer.
int WaitIcon(HWND box, int want) {
  int icon = GuiMessageBoxIcon(box);
  for (int i = 0; i < 80 && icon != want; ++i) {
    Sleep(25);
    icon = GuiMessageBoxIcon(box);
  }
  return icon;
}

TEST(GuiDriverMessageBox, IconsToldApart) {
  GuiProgram app;
  HWND dialog = StartSample(&app, "");
  ASSERT_NE(dialog, nullptr);
  struct Case { const char* kind; const char* caption; int icon; };
  const Case cases[] = {{"error", "ERROR #", MB_ICONERROR},
                        {"warning", "Sample Warning", MB_ICONWARNING},
                        {"info", "Sample Info", MB_ICONINFORMATION},
                        {"plain", "Sample Plain", 0}};
  for (const Case& c : cases) {
    ASSERT_TRUE(GuiSetText(GuiFindControl(dialog, kEdit), c.kind));
    ASSERT_TRUE(GuiClickButton(dialog, kMessage));
    HWND box = GuiWaitWindow(c.caption, GuiMatchPrefix, app.p.pid, kWaitMs);
    ASSERT_NE(box, nullptr) << c.kind;
    GuiMessageBox message;
    ASSERT_TRUE(GuiReadMessageBox(box, &message));
    EXPECT_EQ(std::string(message.text), std::string("Message: ") + c.kind);
    ASSERT_EQ(message.buttonCount, 1) << c.kind;
    EXPECT_EQ(message.buttonIds[0], IDOK);
    EXPECT_EQ(WaitIcon(box, c.icon), c.icon) << c.kind;
    ASSERT_TRUE(GuiClickButton(box, IDOK));
    EXPECT_TRUE(GuiWaitWindowGone(box, kWaitMs));
    EXPECT_TRUE(GuiWaitText(GuiFindControl(dialog, kAnswer), "Answer: 1", kWaitMs)) << c.kind;
    ASSERT_TRUE(GuiSetText(GuiFindControl(dialog, kAnswer), "Answer: none"));
  }
  // The question box of Ask.
  ASSERT_TRUE(GuiClickButton(dialog, kAsk));
  HWND box = GuiWaitWindow("Sample Question", GuiMatchExact, app.p.pid, kWaitMs);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(WaitIcon(box, MB_ICONQUESTION), MB_ICONQUESTION);
  EXPECT_EQ(GuiMessageBoxIcon(dialog), 0);  // no icon control at all
  ASSERT_TRUE(GuiClickButton(box, IDNO));
  EXPECT_TRUE(GuiWaitWindowGone(box, kWaitMs));
}

TEST(GuiDriverInput, PostedKeysAndCharacters) {
  GuiProgram app;
  HWND dialog = StartSample(&app, "");
  ASSERT_NE(dialog, nullptr);
  HWND edit = GuiFindControl(dialog, kEdit);
  ASSERT_TRUE(GuiPostChars(edit, "ab c"));
  EXPECT_EQ(WaitControlText(dialog, kEdit, "ab c"), "ab c");
  ASSERT_TRUE(GuiPostKey(edit, VK_BACK));
  EXPECT_EQ(WaitControlText(dialog, kEdit, "ab "), "ab ");
  // Enter through the target's dialog manager: the default button (IDOK).
  ASSERT_TRUE(GuiPostKey(edit, VK_RETURN));
  EXPECT_EQ(WaitControlText(dialog, kEnterCount, "Enter: 1"), "Enter: 1");
  ASSERT_TRUE(GuiPostKey(edit, VK_ESCAPE));
  EXPECT_EQ(ExitCodeOf(&app), 3u);
  EXPECT_FALSE(GuiPostKey(edit, VK_RETURN));  // the window is gone
}

TEST(GuiDriverInput, RealKeysReachTheFocusedControl) {
  GuiProgram app;
  HWND dialog = StartSample(&app, "");
  ASSERT_NE(dialog, nullptr);
  HWND edit = GuiFindControl(dialog, kEdit);
  ASSERT_TRUE(GuiFocusControl(edit));
  ASSERT_TRUE(GuiTypeKeys("Hi 7"));
  EXPECT_EQ(WaitControlText(dialog, kEdit, "Hi 7"), "Hi 7");
  const WORD keys[] = {VK_BACK, 'X', 'Y' | GuiShift};
  ASSERT_TRUE(GuiPressKeys(keys, 3));
  EXPECT_EQ(WaitControlText(dialog, kEdit, "Hi xY"), "Hi xY");
  const WORD enter[] = {VK_RETURN};
  ASSERT_TRUE(GuiPressKeys(enter, 1));
  EXPECT_EQ(WaitControlText(dialog, kEnterCount, "Enter: 1"), "Enter: 1");
  // Ctrl+Left moves back one word: the next key lands before "xY".
  const WORD wordBack[] = {VK_LEFT | GuiCtrl, 'Q'};
  ASSERT_TRUE(GuiPressKeys(wordBack, 2));
  EXPECT_EQ(WaitControlText(dialog, kEdit, "Hi qxY"), "Hi qxY");
  // Long texts too (a password of 3000 characters, say).
  ASSERT_TRUE(GuiSetText(edit, ""));
  std::string longText(3000, 'k');
  ASSERT_TRUE(GuiTypeKeys(longText.c_str()));
  EXPECT_TRUE(GuiWaitText(edit, longText.c_str(), kWaitMs));
}

TEST(GuiDriverInput, AltPressesAButtonByItsMnemonic) {
  GuiProgram app;
  HWND dialog = StartSample(&app, "");
  ASSERT_NE(dialog, nullptr);
  HWND edit = GuiFindControl(dialog, kEdit);
  ASSERT_TRUE(GuiSetText(edit, "17"));
  ASSERT_TRUE(GuiFocusControl(edit));
  const WORD exitKeys[] = {'X' | GuiAlt};
  ASSERT_TRUE(GuiPressKeys(exitKeys, 1));
  EXPECT_EQ(ExitCodeOf(&app), 17u);
}

TEST(GuiDriverInput, CloseBoxAndDisabledButton) {
  GuiProgram app;
  HWND dialog = StartSample(&app, "");
  ASSERT_NE(dialog, nullptr);
  // A click on a disabled button does nothing; the command itself still acts.
  ASSERT_TRUE(GuiSetText(GuiFindControl(dialog, kEdit), "5"));
  EXPECT_FALSE(GuiClickButton(dialog, 999));
  ASSERT_TRUE(GuiCloseWindow(dialog));
  EXPECT_EQ(ExitCodeOf(&app), 3u);
  EXPECT_FALSE(GuiCloseWindow(dialog));
}

TEST(GuiDriverViews, ListViewReadAcrossProcesses) {
  GuiProgram app;
  HWND dialog = StartSample(&app, "");
  ASSERT_NE(dialog, nullptr);
  HWND list = GuiFindControl(dialog, kList);
  ASSERT_EQ(GuiListViewCount(list), 3);
  const char* want[3][2] = {{"alpha.txt", "10"}, {"beta.dat", "2048"}, {"sub\\gamma.exe", "0"}};
  for (int row = 0; row < 3; ++row)
    for (int column = 0; column < 2; ++column) {
      char text[64];
      EXPECT_TRUE(GuiListViewText(list, row, column, text, sizeof text));
      EXPECT_STREQ(text, want[row][column]) << row << "," << column;
    }
  char small[4];
  EXPECT_FALSE(GuiListViewText(list, 0, 0, small, sizeof small));
  EXPECT_STREQ(small, "alp");
  EXPECT_EQ(GuiListViewState(list, 1) & LVIS_SELECTED, 0);
}

TEST(GuiDriverViews, ListViewColumnsAndImages) {
  GuiProgram app;
  HWND dialog = StartSample(&app, "");
  ASSERT_NE(dialog, nullptr);
  HWND list = GuiFindControl(dialog, kList);
  ASSERT_EQ(GuiListViewColumnCount(list), 2);
  const char* headings[] = {"Name", "Size"};
  for (int column = 0; column < 2; ++column) {
    char text[32];
    EXPECT_TRUE(GuiListViewColumnText(list, column, text, sizeof text));
    EXPECT_STREQ(text, headings[column]);
  }
  char text[32];
  EXPECT_FALSE(GuiListViewColumnText(list, 5, text, sizeof text));
  for (int row = 0; row < 3; ++row) EXPECT_EQ(GuiListViewImage(list, row), row % 2) << row;
  EXPECT_EQ(GuiListViewImage(list, 9), -2);
  EXPECT_EQ(GuiListViewColumnCount(GuiFindControl(dialog, kEdit)), -1);  // not a list view
}

// Width of a list view column.
int ColumnWidth(HWND list, int column) {
  DWORD_PTR width = 0;
  GuiAsk(list, LVM_GETCOLUMNWIDTH, column, 0, &width);
  return static_cast<int>(width);
}

// Polls until column 0 of list is about want pixels wide; returns the last.
int WaitColumnWidth(HWND list, int want) {
  int width = ColumnWidth(list, 0);
  for (int i = 0; i < 100 && abs(width - want) > 2; ++i) {
    Sleep(25);
    width = ColumnWidth(list, 0);
  }
  return width;
}

TEST(GuiDriverInput, ColumnDividerDraggedByMouse) {
  GuiProgram app;
  HWND dialog = StartSample(&app, "");
  ASSERT_NE(dialog, nullptr);
  HWND list = GuiFindControl(dialog, kList);
  DWORD_PTR header = 0;
  ASSERT_TRUE(GuiAsk(list, LVM_GETHEADER, 0, 0, &header));
  HWND headerWindow = reinterpret_cast<HWND>(header);
  RECT headerArea;
  ASSERT_TRUE(GetClientRect(headerWindow, &headerArea));
  int middle = headerArea.bottom / 2;
  int width = ColumnWidth(list, 0);
  ASSERT_GT(width, 20);
  // Real input: the header tracks the pointer while the button is down.
  ASSERT_TRUE(GuiMouseDrag(headerWindow, width, middle, width + 40, middle));
  int wider = WaitColumnWidth(list, width + 40);
  EXPECT_NEAR(wider, width + 40, 2);
  // Posted: the header takes the positions from the messages.
  ASSERT_TRUE(GuiPostDrag(headerWindow, wider, middle, wider - 30, middle));
  EXPECT_NEAR(WaitColumnWidth(list, wider - 30), wider - 30, 2);
  EXPECT_FALSE(GuiPostDrag(NULL, 0, 0, 1, 1));
  EXPECT_FALSE(GuiMouseDrag(NULL, 0, 0, 1, 1));
}

TEST(GuiDriverInput, ComboBoxReadAndChosen) {
  GuiProgram app;
  HWND dialog = StartSample(&app, "");
  ASSERT_NE(dialog, nullptr);
  HWND combo = GuiFindControl(dialog, kCombo);
  HWND choice = GuiFindControl(dialog, kComboChoice);
  ASSERT_EQ(GuiComboCount(combo), 4);
  const char* states[] = {"*ShowWin*", "*HideWin*", "*MaximizeWin*", "*MinimizeWin*"};
  for (int i = 0; i < 4; ++i) {
    char text[32];
    EXPECT_TRUE(GuiComboText(combo, i, text, sizeof text));
    EXPECT_STREQ(text, states[i]);
  }
  char small[4];
  EXPECT_FALSE(GuiComboText(combo, 0, small, sizeof small));
  EXPECT_FALSE(GuiComboText(combo, 4, small, sizeof small));

  ASSERT_TRUE(GuiSelectComboItem(combo, "*Maxi"));
  EXPECT_TRUE(GuiWaitText(choice, "Combo: *MaximizeWin*", kWaitMs)) << ReadText(choice);
  DWORD_PTR selected = 0;
  ASSERT_TRUE(GuiAsk(combo, CB_GETCURSEL, 0, 0, &selected));
  EXPECT_EQ(selected, 2u);
  EXPECT_FALSE(GuiSelectComboItem(combo, "*Nothing*"));

  // Real keys: the box moves its selection and notifies by itself.
  ASSERT_TRUE(GuiFocusControl(combo));
  const WORD down[] = {VK_DOWN};
  ASSERT_TRUE(GuiPressKeys(down, 1));
  EXPECT_TRUE(GuiWaitText(choice, "Combo: *MinimizeWin*", kWaitMs)) << ReadText(choice);
}

TEST(GuiDriverViews, TreeViewReadDepthFirstWithStates) {
  GuiProgram app;
  HWND dialog = StartSample(&app, "");
  ASSERT_NE(dialog, nullptr);
  HWND tree = GuiFindControl(dialog, kTree);
  GuiTreeItem items[8];
  ASSERT_EQ(GuiReadTreeView(tree, items, 8), 5);
  struct Want { const char* text; int level; };
  const Want wants[] = {{"Root", 0}, {"Alpha", 1}, {"Beta", 1}, {"Gamma", 2}, {"Second root", 0}};
  for (int i = 0; i < 5; ++i) {
    EXPECT_STREQ(items[i].text, wants[i].text) << i;
    EXPECT_EQ(items[i].level, wants[i].level) << i;
  }
  EXPECT_TRUE(items[0].state & TVIS_EXPANDED);
  EXPECT_FALSE(items[2].state & TVIS_EXPANDED);
  EXPECT_EQ(items[2].state & TVIS_STATEIMAGEMASK, INDEXTOSTATEIMAGEMASK(2));
  EXPECT_EQ(GuiReadTreeView(tree, items, 2), 5);

  ASSERT_TRUE(GuiExpandTreeItem(tree, items[2].handle, true));
  ASSERT_TRUE(GuiSelectTreeItem(tree, items[3].handle));
  ASSERT_EQ(GuiReadTreeView(tree, items, 8), 5);
  EXPECT_TRUE(items[2].state & TVIS_EXPANDED);
  EXPECT_TRUE(items[3].state & TVIS_SELECTED);
}

TEST(GuiDriverViews, ItemsChosenByMessageAndByMouse) {
  GuiProgram app;
  HWND dialog = StartSample(&app, "");
  ASSERT_NE(dialog, nullptr);
  HWND list = GuiFindControl(dialog, kList);
  ASSERT_TRUE(GuiSelectListViewItem(list, 1));
  EXPECT_TRUE(GuiListViewState(list, 1) & LVIS_SELECTED);
  RECT cell;
  ASSERT_TRUE(GuiListViewItemRect(list, 2, 1, &cell));
  EXPECT_GT(cell.right, cell.left);
  EXPECT_GT(cell.bottom, cell.top);
  RECT label;
  ASSERT_TRUE(GuiListViewItemRect(list, 2, 0, &label));
  EXPECT_LE(label.right, cell.left + 1);  // column 0 lies left of column 1
  EXPECT_EQ(label.top, cell.top);
  ASSERT_TRUE(GuiMouseClick(list, (label.left + label.right) / 2, (label.top + label.bottom) / 2,
                            false));
  for (int i = 0; i < 100 && !(GuiListViewState(list, 2) & LVIS_SELECTED); ++i) Sleep(25);
  EXPECT_TRUE(GuiListViewState(list, 2) & LVIS_SELECTED);
  EXPECT_FALSE(GuiListViewState(list, 1) & LVIS_SELECTED);
  EXPECT_FALSE(GuiListViewItemRect(list, 7, 0, &cell));
  // A posted click selects as well, without moving the pointer.
  ASSERT_TRUE(GuiListViewItemRect(list, 0, 0, &label));
  ASSERT_TRUE(GuiPostClickAt(list, (label.left + label.right) / 2, (label.top + label.bottom) / 2,
                             false));
  for (int i = 0; i < 100 && !(GuiListViewState(list, 0) & LVIS_SELECTED); ++i) Sleep(25);
  EXPECT_TRUE(GuiListViewState(list, 0) & LVIS_SELECTED);
  EXPECT_FALSE(GuiListViewState(list, 2) & LVIS_SELECTED);
  EXPECT_FALSE(GuiPostClickAt(NULL, 1, 1, false));

  // A click on Alpha's check box ticks it.
  HWND tree = GuiFindControl(dialog, kTree);
  GuiTreeItem items[8];
  ASSERT_EQ(GuiReadTreeView(tree, items, 8), 5);
  EXPECT_EQ(items[1].state & TVIS_STATEIMAGEMASK, INDEXTOSTATEIMAGEMASK(1));
  RECT text;
  ASSERT_TRUE(GuiTreeItemRect(tree, items[1].handle, true, &text));
  EXPECT_FALSE(GuiTreeItemRect(tree, items[3].handle, true, &cell));  // Gamma: collapsed
  ASSERT_TRUE(GuiMouseClick(tree, text.left - 8, (text.top + text.bottom) / 2, false));
  for (int i = 0; i < 100; ++i) {
    ASSERT_EQ(GuiReadTreeView(tree, items, 8), 5);
    if ((items[1].state & TVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2)) break;
    Sleep(25);
  }
  EXPECT_EQ(items[1].state & TVIS_STATEIMAGEMASK, INDEXTOSTATEIMAGEMASK(2));
}

TEST(GuiDriverCommonDialogs, SaveDialogTakesATypedName) {
  GuiProgram app;
  HWND dialog = StartSample(&app, "");
  ASSERT_NE(dialog, nullptr);
  char name[MAX_PATH];
  GetTempPathA(sizeof name, name);
  std::string path = std::string(name) + "guidriver-sample.txt";
  DeleteFileA(path.c_str());

  // Typed as real keys into the file name box, which has the focus.
  ASSERT_TRUE(GuiClickButton(dialog, kSaveAs));
  HWND box = GuiWaitWindow("Save the sample", GuiMatchExact, app.p.pid, kWaitMs);
  ASSERT_NE(box, nullptr);
  HWND edit = GuiFindControlOfClass(box, 0x47C, "Edit");
  ASSERT_NE(edit, nullptr);
  ASSERT_TRUE(GuiFocusControl(edit));
  ASSERT_TRUE(GuiTypeKeys(path.c_str()));
  ASSERT_TRUE(GuiWaitText(edit, path.c_str(), kWaitMs));
  const WORD enter[] = {VK_RETURN};
  ASSERT_TRUE(GuiPressKeys(enter, 1));
  EXPECT_TRUE(GuiWaitWindowGone(box, kWaitMs));
  EXPECT_TRUE(GuiWaitText(GuiFindControl(dialog, kChosen), ("Chosen: " + path).c_str(), kWaitMs));

  // Set as text, then Save clicked; and Cancel.
  ASSERT_TRUE(GuiClickButton(dialog, kSaveAs));
  box = GuiWaitWindow("Save the sample", GuiMatchExact, app.p.pid, kWaitMs);
  ASSERT_NE(box, nullptr);
  std::string other = std::string(name) + "other.txt";
  ASSERT_TRUE(GuiSetText(GuiFindControlOfClass(box, 0x47C, "Edit"), other.c_str()));
  ASSERT_TRUE(GuiClickButtonByText(box, "Save"));
  EXPECT_TRUE(GuiWaitWindowGone(box, kWaitMs));
  EXPECT_TRUE(GuiWaitText(GuiFindControl(dialog, kChosen), ("Chosen: " + other).c_str(), kWaitMs));
  ASSERT_TRUE(GuiClickButton(dialog, kSaveAs));
  box = GuiWaitWindow("Save the sample", GuiMatchExact, app.p.pid, kWaitMs);
  ASSERT_NE(box, nullptr);
  ASSERT_TRUE(GuiClickButton(box, IDCANCEL));
  EXPECT_TRUE(GuiWaitText(GuiFindControl(dialog, kChosen), "Chosen: cancelled", kWaitMs));
  EXPECT_FALSE(GuiWaitText(GuiFindControl(dialog, kChosen), "Chosen: else", 100));
}

TEST(GuiDriverCommonDialogs, FolderBrowserGoesToAPathGivenAsText) {
  GuiProgram app;
  HWND dialog = StartSample(&app, "");
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(GuiClickButton(dialog, kBrowse));
  HWND box = GuiWaitWindow("Browse for Folder", GuiMatchExact, app.p.pid, kWaitMs);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(ReadText(GuiFindControl(box, 0x3742)), "Pick a sample folder");
  GuiTreeItem items[64];
  ASSERT_GE(GuiReadTreeView(GuiFindControl(box, 0x3741), items, 64), 1);
  EXPECT_STREQ(items[0].text, "Desktop");
  ASSERT_TRUE(GuiSendTextMessage(box, BFFM_SETSELECTIONA, TRUE, "C:\\windows", NULL));
  ASSERT_TRUE(GuiClickButton(box, IDOK));
  EXPECT_TRUE(GuiWaitWindowGone(box, kWaitMs));
  EXPECT_TRUE(GuiWaitText(GuiFindControl(dialog, kChosen), "Chosen: C:\\windows", kWaitMs))
      << ControlText(dialog, kChosen);
}

TEST(GuiDriverScreenshot, ScreenAndWindowShowTheSample) {
  GuiProgram app;
  HWND dialog = StartSample(&app, "");
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(GuiSetText(GuiFindControl(dialog, kEdit), "screenshot"));
  Sleep(300);  // let it paint
  char screenPath[MAX_PATH], windowPath[MAX_PATH];
  ASSERT_TRUE(GuiBuildTreePath("guidriver\\shots\\screen.png", screenPath, sizeof screenPath));
  ASSERT_TRUE(GuiBuildTreePath("guidriver\\shots\\sample.png", windowPath, sizeof windowPath));
  ASSERT_TRUE(GuiSaveScreenshot(screenPath));
  ASSERT_TRUE(GuiSaveWindowShot(dialog, windowPath));
  int width = 0, height = 0;
  std::vector<unsigned char> screen = ReadPng(screenPath, &width, &height);
  ASSERT_FALSE(screen.empty());
  EXPECT_EQ(width, GetSystemMetrics(SM_CXVIRTUALSCREEN));
  EXPECT_EQ(height, GetSystemMetrics(SM_CYVIRTUALSCREEN));
  RECT area;
  GetWindowRect(dialog, &area);
  std::vector<unsigned char> shot = ReadPng(windowPath, &width, &height);
  ASSERT_FALSE(shot.empty());
  EXPECT_EQ(width, area.right - area.left);
  EXPECT_EQ(height, area.bottom - area.top);
  // The window shot is the screen's pixels under the window, and the window
  // is drawn: more than one colour in it.
  bool sameAsScreen = true, severalColours = false;
  int screenWidth = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const unsigned char* a = &shot[(y * width + x) * 3];
      const unsigned char* b = &screen[((y + area.top) * screenWidth + x + area.left) * 3];
      if (memcmp(a, b, 3) != 0) sameAsScreen = false;
      if (memcmp(a, &shot[0], 3) != 0) severalColours = true;
    }
  EXPECT_TRUE(sameAsScreen);
  EXPECT_TRUE(severalColours);
  // Single pixels: the dialog's face, and the list view's empty window area.
  COLORREF colour = 0;
  ASSERT_TRUE(GuiPixelAt(dialog, 3, 3, &colour));
  EXPECT_EQ(colour, GetSysColor(COLOR_BTNFACE));
  HWND list = GuiFindControl(dialog, kList);
  RECT listArea;
  GetClientRect(list, &listArea);
  ASSERT_TRUE(GuiPixelAt(list, listArea.right - 4, listArea.bottom - 4, &colour));
  EXPECT_EQ(colour, GetSysColor(COLOR_WINDOW));
  EXPECT_FALSE(GuiPixelAt(NULL, 0, 0, &colour));
  EXPECT_FALSE(GuiSaveWindowShot(NULL, windowPath));
}

}  // namespace
