// Memory inside another process, for messages whose parameters point to
// data: the system carries no such pointer across processes. Internal to the
// driver.
#ifndef VQ_TESTS_GD_REMOTE_H
#define VQ_TESTS_GD_REMOTE_H

#include <windows.h>
#include <stddef.h>

// A block of memory inside the process that owns a window.
struct RemoteBlock {
  HANDLE process;
  char* base;       // address in the target process
  bool abandoned;   // a message that points to it went unanswered
};

// Allocates size bytes (zeroed by the system) in the process of window.
// Returns false when the process cannot be opened or the memory allocated.
bool OpenRemote(HWND window, size_t size, RemoteBlock* block);

// Frees the block and closes the process handle; safe on a failed open. An
// abandoned block is left allocated: the target may still be working on the
// message and write into it later.
void CloseRemote(RemoteBlock* block);

// Copies size bytes to or from offset in the block.
// Return false unless every byte was copied.
bool WriteRemote(const RemoteBlock* block, size_t offset, const void* data, size_t size);
bool ReadRemote(const RemoteBlock* block, size_t offset, void* data, size_t size);

// Sends message with the block's address as lParam (GuiAsk's time limit).
// Returns false, and marks the block abandoned, when the target does not
// answer in time.
bool AskWithRemote(HWND window, RemoteBlock* block, UINT message, WPARAM wParam,
                   DWORD_PTR* result);

// Reads a zero-terminated text of at most limit bytes at offset into text.
// Returns false when it cannot be read or does not fit into size (text then
// holds as much as fits, zero-terminated).
bool ReadRemoteText(const RemoteBlock* block, size_t offset, size_t limit, char* text,
                    size_t size);

#endif
