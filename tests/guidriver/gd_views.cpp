// Messages to windows of another process; list views and tree views. Messages whose lParam points to data
// get it in the target's own memory: the system carries no such pointer across processes.
#include "guidriver.h"

#include <string.h>

namespace {

const size_t kTextSize = 1024;

// Sends message with lParam pointing to a copy of record placed in window's process, and reads the record
// back. With textField (a text pointer inside record), a kTextSize text buffer follows the copy, and *text
// gets the text the answer points to: the buffer or the view's own ("" when unreadable).
// True, with *answer (may be NULL), when the target answered and the record was read back.
bool AskRemote(HWND window, UINT message, WPARAM wParam, void* record, size_t size, DWORD_PTR* answer,
               LPSTR* textField = NULL, std::string* text = NULL) {
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
  char read[kTextSize] = "";
  if (ok && text && !ReadProcessMemory(process, *textField, read, kTextSize, NULL)) read[0] = 0;
  read[kTextSize - 1] = 0;
  if (text) *text = read;
  // Unanswered, the target may still write into the block later: it is left allocated.
  if (base && (answered || !written)) VirtualFreeEx(process, base, 0, MEM_RELEASE);
  CloseHandle(process);
  return ok;
}

// Appends one tree item and, depth first, its later siblings and all their descendants to out.
bool ReadTreeItems(HWND tree, DWORD_PTR item, int level, std::vector<GuiTreeItem>* out) {
  while (item) {
    TVITEMA request = {};
    request.mask = TVIF_HANDLE | TVIF_TEXT | TVIF_STATE;
    request.hItem = reinterpret_cast<HTREEITEM>(item);
    request.stateMask = ~0u;
    request.cchTextMax = kTextSize;
    std::string text;
    DWORD_PTR done = 0, child = 0;
    if (!AskRemote(tree, TVM_GETITEMA, 0, &request, sizeof request, &done, &request.pszText, &text) || !done)
      return false;
    out->push_back(GuiTreeItem{request.hItem, level, request.state, text});
    if (!GuiAsk(tree, TVM_GETNEXTITEM, TVGN_CHILD, item, &child) || !ReadTreeItems(tree, child, level + 1, out) ||
        !GuiAsk(tree, TVM_GETNEXTITEM, TVGN_NEXT, item, &item))
      return false;
  }
  return true;
}

}  // namespace

bool GuiAsk(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result) {
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 2000, &answer)) return false;
  if (result) *result = answer;
  return true;
}

bool GuiSendTextMessage(HWND window, UINT message, WPARAM wParam, const char* text, DWORD_PTR* result) {
  std::string copy = text;
  return AskRemote(window, message, wParam, &copy[0], copy.size() + 1, result);
}

std::vector<std::string> GuiListViewRows(HWND list, int columns, bool images) {
  std::vector<std::string> rows;
  DWORD_PTR count = 0;
  GuiAsk(list, LVM_GETITEMCOUNT, 0, 0, &count);
  for (int row = 0; row < static_cast<int>(count); ++row) {
    LVITEMA request = {};
    request.mask = LVIF_IMAGE;
    request.iItem = row;
    DWORD_PTR done = 0;
    bool imaged = AskRemote(list, LVM_GETITEMA, 0, &request, sizeof request, &done) && done;
    std::string line = images ? std::to_string(imaged ? request.iImage : -2) + "|" : "";
    for (int column = 0; column < columns; ++column) {
      request = LVITEMA{};
      request.mask = LVIF_TEXT;
      request.iItem = row;
      request.iSubItem = column;
      request.cchTextMax = kTextSize;
      std::string cell;
      bool read = AskRemote(list, LVM_GETITEMTEXTA, row, &request, sizeof request, NULL, &request.pszText, &cell);
      line += (column ? "|" : "") + (read && cell.size() + 1 < kTextSize ? cell : "?");
    }
    rows.push_back(line);
  }
  return rows;
}

bool GuiListViewItemRect(HWND list, int item, int subItem, RECT* rect) {
  // LVM_GETSUBITEMRECT takes the sub-item in top and the part in left.
  *rect = RECT{subItem == 0 ? LVIR_LABEL : LVIR_BOUNDS, subItem, 0, 0};
  DWORD_PTR done = 0;
  return AskRemote(list, LVM_GETSUBITEMRECT, item, rect, sizeof *rect, &done) && done;
}

std::vector<GuiTreeItem> GuiReadTreeView(HWND tree) {
  std::vector<GuiTreeItem> items;
  DWORD_PTR root = 0;
  if (!GuiAsk(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0, &root) || !ReadTreeItems(tree, root, 0, &items)) items.clear();
  return items;
}

bool GuiTreeItemRect(HWND tree, HTREEITEM item, bool textOnly, RECT* rect) {
  // TVM_GETITEMRECT takes the item handle in the rectangle itself.
  *rect = RECT{};
  memcpy(rect, &item, sizeof item);
  DWORD_PTR done = 0;
  return AskRemote(tree, TVM_GETITEMRECT, textOnly, rect, sizeof *rect, &done) && done;
}
