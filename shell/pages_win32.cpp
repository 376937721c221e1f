// Pages 1 to 6 on Windows (page 4's windows are launch/'s): each fills its controls from the record and hands
// their texts to the page functions of shell/pages.h.
#include <windows.h>
#include <commctrl.h>

#include "launch/launch_page_win32.h"
#include "pathvars/variables_dialog.h"
#include "project/options.h"
#include "resources/builder_resources.h"
#include "shell/pages.h"
#include "shell/wizard_win32.h"

namespace {

bool Clicked(UINT message, WPARAM wParam, int id) {
  return message == WM_COMMAND && LOWORD(wParam) == id && HIWORD(wParam) == BN_CLICKED;
}

void Enable(HWND page, int id, bool enable) { EnableWindow(GetDlgItem(page, id), enable); }

bool Checked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }

// ---------------------------------------------------------------- page 1
enum { INTRO_PICTURE = 4005, INTRO_TITLE = 4006, INTRO_TEXT = 4007, INTRO_HELP = 4008 };

void StopIntroClips(HWND page) {
  SendDlgItemMessageA(page, INTRO_PICTURE, ACM_STOP, 0, 0);
  SendDlgItemMessageA(page, INTRO_TITLE, ACM_STOP, 0, 0);
}

HWND FillIntroPage(HWND page) {
  SendDlgItemMessageA(page, INTRO_PICTURE, ACM_OPENA, 0, (LPARAM)MAKEINTRESOURCEA(IDA_INTRO_LEFT));
  SendDlgItemMessageA(page, INTRO_TITLE, ACM_OPENA, 0, (LPARAM)MAKEINTRESOURCEA(IDA_INTRO_TOP));
  char text[VQ_TEXT_SIZE] = "";
  LoadStringA(GetModuleHandleA(nullptr), IDS_INTRODUCTION, text, sizeof text);
  SetDlgItemTextA(page, INTRO_TEXT, text);
  // Next, the default button, takes the focus: Cancel, first in the tab order, would take Enter.
  return GetDlgItem(page, IDC_NEXT);
}

bool IntroPageLeave(HWND page, bool) {
  StopIntroClips(page);
  return true;
}

bool IntroPageMessage(HWND page, UINT message, WPARAM wParam, LPARAM) {
  if (Clicked(message, wParam, INTRO_HELP)) {
    ShowHelp(page);
    return true;
  }
  if (Clicked(message, wParam, IDC_CANCEL)) {
    StopIntroClips(page);
    ExitWizard(page);
    return true;
  }
  return false;
}

// ---------------------------------------------------------------- page 2
enum { PROJECT_CREATE = 4009, PROJECT_NAME = 4010, PROJECT_OPEN = 4011, PROJECT_PATH = 4012,
       PROJECT_BROWSE = 4013 };

void ShowProjectBoxes(HWND page) {
  SetDlgItemTextA(page, PROJECT_NAME, gProject.ProjectName);
  SetDlgItemTextA(page, PROJECT_PATH, gProject.ProjectFilePath);
}

// The create mode types a name; the open mode picks a project file.
void SetProjectMode(HWND page, bool open) {
  Enable(page, PROJECT_NAME, !open);
  Enable(page, PROJECT_PATH, open);
  Enable(page, PROJECT_BROWSE, open);
  SetFocus(GetDlgItem(page, open ? PROJECT_PATH : PROJECT_NAME));
}

HWND FillProjectPage(HWND page) {
  CheckRadioButton(page, PROJECT_CREATE, PROJECT_OPEN, PROJECT_CREATE);
  ShowProjectBoxes(page);
  return GetDlgItem(page, PROJECT_NAME);
}

bool ProjectPageLeave(HWND page, bool next) {
  char name[VQ_TEXT_SIZE], path[VQ_TEXT_SIZE];
  ControlText(page, PROJECT_NAME, name, sizeof name);
  ControlText(page, PROJECT_PATH, path, sizeof path);
  return LeaveProjectPage(&gProject, name, path, next);
}

bool ProjectPageMessage(HWND page, UINT message, WPARAM wParam, LPARAM) {
  if (Clicked(message, wParam, PROJECT_CREATE) || Clicked(message, wParam, PROJECT_OPEN)) {
    SetProjectMode(page, LOWORD(wParam) == PROJECT_OPEN);
    return true;
  }
  if (!Clicked(message, wParam, PROJECT_BROWSE)) return false;
  char chosen[VQ_TEXT_SIZE];
  AskFileName("Open a project file.", "Varnoquist Project Files (*.vqx)|*.vqx;|All Files (*.*)|*.*",
              false, page, chosen, sizeof chosen);
  if (TakeProjectFileChoice(&gProject, &gLaunch, chosen)) ShowProjectBoxes(page);
  return true;
}

