// The launch page's controls on Windows: the list view that mirrors the
// launch list, the source tree with its check boxes, and the in-place cell
// editors. Shared by the files of launch/ that build them.
#pragma once

#include <windows.h>

#include "launch/launch_list.h"

enum {
  LAUNCH_TREE = 4006,
  LAUNCH_LIST = 4008,
  LAUNCH_SPLITTER = 4009,
};

// The launch list while the page is open, and the list view showing it.
extern LaunchRows gLaunchRows;
extern HWND gLaunchView;

// The page itself: fills its controls, returning the control to focus, and
// stores the list into the record when the page is left.
HWND FillLaunchPage(HWND page);
bool LeaveLaunchPage(HWND page, bool next);

// Columns of the list view.
enum { COLUMN_FILE, COLUMN_COMMAND, COLUMN_STATE, COLUMN_PATH, COLUMN_COUNT };

// Styles, image list and columns of the list view; the rows of gLaunchRows.
void SetupLaunchView(HWND list);
// ToggleLaunchFile on gLaunchRows, the list view following: a new row on
// top, or the removed row gone; a full list says so. Returns true when the
// path was added.
bool ToggleLaunchFileShown(const char* path);
// Writes an edited cell (command line or window state) into gLaunchRows and
// the list view.
void SetLaunchCell(int row, int column, const char* text);

// The cell editors: subclasses the list view (property "Wprc").
void AttachCellEditors(HWND list);
// Stores whatever an open editor holds, as losing the focus would.
void CommitCellEditors();

// Reads the source folder into the tree (the root open), ticking the files
// that are in the launch list; subclasses the tree (property "Wprc").
void SetupSourceTree(HWND tree, const char* sourceFolder);
