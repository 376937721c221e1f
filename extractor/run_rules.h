// Small rules of the extractor's run that need no system: the percentage
// text, the window-state keywords, the list of what the run created.
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
