// The source tree: the source folder read one folder at a time, when it is
// opened, with a check box (state image) in front of every file. A box
// adds its file to the launch list or takes it out. The tree lists names in
// the system code page; a file named outside it is shown with "?" and gets
// no box (the build packs it all the same, by its own name).
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "launch/launch_page_win32.h"
#include "services/window_helpers_win32.h"
#include "resources/builder_resources.h"

namespace {

enum { CHECK_NONE, CHECK_EMPTY, CHECK_TICKED };

HWND gTree;
HIMAGELIST gTreeIcons;
int gFolderIcon;

// The shell's small icon for a name (the file need not exist), appended.
int AddShellIcon(const char* name, DWORD attributes) {
  SHFILEINFOA info = {};
  SHGetFileInfoA(name, attributes, &info, sizeof info,
                 SHGFI_ICON | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES);
  if (!info.hIcon) return -1;
  int index = ImageList_AddIcon(gTreeIcons, info.hIcon);
  DestroyIcon(info.hIcon);
  return index;
}

HTREEITEM InsertItem(HTREEITEM parent, const char* text, int icon, int check, bool children) {
  TVINSERTSTRUCTA insert = {};
  insert.hParent = parent;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_STATE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN;
  insert.item.pszText = (char*)text;
  insert.item.iImage = insert.item.iSelectedImage = icon;
  insert.item.state = INDEXTOSTATEIMAGEMASK(check);
  insert.item.stateMask = TVIS_STATEIMAGEMASK;
  insert.item.cChildren = children ? 1 : 0;
  return (HTREEITEM)SendMessageA(gTree, TVM_INSERTITEMA, 0, (LPARAM)&insert);
}

void SetCheckState(HTREEITEM item, int state) {
  TVITEMA change = {};
  change.mask = TVIF_STATE | TVIF_HANDLE;
  change.hItem = item;
  change.state = INDEXTOSTATEIMAGEMASK(state);
  change.stateMask = TVIS_STATEIMAGEMASK;
  SendMessageA(gTree, TVM_SETITEMA, 0, (LPARAM)&change);
}

std::string ItemText(HTREEITEM item) {
  char text[VQ_TEXT_SIZE] = "";
  TVITEMA read = {};
  read.mask = TVIF_TEXT | TVIF_HANDLE;
  read.hItem = item;
  read.pszText = text;
  read.cchTextMax = sizeof text;
  SendMessageA(gTree, TVM_GETITEMA, 0, (LPARAM)&read);
  return text;
}

// The ANSI listing puts "?" where the code page has no character; no real
// name holds one. Such a path names no file, yet the launch list would take
// its "?" as a wildcard and find some other file.
bool NamedInCodePage(const char* path) { return strchr(path, '?') == nullptr; }

void TreeItemPath(HTREEITEM item, char* out, size_t outSize) {
  std::vector<std::string> line;  // the item, its parents, the root
  for (; item; item = TreeView_GetParent(gTree, item)) line.push_back(ItemText(item));
  std::vector<const char*> texts;
  for (size_t i = line.size(); i-- > 0;) texts.push_back(line[i].c_str());
  JoinTreePath(texts.data(), (int)texts.size(), out, outSize);
}

// The first item of item's subtree, depth first, whose path is path.
HTREEITEM FindTreeItem(HTREEITEM item, const char* path) {
  if (!item) return nullptr;
  char itemPath[VQ_TEXT_SIZE];
  TreeItemPath(item, itemPath, sizeof itemPath);
  if (EqualIgnoringCase(itemPath, path, VQ_TEXT_SIZE)) return item;
  for (HTREEITEM child = TreeView_GetChild(gTree, item); child;
       child = TreeView_GetNextSibling(gTree, child)) {
    if (HTREEITEM found = FindTreeItem(child, path)) return found;
  }
  return nullptr;
}

// Reads a folder below its item, once per visit of the page; sorts the
// children and ticks those in the launch list every time.
void FillFolderItem(HTREEITEM item, const char* path) {
  char folder[VQ_TEXT_SIZE];
  CopyText(folder, sizeof folder, path);
  AddTrailingBackslash(folder, sizeof folder);
  if (!TreeView_GetChild(gTree, item)) {
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((std::string(folder) + "*.*").c_str(), &found);
    for (bool more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileA(find, &found)) {
      size_t length = strlen(found.cFileName);
      if (length && found.cFileName[length - 1] == '.') continue;  // "." and ".."
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        InsertItem(item, found.cFileName, gFolderIcon, CHECK_NONE, true);
      } else {
        int icon = AddShellIcon((std::string(folder) + found.cFileName).c_str(), FILE_ATTRIBUTE_NORMAL);
        int check = NamedInCodePage(found.cFileName) ? CHECK_EMPTY : CHECK_NONE;
        InsertItem(item, found.cFileName, icon, check, false);
      }
    }
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
  }
  SendMessageA(gTree, TVM_SORTCHILDREN, FALSE, (LPARAM)item);
  for (int row = 0; row < gLaunchRows.count; ++row)
    if (HTREEITEM listed = FindTreeItem(item, gLaunchRows.rows[row].file)) SetCheckState(listed, CHECK_TICKED);
}

