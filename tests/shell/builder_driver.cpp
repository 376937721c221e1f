#include "tests/shell/builder_driver.h"

#include <gtest/gtest.h>

std::string BuildTreePath(const std::string& relative) {
  char path[MAX_PATH] = "";
  GuiBuildTreePath(relative.c_str(), path, sizeof path);
  return path;
}

void Shot(HWND window, const char* name) {
  Sleep(300);  // let it finish painting
  EXPECT_TRUE(
      GuiSaveWindowShot(window, BuildTreePath(std::string("shots\\builder\\") + name + ".png").c_str()))
      << name;
}

std::string Text(HWND window) {
  char text[2048] = "";
  GuiReadText(window, text, sizeof text);
  return text;
}

namespace {

const char kBuilderCaption[] = "Varnoquist v1.2";  // every page's caption

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

}  // namespace

bool Builder::Start(const std::string& tail, const std::string& folder) {
  std::string line = "\"" + BuildTreePath("shell\\vqbuilder.exe") + "\"" + (tail.empty() ? "" : " " + tail);
  if (!GuiStartProgram(line.c_str(), folder.c_str(), &app.p)) return false;
  page = GuiWaitWindow(kBuilderCaption, GuiMatchExact | GuiMatchDialog, app.p.pid, 20000);
  return page && PageNumber(page) == 1;
}

void Builder::Type(int id, const std::string& text) {
  EXPECT_TRUE(GuiSetText(Control(id), text.c_str())) << id;
}

int Builder::Go(int id) {
  GuiClickButton(page, id);
  return Arrive();
}

int Builder::Arrive() {
  if (!GuiWaitWindowGone(page, 10000)) return 0;
  page = GuiWaitWindow(kBuilderCaption, GuiMatchExact | GuiMatchDialog, app.p.pid, 10000);
  return page ? PageNumber(page) : 0;
}

HWND Builder::Open(int id, const char* caption, DWORD timeoutMs) {
  if (id) GuiClickButton(page, id);
  return GuiWaitWindow(caption, GuiMatchExact | GuiMatchDialog, app.p.pid, timeoutMs);
}

void Builder::Expect(int id, const char* caption, const char* text, int button) {
  SCOPED_TRACE(caption);
  HWND box = Open(id, caption);
  ASSERT_NE(box, nullptr);
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

void Builder::CancelSave(int button) {
  Expect(4001, "Save Project File.", "Would you like to save the changes\r\nyou made to the project file?", button);
}

HWND Builder::Focused() {
  GUITHREADINFO input = {};
  input.cbSize = sizeof input;
  GetGUIThreadInfo(GetWindowThreadProcessId(page, nullptr), &input);
  return input.hwndFocus;
}

bool Builder::Ended() {
  DWORD code = 1;
  return GuiWaitProgram(&app.p, 10000, &code) && code == 0;
}

RECT WindowRect(HWND window) {
  RECT r = {};
  GetWindowRect(window, &r);
  return r;
}

std::vector<std::string> ListViewRows(HWND list, int columns, bool images) {
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

bool RunPacked(const std::string& exe, const char* password, const std::string& args) {
  GuiProgram run;
  DWORD code = 1;
  if (!GuiStartProgram(("\"" + exe + "\"" + args).c_str(), nullptr, &run.p)) return false;
  if (!password) return GuiWaitProgram(&run.p, 30000, &code) && code == 0;
  HWND ask = GuiWaitWindow("Password needed.", GuiMatchExact | GuiMatchDialog, run.p.pid, 20000);
  if (!ask || !GuiSetText(GuiFindControl(ask, 8), password) || !GuiClickButtonByText(ask, "&OK"))
    return false;
  return GuiWaitProgram(&run.p, 30000, &code) && code == 0;
}
