// The launch list while the launch page is open: the files the packed
// executable starts after extraction, each with its command line and window
// state. Rows are in the order the page's list view shows them, the newest
// on top; the project record keeps them oldest first (slot i is row
// count - 1 - i). The list view only mirrors these rows, so every rule here
// runs natively.
#pragma once

#include "project/project.h"

struct LaunchEntry {
  char file[VQ_TEXT_SIZE];      // full path; the entry's identity
  char cmdLine[VQ_TEXT_SIZE];   // "*Command*" for a new entry
  char winState[VQ_TEXT_SIZE];  // "*ShowWin*" for a new entry
};

struct LaunchRows {
  int count;  // 0..VQ_MAX_LAUNCH
  LaunchEntry rows[VQ_MAX_LAUNCH];
};

// The four window states in the order the state editor offers them;
// kWindowStates[0], "*ShowWin*", is the default.
extern const char* const kWindowStates[4];

// The text behind the last backslash of path, or the whole path.
const char* LaunchFileName(const char* path);

// The row whose file equals path, ASCII letters compared ignoring case; -1
// when there is none.
int FindLaunchRow(const LaunchRows* list, const char* path);

// Removes the row of path; nothing when there is none.
void RemoveLaunchFile(LaunchRows* list, const char* path);

// What a toggle did.
enum LaunchToggle {
  LAUNCH_ADDED,      // the path is row 0, with the default texts
  LAUNCH_LEFT_OUT,   // it was listed and is removed, or it is no file to start
  LAUNCH_LIST_FULL,  // 64 rows already: nothing changed
};

// The one way in and out of the list. A listed path, a folder or a path that
// does not exist is removed (when listed); otherwise the path becomes row 0
// unless the list is full.
LaunchToggle ToggleLaunchFile(LaunchRows* list, const char* path);

// After a toggle that found the list full: "The maximum number of 64 files
// have been reached." (caption "Can't add more files.", exclamation icon).
// Nothing after any other toggle.
void WarnOfFullLaunchList(LaunchToggle toggled);

// Fills the rows from the record's slots up to the first empty file (each
// through ToggleLaunchFile, so vanished files and folders drop out; stored
// texts replace the defaults even when empty), then empties all 64 slots.
void LoadLaunchList(LaunchRows* list, LaunchList* record);

// Empties all 64 slots, then writes the rows back oldest first.
void StoreLaunchList(const LaunchRows* list, LaunchList* record);

// The path of a source-tree item from the texts of its line, the root's
// (the source folder) first: joined by backslashes and passed through
// NormalisePath, so a root ending in a backslash (a drive root) gives single
// ones. Returns false when cut to fit outSize.
bool JoinTreePath(const char* const* texts, int count, char* out, size_t outSize);
