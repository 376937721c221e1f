// The version warning as the user sees it under Windows: a real message box,
// found by its caption, examined, photographed into the build tree, answered.
#include "platform/platform.h"
#include "project/project.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "tests/guidriver/guidriver.h"

namespace {

struct Seen {
  HWND owner = nullptr;
  GuiMessageBox box = {};
  int icon = 0;
  bool shot = false;
};

// Waits for the box, notes what it shows, photographs it and presses OK.
DWORD WINAPI AnswerBox(void* param) {
  Seen* seen = (Seen*)param;
  HWND box = GuiWaitWindow("Unsupported Project file.", GuiMatchExact | GuiMatchDialog,
                           GetCurrentProcessId(), 10000);
  if (!box) return 1;
  seen->owner = GetWindow(box, GW_OWNER);
  GuiReadMessageBox(box, &seen->box);
  seen->icon = GuiMessageBoxIcon(box);
  char shot[MAX_PATH];
  seen->shot = GuiBuildTreePath("screenshots\\unsupported-project-file.png", shot, sizeof shot) &&
               GuiSaveWindowShot(box, shot);
  GuiClickButton(box, IDOK);
  return 0;
}

TEST(WarningBox, VersionWarningIsOwnedByTheActiveWindow) {
  HWND page = CreateWindowExA(0, "STATIC", "Varnoquist v1.2", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                              100, 100, 400, 300, nullptr, nullptr, GetModuleHandleA(nullptr),
                              nullptr);
  ASSERT_NE(nullptr, page);
  SetForegroundWindow(page);
  SetActiveWindow(page);
  ASSERT_EQ(page, GetActiveWindow());

  std::string path = ScratchName("warn") + ".vqx";
  ASSERT_TRUE(WriteRawFile(path, "[Varnoquist]\r\nVersion=1.1\r\nProjectName=Old\r\n"));
  std::unique_ptr<ProjectRecord> record(new ProjectRecord);
  std::unique_ptr<LaunchList> launch(new LaunchList);
  InitProject(record.get(), launch.get());
  CopyText(record->ProjectFilePath, VQ_TEXT_SIZE, path.c_str());

  Seen seen;
  HANDLE answerer = CreateThread(nullptr, 0, AnswerBox, &seen, 0, nullptr);
  LoadProject(record.get(), launch.get());  // returns once the box is answered
  WaitForSingleObject(answerer, 15000);
  DWORD code = 1;
  GetExitCodeThread(answerer, &code);
  CloseHandle(answerer);
  DestroyWindow(page);

  ASSERT_EQ(0u, code) << "no message box appeared";
  EXPECT_EQ(page, seen.owner);
  EXPECT_STREQ("The version of the project file you selected may not be fully supported.",
               seen.box.text);
  EXPECT_EQ(MB_ICONEXCLAMATION, seen.icon);
  ASSERT_EQ(1, seen.box.buttonCount);
  EXPECT_EQ(IDOK, seen.box.buttonIds[0]);
  EXPECT_TRUE(seen.shot);
  EXPECT_STREQ("Old", record->ProjectName);  // loaded all the same
}

}  // namespace