// ---------------------------------------------------------------- page 3
enum { SOURCE_FOLDER = 4007, SOURCE_BROWSE = 4008 };

HWND FillSourcePage(HWND page) {
  SetDlgItemTextA(page, SOURCE_FOLDER, gProject.SourceFolder);
  return GetDlgItem(page, SOURCE_FOLDER);
}

bool SourcePageLeave(HWND page, bool next) {
  char folder[VQ_TEXT_SIZE];
  ControlText(page, SOURCE_FOLDER, folder, sizeof folder);
  return LeaveSourcePage(&gProject, folder, next);
}

bool SourcePageMessage(HWND page, UINT message, WPARAM wParam, LPARAM) {
  if (!Clicked(message, wParam, SOURCE_BROWSE)) return false;
  char chosen[VQ_TEXT_SIZE];
  AskFolder("Please select the folder that contain the files you would like to be put into a "
            "single executable.",
            chosen, sizeof chosen);
  if (TakeSourceFolderChoice(&gProject, chosen))
    SetDlgItemTextA(page, SOURCE_FOLDER, gProject.SourceFolder);
  return true;
}

// ---------------------------------------------------------------- page 5
enum { OPTIONS_PROGRESS = 4006, OPTIONS_DELETE = 4007, OPTIONS_PROTECT = 4008,
       OPTIONS_LEVEL_LABEL = 4010, OPTIONS_LEVEL = 4016, OPTIONS_PASSWORD = 4017,
       OPTIONS_OVERWRITE = 4018, OPTIONS_AES256 = 4019 };

void ShowLevelLabel(HWND page, int level) {
  char label[16];
  CompressLevelLabel(level, label);
  SetDlgItemTextA(page, OPTIONS_LEVEL_LABEL, label);
}

