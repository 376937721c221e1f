#include "launch/launch_list.h"

#include <string.h>

#include "base/names.h"
#include "platform/platform.h"
#include "services/paths.h"

const char* const kWindowStates[4] = {VQ_WINDOW_SHOW, VQ_WINDOW_HIDE, VQ_WINDOW_MAXIMIZE,
                                      VQ_WINDOW_MINIMIZE};

const char* LaunchFileName(const char* path) {
  const char* slash = strrchr(path, '\\');
  return slash ? slash + 1 : path;
}

int FindLaunchRow(const LaunchRows* list, const char* path) {
  for (int row = 0; row < list->count; ++row)
    if (EqualIgnoringCase(list->rows[row].file, path, VQ_TEXT_SIZE)) return row;
  return -1;
}

void RemoveLaunchFile(LaunchRows* list, const char* path) {
  int row = FindLaunchRow(list, path);
  if (row < 0) return;
  memmove(&list->rows[row], &list->rows[row + 1], (list->count - row - 1) * sizeof(LaunchEntry));
  --list->count;
}

namespace {

// Only a file can be started: a folder, or a path with nothing behind it,
// is never added.
bool IsStartableFile(const char* path) {
  if (strpbrk(path, "*?")) return PathExists(path);
  PlatformFileInfo info;
  return PlatformGetFileInfo(path, &info) && !info.isFolder;
}

}  // namespace

LaunchToggle ToggleLaunchFile(LaunchRows* list, const char* path) {
  if (FindLaunchRow(list, path) >= 0 || !IsStartableFile(path)) {
    RemoveLaunchFile(list, path);
    return LAUNCH_LEFT_OUT;
  }
  if (list->count == VQ_MAX_LAUNCH) return LAUNCH_LIST_FULL;
  memmove(&list->rows[1], &list->rows[0], list->count * sizeof(LaunchEntry));
  ++list->count;
  LaunchEntry* entry = &list->rows[0];
  CopyText(entry->file, sizeof entry->file, path);
  CopyText(entry->cmdLine, sizeof entry->cmdLine, VQ_COMMAND_VARIABLE);
  CopyText(entry->winState, sizeof entry->winState, kWindowStates[0]);
  return LAUNCH_ADDED;
}

void WarnOfFullLaunchList(LaunchToggle toggled) {
  if (toggled == LAUNCH_LIST_FULL)
    PlatformMessageBox(PLATFORM_OWNER_ACTIVE_WINDOW, "The maximum number of 64 files have been reached.",
                       "Can't add more files.", PLATFORM_MB_OK | PLATFORM_MB_ICONEXCLAMATION);
}

void LoadLaunchList(LaunchRows* list, LaunchList* record) {
  list->count = 0;
  for (int slot = 0; slot < VQ_MAX_LAUNCH && record->ExecFile[slot][0]; ++slot) {
    if (ToggleLaunchFile(list, record->ExecFile[slot]) != LAUNCH_ADDED) continue;
    CopyText(list->rows[0].cmdLine, VQ_TEXT_SIZE, record->CmdLine[slot]);
    CopyText(list->rows[0].winState, VQ_TEXT_SIZE, record->WinState[slot]);
  }
  memset(record, 0, sizeof *record);
}

void StoreLaunchList(const LaunchRows* list, LaunchList* record) {
  memset(record, 0, sizeof *record);
  for (int row = 0; row < list->count; ++row) {
    int slot = list->count - 1 - row;
    const LaunchEntry& entry = list->rows[row];
    CopyText(record->ExecFile[slot], VQ_TEXT_SIZE, entry.file);
    CopyText(record->CmdLine[slot], VQ_TEXT_SIZE, entry.cmdLine);
    CopyText(record->WinState[slot], VQ_TEXT_SIZE, entry.winState);
  }
}

bool JoinTreePath(const char* const* texts, int count, char* out, size_t outSize) {
  char joined[VQ_TEXT_SIZE] = "";
  bool whole = true;
  for (int i = 0; i < count; ++i) {
    if (i > 0) whole = AppendText(joined, sizeof joined, "\\") && whole;
    whole = AppendText(joined, sizeof joined, texts[i]) && whole;
  }
  return NormalisePath(joined, out, outSize) && whole;
}
