// Page 4: the source tree on the left and the launch list on the right, in
// a splitter. The list lives in gLaunchRows while the page is open and in
// the project record otherwise. The wizard's page table names these
// functions; the page knows nothing of the wizard.
#include <windows.h>
#include <commctrl.h>

#include "launch/launch_page_win32.h"
#include "launch/splitter.h"
#include "resources/builder_resources.h"

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

bool LeaveLaunchPage(HWND, bool) {
  CommitCellEditors();
  StoreLaunchList(&gLaunchRows, &gLaunch);
  return true;
}
