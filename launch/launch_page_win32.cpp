// Page 4: the source tree on the left and the launch list on the right, in
// a splitter. The list lives in gLaunchRows while the page is open and in
// the project record otherwise.
#include <windows.h>
#include <commctrl.h>

#include "launch/launch_page_win32.h"
#include "launch/splitter.h"
#include "resources/builder_resources.h"
#include "shell/wizard_win32.h"

namespace {

HWND FillLaunchPage(HWND page) {
  HWND splitter = CreateSplitter(page, LAUNCH_SPLITTER, 1, true, 0, 0, 0, 0);
  HWND list = GetDlgItem(page, LAUNCH_LIST), tree = GetDlgItem(page, LAUNCH_TREE);
  // The tree becomes the first pane, the list the second.
  SetParent(list, splitter);
  SetParent(tree, splitter);
  SetSplitterPos(splitter, 35, 0);
  MoveWindow(splitter, 0, 76, 494, 223, TRUE);
  LoadLaunchList(&gLaunchRows, &gLaunch);
  AttachCellEditors(list);
  SetupLaunchView(list);
  SetupSourceTree(tree, gProject.SourceFolder);
  // The tree takes the focus: Cancel, first in the tab order, would take Enter.
  return tree;
}

bool LaunchPageLeave(HWND, bool) {
  CommitCellEditors();
  StoreLaunchList(&gLaunchRows, &gLaunch);
  return true;
}

bool LaunchPageMessage(HWND page, UINT message, WPARAM wParam, LPARAM) {
  if (message != WM_COMMAND || LOWORD(wParam) != IDC_CANCEL || HIWORD(wParam) != BN_CLICKED)
    return false;
  // The save question saves the record: the list goes there first.
  LaunchPageLeave(page, false);
  ExitWizard(page);
  return true;
}

}  // namespace

const PageHandlers kLaunchPage = {FillLaunchPage, LaunchPageLeave, LaunchPageMessage};