HWND FillOptionsPage(HWND page) {
  static const char* const kOverwriteModes[] = {"Overwrite all files.", "Ask before overwrite.",
                                                "Skip existing files."};
  for (const char* mode : kOverwriteModes)
    SendDlgItemMessageA(page, OPTIONS_OVERWRITE, CB_ADDSTRING, 0, (LPARAM)mode);
  SendDlgItemMessageA(page, OPTIONS_LEVEL, TBM_SETRANGE, TRUE, MAKELPARAM(0, 9));
  // A mode out of range leaves the list without a selection.
  SendDlgItemMessageA(page, OPTIONS_OVERWRITE, CB_SETCURSEL, gProject.OverwriteMode, 0);
  SendDlgItemMessageA(page, OPTIONS_LEVEL, TBM_SETPOS, TRUE,
                      TrackbarPositionOf(gProject.CompressLevel));
  ShowLevelLabel(page, gProject.CompressLevel);
  SetDlgItemTextA(page, OPTIONS_PASSWORD, gProject.Password);
  CheckDlgButton(page, OPTIONS_PROGRESS, gProject.Checkbox1 ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(page, OPTIONS_DELETE, gProject.Checkbox2 ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(page, OPTIONS_AES256, UsesAes256(&gProject) ? BST_CHECKED : BST_UNCHECKED);
  // Without a password box the first check box takes the focus, so that no button takes Enter.
  if (!gProject.Checkbox3) return GetDlgItem(page, OPTIONS_PROGRESS);
  CheckDlgButton(page, OPTIONS_PROTECT, BST_CHECKED);
  Enable(page, OPTIONS_PASSWORD, true);
  Enable(page, OPTIONS_AES256, true);
  return GetDlgItem(page, OPTIONS_PASSWORD);
}

bool OptionsPageLeave(HWND page, bool next) {
  char password[VQ_TEXT_SIZE];
  ControlText(page, OPTIONS_PASSWORD, password, sizeof password);
  OptionsPageControls controls = {
      Checked(page, OPTIONS_PROGRESS),
      Checked(page, OPTIONS_DELETE),
      Checked(page, OPTIONS_PROTECT),
      (int)SendDlgItemMessageA(page, OPTIONS_LEVEL, TBM_GETPOS, 0, 0),
      (int)SendDlgItemMessageA(page, OPTIONS_OVERWRITE, CB_GETCURSEL, 0, 0),
      password,
      Checked(page, OPTIONS_AES256),
  };
  return LeaveOptionsPage(&gProject, &controls, next);
}

bool OptionsPageMessage(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_HSCROLL && (HWND)lParam == GetDlgItem(page, OPTIONS_LEVEL)) {
    gProject.CompressLevel = (int)SendDlgItemMessageA(page, OPTIONS_LEVEL, TBM_GETPOS, 0, 0);
    ShowLevelLabel(page, gProject.CompressLevel);
    return true;
  }
  if (!Clicked(message, wParam, OPTIONS_PROTECT)) return false;
  bool protect = Checked(page, OPTIONS_PROTECT);
  Enable(page, OPTIONS_PASSWORD, protect);
  Enable(page, OPTIONS_AES256, protect);
  if (protect) SetFocus(GetDlgItem(page, OPTIONS_PASSWORD));
  return true;
}

// ---------------------------------------------------------------- page 6
enum { OUTPUT_VARIABLES = 4013, OUTPUT_ICON_BROWSE = 4014, OUTPUT_FILE_BROWSE = 4015,
       OUTPUT_EXTRACTION = 4016, OUTPUT_ICON = 4017, OUTPUT_FILE = 4018 };

HWND FillOutputPage(HWND page) {
  SetDlgItemTextA(page, OUTPUT_EXTRACTION, gProject.ExtractionFolder);
  SetDlgItemTextA(page, OUTPUT_ICON, gProject.IconFile);
  SetDlgItemTextA(page, OUTPUT_FILE, gProject.OutputFile);
  return GetDlgItem(page, OUTPUT_EXTRACTION);
}

bool OutputPageLeave(HWND page, bool next) {
  char extraction[VQ_TEXT_SIZE], icon[VQ_TEXT_SIZE], output[VQ_TEXT_SIZE];
  ControlText(page, OUTPUT_EXTRACTION, extraction, sizeof extraction);
  ControlText(page, OUTPUT_ICON, icon, sizeof icon);
  ControlText(page, OUTPUT_FILE, output, sizeof output);
  OutputPageBoxes boxes = {extraction, icon, output};
  return LeaveOutputPage(&gProject, &boxes, next);
}

bool OutputPageMessage(HWND page, UINT message, WPARAM wParam, LPARAM) {
  // Disabled under the Variables dialog, the page takes no command a
  // program may still send it: not Next or Back, which would tear it down
  // under a pending pick, nor a second Variables.
  if (message == WM_COMMAND && !IsWindowEnabled(page)) return true;
  char chosen[VQ_TEXT_SIZE];
  if (Clicked(message, wParam, OUTPUT_VARIABLES)) {
    ShowVariablesDialog(page, OUTPUT_EXTRACTION);
  } else if (Clicked(message, wParam, OUTPUT_ICON_BROWSE)) {
    AskFileName("Select an icon file.", "Icon Files(*.ico)|*.ico;*.icon|All Files (*.*)|*.*",
                false, page, chosen, sizeof chosen);
    if (TakeIconFileChoice(&gProject, chosen)) SetDlgItemTextA(page, OUTPUT_ICON, gProject.IconFile);
  } else if (Clicked(message, wParam, OUTPUT_FILE_BROWSE)) {
    AskFileName("Select an output executable file.", "Executable Files (*.exe)|*.exe", true, page,
                chosen, sizeof chosen);
    if (TakeOutputFileChoice(&gProject, chosen))
      SetDlgItemTextA(page, OUTPUT_FILE, gProject.OutputFile);
  } else {
    return false;
  }
  return true;
}

// ---------------------------------------------------------------- page 4
// The launch page's own windows are launch/'s; Cancel stores its list first,
// since the save question saves the record.
bool LaunchPageMessage(HWND page, UINT message, WPARAM wParam, LPARAM) {
  if (!Clicked(message, wParam, IDC_CANCEL)) return false;
  LeaveLaunchPage(page, false);
  ExitWizard(page);
  return true;
}

}  // namespace

const PageHandlers kIntroPage = {FillIntroPage, IntroPageLeave, IntroPageMessage};
const PageHandlers kProjectPage = {FillProjectPage, ProjectPageLeave, ProjectPageMessage};
const PageHandlers kSourcePage = {FillSourcePage, SourcePageLeave, SourcePageMessage};
const PageHandlers kLaunchPage = {FillLaunchPage, LeaveLaunchPage, LaunchPageMessage};
const PageHandlers kOptionsPage = {FillOptionsPage, OptionsPageLeave, OptionsPageMessage};
const PageHandlers kOutputPage = {FillOutputPage, OutputPageLeave, OutputPageMessage};
