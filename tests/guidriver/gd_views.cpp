// List views and tree views of another process. Their messages carry
// pointers, which the system does not carry across processes: the item
// record and its text buffer live in memory allocated inside the target.
#include "guidriver.h"

#include <string.h>

namespace {

const UINT kAnswerMs = 2000;
const size_t kTextSize = 1024;

// A block of memory inside the process that owns a window.
struct RemoteBlock {
  HANDLE process;
  char* base;
};

bool OpenRemote(HWND window, size_t size, RemoteBlock* block) {
  *block = RemoteBlock{};
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (!pid) return false;
  block->process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE |
                                   PROCESS_QUERY_INFORMATION, FALSE, pid);
  if (!block->process) return false;
  block->base = static_cast<char*>(
      VirtualAllocEx(block->process, NULL, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  if (!block->base) {
    CloseHandle(block->process);
    block->process = NULL;
    return false;
  }
  return true;
}

void CloseRemote(RemoteBlock* block) {
  if (block->base) VirtualFreeEx(block->process, block->base, 0, MEM_RELEASE);
  if (block->process) CloseHandle(block->process);
  *block = RemoteBlock{};
}

bool WriteRemote(const RemoteBlock* block, size_t offset, const void* data, size_t size) {
  SIZE_T done = 0;
  return WriteProcessMemory(block->process, block->base + offset, data, size, &done) &&
         done == size;
}

bool ReadRemote(const RemoteBlock* block, size_t offset, void* data, size_t size) {
  SIZE_T done = 0;
  return ReadProcessMemory(block->process, block->base + offset, data, size, &done) &&
         done == size;
}

bool Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result) {
  return SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kAnswerMs,
                             result) != 0;
}

// Reads the text at offset of block, zero-terminated, into text.
// False when it does not fit.
bool TakeText(const RemoteBlock* block, size_t offset, char* text, size_t size) {
  char buffer[kTextSize];
  if (!ReadRemote(block, offset, buffer, sizeof buffer)) return false;
  buffer[kTextSize - 1] = 0;
  size_t length = strlen(buffer);
  if (size == 0) return false;
  lstrcpynA(text, buffer, static_cast<int>(size));
  return length < size;
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
  char empty[kTextSize] = {};
  DWORD_PTR copied = 0;
  bool ok = WriteRemote(&block, 0, &request, sizeof request) &&
            WriteRemote(&block, sizeof request, empty, sizeof empty) &&
            Ask(list, LVM_GETITEMTEXTA, item, reinterpret_cast<LPARAM>(block.base), &copied) &&
            TakeText(&block, sizeof request, text, size);
  CloseRemote(&block);
  return ok;
}

int GuiListViewState(HWND list, int item) {
  DWORD_PTR state = 0;
  if (!Ask(list, LVM_GETITEMSTATE, item, ~0u, &state)) return -1;
  return static_cast<int>(state);
}

int GuiReadTreeView(HWND tree, GuiTreeItem* out, int capacity) {
  RemoteBlock block;
  if (!OpenRemote(tree, sizeof(TVITEMA) + kTextSize, &block)) return -1;
  int count = 0;
  bool ok = true;
  DWORD_PTR next = 0;
  ok = Ask(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0, &next);
  HTREEITEM item = reinterpret_cast<HTREEITEM>(next);
  int level = 0;
  while (ok && item) {
    if (count < capacity) {
      GuiTreeItem* entry = &out[count];
      *entry = GuiTreeItem{};
      TVITEMA request = {};
      request.mask = TVIF_HANDLE | TVIF_TEXT | TVIF_STATE;
      request.hItem = item;
      request.stateMask = ~0u;
      request.pszText = block.base + sizeof(TVITEMA);
      request.cchTextMax = kTextSize;
      DWORD_PTR done = 0;
      TVITEMA answer = {};
      ok = WriteRemote(&block, 0, &request, sizeof request) &&
           Ask(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(block.base), &done) && done &&
           ReadRemote(&block, 0, &answer, sizeof answer);
      if (!ok) break;
      entry->handle = item;
      entry->level = level;
      entry->state = answer.state;
      // The view may answer with a pointer to its own copy of the text.
      if (answer.pszText == request.pszText) {
        TakeText(&block, sizeof request, entry->text, sizeof entry->text);
      } else if (answer.pszText) {
        SIZE_T got = 0;
        ReadProcessMemory(block.process, answer.pszText, entry->text, sizeof entry->text - 1, &got);
        entry->text[sizeof entry->text - 1] = 0;
      }
    }
    ++count;
    // Depth first: the first child, else the next sibling, else the next
    // sibling of the nearest ancestor that has one.
    ok = Ask(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item), &next);
    if (ok && next) {
      item = reinterpret_cast<HTREEITEM>(next);
      ++level;
      continue;
    }
    for (;;) {
      ok = ok && Ask(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item), &next);
      if (!ok || next) break;
      ok = Ask(tree, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(item), &next);
      if (!ok || !next) break;
      item = reinterpret_cast<HTREEITEM>(next);
      --level;
    }
    item = reinterpret_cast<HTREEITEM>(next);
  }
  CloseRemote(&block);
  return ok ? count : -1;
}

bool GuiExpandTreeItem(HWND tree, HTREEITEM item, bool expand) {
  DWORD_PTR done = 0;
  return Ask(tree, TVM_EXPAND, expand ? TVE_EXPAND : TVE_COLLAPSE,
             reinterpret_cast<LPARAM>(item), &done) && done;
}

bool GuiSelectTreeItem(HWND tree, HTREEITEM item) {
  DWORD_PTR done = 0;
  return Ask(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item), &done) && done;
}
