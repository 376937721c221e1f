// List views and tree views of another process. Their messages carry
// pointers to item records, so the record and its text buffer are placed in
// the target's own memory.
#include "gd_remote.h"
#include "guidriver.h"

#include <string.h>

namespace {

const size_t kTextSize = 1024;

bool Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result) {
  return GuiAsk(window, message, wParam, lParam, result);
}

// Reads one tree item into entry through block (a TVITEMA and its text).
bool ReadTreeItem(HWND tree, RemoteBlock* block, HTREEITEM item, GuiTreeItem* entry) {
  TVITEMA request = {};
  request.mask = TVIF_HANDLE | TVIF_TEXT | TVIF_STATE;
  request.hItem = item;
  request.stateMask = ~0u;
  request.pszText = block->base + sizeof(TVITEMA);
  request.cchTextMax = kTextSize;
  DWORD_PTR done = 0;
  TVITEMA answer = {};
  if (!WriteRemote(block, 0, &request, sizeof request) ||
      !AskWithRemote(tree, block, TVM_GETITEMA, 0, &done) || !done ||
      !ReadRemote(block, 0, &answer, sizeof answer))
    return false;
  entry->handle = item;
  entry->state = answer.state;
  // The view may answer with a pointer to its own copy of the text.
  if (answer.pszText == request.pszText) {
    ReadRemoteText(block, sizeof request, kTextSize, entry->text, sizeof entry->text);
  } else if (answer.pszText) {
    SIZE_T got = 0;
    ReadProcessMemory(block->process, answer.pszText, entry->text, sizeof entry->text - 1, &got);
    entry->text[sizeof entry->text - 1] = 0;
  }
  return true;
}

// The next item of a depth-first walk after item, and its level; NULL at the
// end. False when the view does not answer.
bool NextTreeItem(HWND tree, HTREEITEM* item, int* level) {
  DWORD_PTR next = 0;
  if (!Ask(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(*item), &next))
    return false;
  if (next) {
    *item = reinterpret_cast<HTREEITEM>(next);
    ++*level;
    return true;
  }
  // No child: the next sibling, else that of the nearest ancestor with one.
  HTREEITEM at = *item;
  for (;;) {
    if (!Ask(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(at), &next)) return false;
    if (next) break;
    if (!Ask(tree, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(at), &next))
      return false;
    if (!next) break;
    at = reinterpret_cast<HTREEITEM>(next);
    --*level;
  }
  *item = reinterpret_cast<HTREEITEM>(next);
  return true;
}

}  // namespace

int GuiListViewCount(HWND list) {
  DWORD_PTR count = 0;
  if (!Ask(list, LVM_GETITEMCOUNT, 0, 0, &count)) return -1;
  return static_cast<int>(count);
}

bool GuiListViewText(HWND list, int item, int subItem, char* text, size_t size) {
  if (size) text[0] = 0;
  RemoteBlock block;
  if (!OpenRemote(list, sizeof(LVITEMA) + kTextSize, &block)) return false;
  LVITEMA request = {};
  request.mask = LVIF_TEXT;
  request.iItem = item;
  request.iSubItem = subItem;
  request.pszText = block.base + sizeof(LVITEMA);
  request.cchTextMax = kTextSize;
  DWORD_PTR copied = 0;
  // The fresh block is zeroed, so an item the view does not fill reads "".
  bool ok = WriteRemote(&block, 0, &request, sizeof request) &&
            AskWithRemote(list, &block, LVM_GETITEMTEXTA, item, &copied) &&
            ReadRemoteText(&block, sizeof request, kTextSize, text, size);
  CloseRemote(&block);
  return ok;
}

int GuiListViewImage(HWND list, int item) {
  RemoteBlock block;
  if (!OpenRemote(list, sizeof(LVITEMA), &block)) return -2;
  LVITEMA request = {};
  request.mask = LVIF_IMAGE;
  request.iItem = item;
  LVITEMA answer = {};
  DWORD_PTR done = 0;
  bool ok = WriteRemote(&block, 0, &request, sizeof request) &&
            AskWithRemote(list, &block, LVM_GETITEMA, 0, &done) && done &&
            ReadRemote(&block, 0, &answer, sizeof answer);
  CloseRemote(&block);
  return ok ? answer.iImage : -2;
}