void ToggleItem(HTREEITEM item, const char* path) {
  if (!NamedInCodePage(path)) return;
  SetCheckState(item, ToggleLaunchFileShown(path) ? CHECK_TICKED : CHECK_EMPTY);
}

LRESULT CALLBACK SourceTreeProc(HWND tree, UINT message, WPARAM wParam, LPARAM lParam) {
  char path[VQ_TEXT_SIZE];
  if (message == WM_LBUTTONDOWN) {
    TVHITTESTINFO hit = {};
    hit.pt.x = (short)LOWORD(lParam);
    hit.pt.y = (short)HIWORD(lParam);
    HTREEITEM item = TreeView_HitTest(tree, &hit);
    if (item) {
      // An open cell editor stores its text first: a toggle moves the rows under it.
      CommitCellEditors();
      TreeView_SelectItem(tree, item);
      TreeItemPath(item, path, sizeof path);
      if (hit.flags == TVHT_ONITEMSTATEICON) ToggleItem(item, path);
      // Only this click reads a folder; the standard handling then opens it.
      if (hit.flags == TVHT_ONITEMBUTTON) FillFolderItem(item, path);
    }
  } else if (message == WM_KEYDOWN && wParam == VK_SPACE) {
    if (HTREEITEM item = TreeView_GetSelection(tree)) {
      TreeItemPath(item, path, sizeof path);
      DWORD attributes = GetFileAttributesA(path);
      size_t length = strlen(path);
      bool folder = (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) ||
                    (length && path[length - 1] == '\\');
      if (folder) {
        SetCheckState(item, CHECK_NONE);
      } else {
        ToggleItem(item, path);
      }
    }
  }
  return ChainControlProc(tree, message, wParam, lParam);
}

}  // namespace

void SetupSourceTree(HWND tree, const char* sourceFolder) {
  gTree = tree;
  SubclassControl(tree, SourceTreeProc);
  gTreeIcons = ImageList_Create(16, 16, ILC_MASK | ILC_COLOR32, 1, 1);
  TreeView_SetImageList(tree, gTreeIcons, TVSIL_NORMAL);
  HIMAGELIST boxes = ImageList_LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_CHECK_BOXES),
                                          13, 1, RGB(255, 0, 255), IMAGE_BITMAP, 0);
  TreeView_SetImageList(tree, boxes, TVSIL_STATE);
  gFolderIcon = AddShellIcon("Folder", FILE_ATTRIBUTE_DIRECTORY);
  HTREEITEM root = InsertItem(TVI_ROOT, sourceFolder, gFolderIcon, CHECK_NONE, true);
  FillFolderItem(root, sourceFolder);
  TreeView_Expand(tree, root, TVE_EXPAND);
}
