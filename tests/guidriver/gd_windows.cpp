// Finding windows and reading what they show.
#include "guidriver.h"

#include <string.h>

namespace {

// Calls done every 25 ms until it returns true (then true) or timeoutMs have passed (then false).
template <class Done>
bool Poll(DWORD timeoutMs, Done done) {
  for (DWORD start = GetTickCount(); !done(); Sleep(25))
    if (GetTickCount() - start >= timeoutMs) return false;
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
    if (*label == '&' && !*++label) return *text == 0;  // "&&" leaves one '&' to compare
    if (*label != *text) return false;
    if (!*label) return true;
  }
}

struct Search {
  const char* text;  // a caption or a label; NULL: a control by id
  int id;            // a control's id; for windows, 1 when text is a prefix
  const char* className;
  DWORD pid;
  HWND found;
};

BOOL CALLBACK CheckTopWindow(HWND window, LPARAM param) {
  Search* s = reinterpret_cast<Search*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (!IsWindowVisible(window) || (s->pid && pid != s->pid) || !IsClass(window, "#32770")) return TRUE;
  // GetWindowTextA reads the caption the system keeps, so a hung target cannot stall the search.
  char caption[1024] = "";
  GetWindowTextA(window, caption, sizeof caption);
  if (s->id ? strncmp(caption, s->text, strlen(s->text)) != 0 : strcmp(caption, s->text) != 0) return TRUE;
  s->found = window;
  return FALSE;
}

BOOL CALLBACK CheckChild(HWND window, LPARAM param) {
  Search* s = reinterpret_cast<Search*>(param);
  if ((s->className && !IsClass(window, s->className)) ||
      (s->text ? !SameLabel(GuiReadText(window).c_str(), s->text) : GetDlgCtrlID(window) != s->id))
    return TRUE;
  s->found = window;
  return FALSE;
}

HWND FindChild(HWND parent, const char* text, int id, const char* className) {
  Search search = {text, id, className, 0, NULL};
  EnumChildWindows(parent, CheckChild, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

HWND GuiFindWindow(const char* caption, bool prefix, DWORD pid, DWORD timeoutMs) {
  Search search = {caption, prefix, NULL, pid, NULL};
  Poll(timeoutMs, [&] { return EnumWindows(CheckTopWindow, reinterpret_cast<LPARAM>(&search)), search.found; });
  return search.found;
}

bool GuiWaitWindowGone(HWND window, DWORD timeoutMs) {
  return Poll(timeoutMs, [&] { return !IsWindow(window); });
}

std::string GuiReadText(HWND window) {
  DWORD_PTR length = 0;
  if (!IsWindow(window) || !GuiAsk(window, WM_GETTEXTLENGTH, 0, 0, &length)) return "";
  std::string text(length + 1, '\0');
  if (!GuiAsk(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]), NULL)) return "";
  return text.c_str();
}

bool GuiWaitText(HWND window, const std::string& text, DWORD timeoutMs) {
  bool same = false;
  Poll(timeoutMs, [&] { return (same = GuiReadText(window) == text) || !IsWindow(window); });
  return same;
}

HWND GuiFindControl(HWND parent, int id) { return FindChild(parent, NULL, id, NULL); }

HWND GuiFindControlByText(HWND parent, const char* text, const char* className) {
  return FindChild(parent, text, 0, className);
}

bool GuiReadMessageBox(HWND box, GuiMessageBox* out) {
  *out = GuiMessageBox{"", 0};
  HWND message = GetDlgItem(box, 0xFFFF);
  if (!IsWindow(box) || !IsClass(box, "#32770") || !message) return false;
  out->text = GuiReadText(message);
  for (HWND c = GetWindow(box, GW_CHILD); c && !out->firstButton; c = GetWindow(c, GW_HWNDNEXT))
    if (IsClass(c, "Button") && (GetWindowLongA(c, GWL_STYLE) & WS_VISIBLE)) out->firstButton = GetDlgCtrlID(c);
  return true;
}