bool GuiListViewColumnText(HWND list, int column, char* text, size_t size) {
  if (size) text[0] = 0;
  RemoteBlock block;
  if (!OpenRemote(list, sizeof(LVCOLUMNA) + kTextSize, &block)) return false;
  LVCOLUMNA request = {};
  request.mask = LVCF_TEXT;
  request.pszText = block.base + sizeof(LVCOLUMNA);
  request.cchTextMax = kTextSize;
  DWORD_PTR done = 0;
  bool ok = WriteRemote(&block, 0, &request, sizeof request) &&
            AskWithRemote(list, &block, LVM_GETCOLUMNA, column, &done) && done &&
            ReadRemoteText(&block, sizeof request, kTextSize, text, size);
  CloseRemote(&block);
  return ok;
}

bool GuiSelectListViewItem(HWND list, int item) {
  RemoteBlock block;
  if (!OpenRemote(list, sizeof(LVITEMA), &block)) return false;
  LVITEMA request = {};
  request.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  request.state = LVIS_SELECTED | LVIS_FOCUSED;
  DWORD_PTR done = 0;
  bool ok = WriteRemote(&block, 0, &request, sizeof request) &&
            AskWithRemote(list, &block, LVM_SETITEMSTATE, item, &done) &&
            done;
  CloseRemote(&block);
  return ok;
}

bool GuiListViewItemRect(HWND list, int item, int subItem, RECT* rect) {
  RemoteBlock block;
  if (!OpenRemote(list, sizeof(RECT), &block)) return false;
  // LVM_GETSUBITEMRECT takes the sub-item in top and the part in left.
  RECT request = {subItem == 0 ? LVIR_LABEL : LVIR_BOUNDS, subItem, 0, 0};
  DWORD_PTR done = 0;
  bool ok = WriteRemote(&block, 0, &request, sizeof request) &&
            AskWithRemote(list, &block, LVM_GETSUBITEMRECT, item, &done) &&
            done && ReadRemote(&block, 0, rect, sizeof *rect);
  CloseRemote(&block);
  return ok;
}

int GuiReadTreeView(HWND tree, GuiTreeItem* out, int capacity) {
  RemoteBlock block;
  if (!OpenRemote(tree, sizeof(TVITEMA) + kTextSize, &block)) return -1;
  DWORD_PTR root = 0;
  bool ok = Ask(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0, &root);
  HTREEITEM item = reinterpret_cast<HTREEITEM>(root);
  int level = 0;
  int count = 0;
  while (ok && item) {
    if (count < capacity) {
      out[count] = GuiTreeItem{};
      out[count].level = level;
      ok = ReadTreeItem(tree, &block, item, &out[count]);
    }
    ++count;
    ok = ok && NextTreeItem(tree, &item, &level);
  }
  CloseRemote(&block);
  return ok ? count : -1;
}

bool GuiSelectTreeItem(HWND tree, HTREEITEM item) {
  DWORD_PTR done = 0;
  return Ask(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item), &done) && done;
}

bool GuiTreeItemRect(HWND tree, HTREEITEM item, bool textOnly, RECT* rect) {
  RemoteBlock block;
  if (!OpenRemote(tree, sizeof(RECT), &block)) return false;
  // TVM_GETITEMRECT takes the item handle in the rectangle itself.
  HTREEITEM request = item;
  DWORD_PTR done = 0;
  bool ok = WriteRemote(&block, 0, &request, sizeof request) &&
            AskWithRemote(tree, &block, TVM_GETITEMRECT, textOnly, &done) &&
            done && ReadRemote(&block, 0, rect, sizeof *rect);
  CloseRemote(&block);
  return ok;
}
