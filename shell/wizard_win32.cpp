#include "shell/wizard_win32.h"

#include <commctrl.h>

#include "platform/platform.h"
#include "project/project.h"
#include "resources/builder_resources.h"
#include "services/cmdline.h"
#include "shell/pages.h"
#include "services/paths.h"

namespace {

const PageHandlers* const kPages[] = {&kIntroPage,   &kProjectPage, &kSourcePage, &kLaunchPage,
                                      &kOptionsPage, &kOutputPage,  &kBuildPage};
const int kPageCount = sizeof kPages / sizeof kPages[0];

// Where the last page was left; all zeros until a page has been shown.
RECT gPageRect;

const PageHandlers* HandlersOf(HWND page) {
  return kPages[GetWindowLongPtrA(page, DWLP_USER) - 1];
}

INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    int number = (int)lParam;
    SetWindowLongPtrA(page, DWLP_USER, number);
    const PageHandlers* handlers = HandlersOf(page);
    HWND focus = handlers->fill ? handlers->fill(page) : nullptr;
    if (number == PAGE_INTRO) {
      EnterIntroPage(page);
    } else {
      EnterPage(page);
    }
    if (!focus) return TRUE;
    SetFocus(focus);
    return FALSE;
  }
  if (GetWindowLongPtrA(page, DWLP_USER) == 0) return FALSE;  // before WM_INITDIALOG
  const PageHandlers* handlers = HandlersOf(page);
  if (handlers->message && handlers->message(page, message, wParam, lParam)) return TRUE;
  if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED) return FALSE;
  int number = (int)GetWindowLongPtrA(page, DWLP_USER);
  switch (LOWORD(wParam)) {
    case IDC_CANCEL:
      ExitWizard(page);
      return TRUE;
    case IDC_NEXT:
    case IDC_BACK: {
      bool next = LOWORD(wParam) == IDC_NEXT;
      if (handlers->leave && !handlers->leave(page, next)) return TRUE;
      LeavePage(page, next ? number + 1 : number - 1);
      return TRUE;
    }
  }
  // IDOK and IDCANCEL (Enter without a default button, Escape) do nothing.
  return TRUE;
}

void AskProjectSavePath(char* out, size_t outSize) {
  AskFileName("Select an output directory for your project file.",
              "Varnoquist Project Files (*.vqx)|*.vqx", true, GetActiveWindow(), out, outSize);
}

}  // namespace

void EnterPage(HWND page) {
  MoveWindow(page, gPageRect.left, gPageRect.top, gPageRect.right - gPageRect.left,
             gPageRect.bottom - gPageRect.top, FALSE);
  SendDlgItemMessageA(page, IDC_BANNER, ACM_OPENA, 0, (LPARAM)MAKEINTRESOURCEA(IDA_BANNER));
  RedrawWindow(page, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  ShowWindow(page, SW_SHOW);
}

void EnterIntroPage(HWND page) {
  const RECT none = {};
  if (EqualRect(&gPageRect, &none)) {
    CentreOnWorkArea(page);
  } else {
    MoveWindow(page, gPageRect.left, gPageRect.top, gPageRect.right - gPageRect.left,
               gPageRect.bottom - gPageRect.top, FALSE);
  }
  RedrawWindow(page, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  ShowWindow(page, SW_SHOW);
}

void LeavePage(HWND page, int nextPage) {
  GetWindowRect(page, &gPageRect);
  SendDlgItemMessageA(page, IDC_BANNER, ACM_OPENA, 0, 0);  // closes the clip
  EndDialog(page, nextPage);
}

void ExitWizard(HWND page) {
  if (!AskToSaveProject(&gProject, &gLaunch, AskProjectSavePath)) return;
  EndRunningBuild();
  LeavePage(page, 0);
  ExitProcess(0);
}

void RunWizard() {
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES | ICC_ANIMATE_CLASS |
                                                        ICC_BAR_CLASSES | ICC_PROGRESS_CLASS |
                                                        ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  InitProject(&gProject, &gLaunch);
  char builder[VQ_TEXT_SIZE] = "";
  PlatformModuleFileName(builder, sizeof builder);
  RegisterProjectType(".vqx", builder, "vqx_ext", "Varnoquist Project File.", builder);
  // A project file named outside the code page comes in its short form.
  char line[VQ_TEXT_SIZE];
  const char* command = PlatformSystemCommandLine(line, sizeof line) ? line : GetCommandLineA();
  WarnOfOtherVersion(ProjectPathFromCommandLine(CommandTailOf(command), &gProject, &gLaunch));
  // Held for the whole run; whether another builder holds it too is never
  // looked at.
  CreateMutexA(nullptr, FALSE, "Varnoquist");
  HINSTANCE instance = GetModuleHandleA(nullptr);
  for (int page = PAGE_INTRO; page >= 1 && page <= kPageCount;) {
    page = (int)DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_FIRST_PAGE + page - 1), nullptr,
                                PageProc, page);
  }
  ExitProcess(1);  // a page that cannot be shown: the builder is broken
}
