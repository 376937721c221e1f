// Messages to windows of another process; list views and tree views. Messages whose lParam points to data
// get it in the target's own memory: the system carries no such pointer across processes.
#include "guidriver.h"

#include <string.h>

#include <vector>

namespace {

const size_t kTextSize = 1024;

// Sends message with lParam pointing to a copy of record placed in window's process, and reads the record
// back. With textField (a text pointer inside record), a kTextSize text buffer follows the copy, and text
// (kTextSize bytes, "" when unreadable) gets the text the answer points to: the buffer or the view's own.
// Returns true, with *answer (may be NULL), when the target answered and the record was read back.
bool AskRemote(HWND window, UINT message, WPARAM wParam, void* record, size_t size, DWORD_PTR* answer,
               LPSTR* textField = NULL, char* text = NULL) {
  if (text) text[0] = 0;
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) return false;
  char* base =
      static_cast<char*>(VirtualAllocEx(process, NULL, size + kTextSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  if (textField) *textField = base + size;
  bool written = base && WriteProcessMemory(process, base, record, size, NULL);
  bool answered = written && GuiAsk(window, message, wParam, reinterpret_cast<LPARAM>(base), answer);
  bool ok = answered && ReadProcessMemory(process, base, record, size, NULL);
  if (ok && text && !ReadProcessMemory(process, *textField, text, kTextSize, NULL)) text[0] = 0;
  if (text) text[kTextSize - 1] = 0;
  // Unanswered, the target may still write into the block later: it is left allocated.
  if (base && (answered || !written)) VirtualFreeEx(process, base, 0, MEM_RELEASE);
  CloseHandle(process);
  return ok;
}

// Copies a text read from a view; false when it was cut to size.
bool CopyText(const char* from, char* text, size_t size) {
  lstrcpynA(text, from, static_cast<int>(size));
  return strlen(from) < size;
}

// Reads one tree item and, depth first, its later siblings and all their descendants into out from
// out[count]. Returns the new count, or -1 when the view cannot be read.
int ReadTreeItems(HWND tree, DWORD_PTR item, int level, GuiTreeItem* out, int capacity, int count) {
  while (item) {
    if (count < capacity) {
      TVITEMA request = {};
      request.mask = TVIF_HANDLE | TVIF_TEXT | TVIF_STATE;
      request.hItem = reinterpret_cast<HTREEITEM>(item);
      request.stateMask = ~0u;
      request.cchTextMax = kTextSize;
      char text[kTextSize];
      DWORD_PTR done = 0;
      if (!AskRemote(tree, TVM_GETITEMA, 0, &request, sizeof request, &done, &request.pszText, text) || !done)
        return -1;
      out[count] = GuiTreeItem{request.hItem, level, request.state, ""};
      lstrcpynA(out[count].text, text, sizeof out[count].text);
    }
    DWORD_PTR child = 0;
    if (!GuiAsk(tree, TVM_GETNEXTITEM, TVGN_CHILD, item, &child)) return -1;
    count = ReadTreeItems(tree, child, level + 1, out, capacity, count + 1);
    if (count < 0 || !GuiAsk(tree, TVM_GETNEXTITEM, TVGN_NEXT, item, &item)) return -1;
  }
  return count;
}

}  // namespace

bool GuiAsk(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result) {
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 2000, &answer)) return false;
  if (result) *result = answer;
  return true;
}

bool GuiSendTextMessage(HWND window, UINT message, WPARAM wParam, const char* text, DWORD_PTR* result) {
  std::vector<char> copy(text, text + strlen(text) + 1);
  return AskRemote(window, message, wParam, copy.data(), copy.size(), result);
}

int GuiListViewCount(HWND list) {
  DWORD_PTR count = 0;
  return GuiAsk(list, LVM_GETITEMCOUNT, 0, 0, &count) ? static_cast<int>(count) : -1;
}

bool GuiListViewText(HWND list, int item, int subItem, char* text, size_t size) {
  LVITEMA request = {};
  request.mask = LVIF_TEXT;
  request.iItem = item;
  request.iSubItem = subItem;
  request.cchTextMax = kTextSize;
  char all[kTextSize];
  bool ok = AskRemote(list, LVM_GETITEMTEXTA, item, &request, sizeof request, NULL, &request.pszText, all);
  return CopyText(all, text, size) && ok;
}

int GuiListViewImage(HWND list, int item) {
  LVITEMA request = {};
  request.mask = LVIF_IMAGE;
  request.iItem = item;
  DWORD_PTR done = 0;
  return AskRemote(list, LVM_GETITEMA, 0, &request, sizeof request, &done) && done ? request.iImage : -2;
}

bool GuiSelectListViewItem(HWND list, int item) {
  LVITEMA request = {};
  request.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  request.state = LVIS_SELECTED | LVIS_FOCUSED;
  DWORD_PTR done = 0;
  return AskRemote(list, LVM_SETITEMSTATE, item, &request, sizeof request, &done) && done;
}

bool GuiListViewItemRect(HWND list, int item, int subItem, RECT* rect) {
  // LVM_GETSUBITEMRECT takes the sub-item in top and the part in left.
  *rect = RECT{subItem == 0 ? LVIR_LABEL : LVIR_BOUNDS, subItem, 0, 0};
  DWORD_PTR done = 0;
  return AskRemote(list, LVM_GETSUBITEMRECT, item, rect, sizeof *rect, &done) && done;
}

int GuiReadTreeView(HWND tree, GuiTreeItem* out, int capacity) {
  DWORD_PTR root = 0;
  if (!GuiAsk(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0, &root)) return -1;
  return ReadTreeItems(tree, root, 0, out, capacity, 0);
}

bool GuiSelectTreeItem(HWND tree, HTREEITEM item) {
  DWORD_PTR done = 0;
  return GuiAsk(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item), &done) && done;
}

bool GuiTreeItemRect(HWND tree, HTREEITEM item, bool textOnly, RECT* rect) {
  // TVM_GETITEMRECT takes the item handle in the rectangle itself.
  *rect = RECT{};
  memcpy(rect, &item, sizeof item);
  DWORD_PTR done = 0;
  return AskRemote(tree, TVM_GETITEMRECT, textOnly, rect, sizeof *rect, &done) && done;
}
