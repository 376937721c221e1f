// Memory inside another process.
#include "gd_remote.h"

#include "guidriver.h"

#include <stdlib.h>
#include <string.h>

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
  if (block->base && !block->abandoned) VirtualFreeEx(block->process, block->base, 0, MEM_RELEASE);
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

bool ReadRemoteText(const RemoteBlock* block, size_t offset, size_t limit, char* text,
                    size_t size) {
  if (size == 0) return false;
  text[0] = 0;
  char* buffer = static_cast<char*>(malloc(limit + 1));
  if (!buffer) return false;
  bool ok = ReadRemote(block, offset, buffer, limit);
  if (ok) {
    buffer[limit] = 0;
    size_t length = strlen(buffer);
    lstrcpynA(text, buffer, static_cast<int>(size));
    ok = length < size;
  }
  free(buffer);
  return ok;
}

bool AskWithRemote(HWND window, RemoteBlock* block, UINT message, WPARAM wParam,
                   DWORD_PTR* result) {
  if (GuiAsk(window, message, wParam, reinterpret_cast<LPARAM>(block->base), result)) return true;
  block->abandoned = true;
  return false;
}
