#include "extractor/run_rules.h"

#include <stdlib.h>
#include <string.h>

#include "base/names.h"
#include "base/text.h"

void FormatPercent(uint32_t position, char* out) {
  char digits[12];
  int n = 0;
  do {
    digits[n++] = (char)('0' + position % 10);
    position /= 10;
  } while (position);
  *out++ = ' ';
  while (n) *out++ = digits[--n];
  *out++ = '%';
  *out = 0;
}

int ShowCommandOf(const char* keyword) {
  static const struct {
    const char* name;
    int show;
  } kStates[] = {{VQ_WINDOW_HIDE, 0}, {VQ_WINDOW_MAXIMIZE, 3}, {VQ_WINDOW_MINIMIZE, 2}};
  const char* first = strchr(keyword, '*');
  const char* second = first ? strchr(first + 1, '*') : nullptr;
  if (!second) return 1;
  size_t length = (size_t)(second - first) + 1;
  for (const auto& state : kStates)
    if (strlen(state.name) == length && EqualIgnoringCase(first, state.name, length))
      return state.show;
  return 1;
}

ExistingTarget ExistingTargetPolicy(int overwriteMode, bool exists, bool isFolder) {
  if (!exists || isFolder) return TARGET_WRITE;
  if (overwriteMode == OVERWRITE_SKIP) return TARGET_SKIP;
  if (overwriteMode == OVERWRITE_ASK) return TARGET_ASK;
  return TARGET_WRITE;
}

bool TakeReplaceAnswer(ReplaceButton button, int* overwriteMode, bool* lastAnswer) {
  if (button == REPLACE_CLOSED) return *lastAnswer;
  *lastAnswer = button == REPLACE_YES || button == REPLACE_YES_TO_ALL;
  if (button == REPLACE_YES_TO_ALL) *overwriteMode = OVERWRITE_ALL;
  if (button == REPLACE_NO_TO_ALL) *overwriteMode = OVERWRITE_SKIP;
  return *lastAnswer;
}

struct ItemNode {
  ItemNode* next;
  char path[1];
};

bool PushItem(ItemList* list, const char* path) {
  size_t length = strlen(path);
  ItemNode* node = (ItemNode*)malloc(sizeof(ItemNode) + length);
  if (!node) return false;
  memcpy(node->path, path, length + 1);
  node->next = list->top;
  list->top = node;
  ++list->count;
  return true;
}

const char* TopItem(const ItemList* list) { return list->top ? list->top->path : nullptr; }

void PopItem(ItemList* list) {
  ItemNode* node = list->top;
  if (!node) return;
  list->top = node->next;
  --list->count;
  free(node);
}
