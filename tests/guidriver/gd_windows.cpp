// Finding windows and reading what they show.
#include "guidriver.h"

#include <string.h>

#include <vector>

namespace {

// Calls done every 25 ms until it returns true (then true) or timeoutMs have passed (then false).
template <class Done>
bool Poll(DWORD timeoutMs, Done done) {
  DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start >= timeoutMs) return false;
    Sleep(25);
  }
  return true;
}

bool IsClass(HWND window, const char* className) {
  char name[64];
  return GetClassNameA(window, name, sizeof name) && lstrcmpiA(name, className) == 0;
}

// True when label equals text exactly or once its '&' markers are removed ("&&" stands for one '&').
bool SameLabel(const char* label, const char* text) {
  if (strcmp(label, text) == 0) return true;
  for (;; ++label, ++text) {
    if (*label == '&') {
      ++label;  // the marker itself; "&&" leaves one '&' to compare
      if (!*label) return *text == 0;
    }
    if (*label != *text) return false;
    if (!*label) return true;
  }
}

struct WindowSearch {
  const char* caption;
  int match;
  DWORD pid;
  HWND found;
};

BOOL CALLBACK CheckTopWindow(HWND window, LPARAM param) {
  WindowSearch* search = reinterpret_cast<WindowSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (!IsWindowVisible(window) || (search->pid && pid != search->pid) ||
      ((search->match & GuiMatchDialog) && !IsClass(window, "#32770")))
    return TRUE;
  // GetWindowTextA reads the caption the system keeps, so a hung target cannot stall the search.
  char caption[1024] = "";
  GetWindowTextA(window, caption, sizeof caption);
  const char* want = search->caption;
  if (search->match & GuiMatchPrefix ? strncmp(caption, want, strlen(want)) != 0 : strcmp(caption, want) != 0)
    return TRUE;
  search->found = window;
  return FALSE;
}

struct ChildSearch {
  const char* text;  // NULL: match by id
  int id;
  const char* className;
  HWND found;
};

BOOL CALLBACK CheckChild(HWND window, LPARAM param) {
  ChildSearch* search = reinterpret_cast<ChildSearch*>(param);
  if (search->className && !IsClass(window, search->className)) return TRUE;
  if (search->text) {
    char text[1024];
    GuiReadText(window, text, sizeof text);
    if (!SameLabel(text, search->text)) return TRUE;
  } else if (GetDlgCtrlID(window) != search->id) {
    return TRUE;
  }
  search->found = window;
  return FALSE;
}

HWND FindChild(HWND parent, const char* text, int id, const char* className) {
  ChildSearch search = {text, id, className, NULL};
  EnumChildWindows(parent, CheckChild, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

HWND GuiFindWindow(const char* caption, int match, DWORD pid) {
  WindowSearch search = {caption, match, pid, NULL};
  EnumWindows(CheckTopWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND GuiWaitWindow(const char* caption, int match, DWORD pid, DWORD timeoutMs) {
  HWND window = NULL;
  Poll(timeoutMs, [&] { return (window = GuiFindWindow(caption, match, pid)) != NULL; });
  return window;
}

bool GuiWaitWindowGone(HWND window, DWORD timeoutMs) {
  return Poll(timeoutMs, [&] { return !IsWindow(window); });
}

bool GuiReadText(HWND window, char* text, size_t size) {
  if (size == 0) return false;
  text[0] = 0;
  DWORD_PTR length = 0;
  if (!IsWindow(window) || !GuiAsk(window, WM_GETTEXTLENGTH, 0, 0, &length)) return false;
  if (!GuiAsk(window, WM_GETTEXT, size, reinterpret_cast<LPARAM>(text), NULL)) {
    text[0] = 0;
    return false;
  }
  text[size - 1] = 0;
  return length < size;
}

bool GuiWaitText(HWND window, const char* text, DWORD timeoutMs) {
  std::vector<char> have(strlen(text) + 2);  // a longer text reads as cut instead of matching
  bool same = false;
  Poll(timeoutMs, [&] {
    same = GuiReadText(window, have.data(), have.size()) && strcmp(have.data(), text) == 0;
    return same || !IsWindow(window);
  });
  return same;
}

HWND GuiFindControl(HWND parent, int id) { return FindChild(parent, NULL, id, NULL); }

HWND GuiFindControlByText(HWND parent, const char* text, const char* className) {
  return FindChild(parent, text, 0, className);
}

bool GuiReadMessageBox(HWND box, GuiMessageBox* out) {
  *out = GuiMessageBox{};
  HWND message = GetDlgItem(box, 0xFFFF);
  if (!IsWindow(box) || !IsClass(box, "#32770") || !message) return false;
  GetWindowTextA(box, out->caption, sizeof out->caption);
  GuiReadText(message, out->text, sizeof out->text);
  for (HWND c = GetWindow(box, GW_CHILD); c && !out->firstButton; c = GetWindow(c, GW_HWNDNEXT))
    if (IsClass(c, "Button") && (GetWindowLongA(c, GWL_STYLE) & WS_VISIBLE)) out->firstButton = GetDlgCtrlID(c);
  return true;
}
