// The launch list view: four columns showing gLaunchRows, newest on top.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "launch/launch_page_win32.h"
#include "services/window_helpers_win32.h"

LaunchRows gLaunchRows;
HWND gLaunchView;

namespace {

HIMAGELIST gLaunchIcons;  // small icons of the rows' file types

// Inserts row 0 of the view for entry, with the icon of its file's type.
void ShowNewRow(const LaunchEntry& entry) {
  SHFILEINFOA info = {};
  SHGetFileInfoA(entry.file, FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                 SHGFI_ICON | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES);
  int icon = info.hIcon ? ImageList_AddIcon(gLaunchIcons, info.hIcon) : -1;
  if (info.hIcon) DestroyIcon(info.hIcon);
  LVITEMA item = {};
  item.mask = LVIF_TEXT | LVIF_IMAGE;
  item.pszText = (char*)LaunchFileName(entry.file);
  item.iImage = icon;
  SendMessageA(gLaunchView, LVM_INSERTITEMA, 0, (LPARAM)&item);
  const char* texts[] = {entry.cmdLine, entry.winState, entry.file};
  for (int column = COLUMN_COMMAND; column < COLUMN_COUNT; ++column)
    ListView_SetItemText(gLaunchView, 0, column, (char*)texts[column - 1]);
  ListView_SetImageList(gLaunchView, gLaunchIcons, LVSIL_SMALL);
  UpdateWindow(gLaunchView);
}

}  // namespace

void SetupLaunchView(HWND list) {
  gLaunchView = list;
  ListView_SetExtendedListViewStyle(list, LVS_EX_GRIDLINES | LVS_EX_SUBITEMIMAGES |
                                              LVS_EX_FULLROWSELECT);
  gLaunchIcons = ImageList_Create(16, 16, ILC_MASK | ILC_COLOR32, 1, 1);
  ListView_SetImageList(list, gLaunchIcons, LVSIL_SMALL);
  const char* const kHeadings[COLUMN_COUNT] = {"File Name.", "Command Line.", "Window State.",
                                               "Full Path."};
  const int kWidths[COLUMN_COUNT] = {150, 150, 150, 256};
  AddListColumns(list, kHeadings, kWidths, COLUMN_COUNT);
  // Oldest first, each on top of the one before: the newest ends on top.
  for (int row = gLaunchRows.count - 1; row >= 0; --row) ShowNewRow(gLaunchRows.rows[row]);
}

bool ToggleLaunchFileShown(const char* path) {
  int listed = FindLaunchRow(&gLaunchRows, path);
  LaunchToggle toggled = ToggleLaunchFile(&gLaunchRows, path);
  if (toggled == LAUNCH_ADDED) {
    ShowNewRow(gLaunchRows.rows[0]);
  } else if (listed >= 0) {
    ListView_DeleteItem(gLaunchView, listed);
  }
  WarnOfFullLaunchList(toggled);
  return toggled == LAUNCH_ADDED;
}

void SetLaunchCell(int row, int column, const char* text) {
  if (row < 0 || row >= gLaunchRows.count) return;
  LaunchEntry& entry = gLaunchRows.rows[row];
  char* field = column == COLUMN_COMMAND ? entry.cmdLine : column == COLUMN_STATE ? entry.winState : nullptr;
  if (!field) return;
  CopyText(field, VQ_TEXT_SIZE, text);  // longer input is cut at 2047 bytes
  ListView_SetItemText(gLaunchView, row, column, field);
}
