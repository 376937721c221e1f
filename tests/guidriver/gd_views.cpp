// List views of another process. Their messages carry
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
