#include "extractor/entry_names.h"

#include <string.h>

#include "base/text.h"

static bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Windows drops trailing dots and blanks of a component, so ". ." and "..."
// may still climb; any such run with two dots is refused.
static bool ClimbsUp(const char* component, size_t length) {
  size_t dots = 0;
  for (size_t i = 0; i < length; ++i) {
    if (component[i] == '.') ++dots;
    else if (component[i] != ' ') return false;
  }
  return dots >= 2;
}

bool IsEntryNameSafe(const char* name) {
  if (!name[0] || IsSeparator(name[0]) || strchr(name, ':')) return false;
  const char* start = name;
  for (const char* p = name;; ++p) {
    if (*p == 0 || IsSeparator(*p)) {
      if (ClimbsUp(start, (size_t)(p - start))) return false;
      if (*p == 0) return true;
      start = p + 1;
    }
  }
}

bool IsInsideFolder(const char* fullPath, const char* folder) {
  size_t n = strlen(folder);
  if (n == 0 || folder[n - 1] != '\\' || strlen(fullPath) <= n) return false;
  return EqualIgnoringCase(fullPath, folder, n);
}
