// Small rules of the extractor's run that need no system: the percentage
// text, the window-state keywords, the overwrite decisions, the list of what
// the run created.
#pragma once

#include <stddef.h>
#include <stdint.h>

// The percentage text: one blank, the position in decimal, "%" (" 75%").
// out holds at least 16 bytes.
void FormatPercent(uint32_t position, char* out);

// Show command for a window-state keyword: the text from its first "*" to
// the next, upper-cased. Returns 0 for "*HIDEWIN*", 3 for "*MAXIMIZEWIN*",
// 2 for "*MINIMIZEWIN*", and 1 (show normally) for "*SHOWWIN*" and
// everything else, the empty text included.
int ShowCommandOf(const char* keyword);

enum OverwriteMode { OVERWRITE_ALL = 0, OVERWRITE_ASK = 1, OVERWRITE_SKIP = 2 };

// The replace dialog's buttons, by their control ids; 0 when it was closed.
enum ReplaceButton {
  REPLACE_CLOSED = 0,
  REPLACE_YES = 13,
  REPLACE_NO = 14,
  REPLACE_YES_TO_ALL = 15,
  REPLACE_NO_TO_ALL = 16,
};

// What the run does with an entry whose target exists already.
enum ExistingTarget { TARGET_WRITE, TARGET_SKIP, TARGET_ASK };

// Folder entries and targets that do not exist are always written; an
// existing file as the overwrite mode says (a mode outside 0..2 overwrites).
ExistingTarget ExistingTargetPolicy(int overwriteMode, bool exists, bool isFolder);

// Takes the user's answer for one file: returns true when it is to be
// replaced. The "to all" buttons change *overwriteMode for the rest of the
// run; a closed dialog repeats *lastAnswer (false before any answer), which
// every button sets.
bool TakeReplaceAnswer(ReplaceButton button, int* overwriteMode, bool* lastAnswer);

// Last-in first-out list of the paths the run created.
struct ItemNode;
struct ItemList {
  ItemNode* top;
  int count;
};

// Stores a copy of path on top. Returns false when no memory could be had;
// the path is then not recorded.
bool PushItem(ItemList* list, const char* path);
// The newest path, or nullptr when the list is empty.
const char* TopItem(const ItemList* list);
// Removes the newest path; nothing happens on an empty list.
void PopItem(ItemList* list);
