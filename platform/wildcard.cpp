#include "platform/wildcard.h"

#include <string.h>

static char FoldCase(char c) { return c >= 'A' && c <= 'Z' ? (char)(c - 'A' + 'a') : c; }

bool WildcardMatch(const char* mask, const char* name) {
  if (strcmp(mask, "*.*") == 0) mask = "*";
  // Greedy scan with one backtrack point: the last "*" seen and where the
  // name stood then. Linear in practice, never recursive.
  const char* starMask = nullptr;
  const char* starName = nullptr;
  while (*name) {
    if (*mask == '*') {
      starMask = ++mask;
      starName = name;
    } else if (*mask == '?' || (*mask && FoldCase(*mask) == FoldCase(*name))) {
      mask++;
      name++;
    } else if (starMask) {
      mask = starMask;
      name = ++starName;
    } else {
      return false;
    }
  }
  while (*mask == '*') mask++;
  return *mask == '\0';
}
