// Finding windows and reading what they show.
#include "guidriver.h"

#include <stdlib.h>
#include <string.h>

namespace {

const DWORD kPollMs = 25;

struct WindowSearch {
  const char* caption;
  int match;
  DWORD pid;
  HWND found;
};

bool CaptionMatches(const char* have, const char* want, int match) {
  if (match & GuiMatchPrefix) return strncmp(have, want, strlen(want)) == 0;
  return strcmp(have, want) == 0;
}

BOOL CALLBACK CheckTopWindow(HWND window, LPARAM param) {
  WindowSearch* search = reinterpret_cast<WindowSearch*>(param);
  if (!(search->match & GuiMatchHidden) && !IsWindowVisible(window)) return TRUE;
  if (search->pid) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != search->pid) return TRUE;
  }
  if (search->match & GuiMatchDialog) {
    char name[16];
    if (!GetClassNameA(window, name, sizeof name) || strcmp(name, "#32770") != 0) return TRUE;
  }
  char caption[1024] = "";
  // GetWindowTextA does not send to other processes: it reads the caption the
  // system keeps, which is what a top-level window shows, and a hung target
  // cannot stall the search.
  GetWindowTextA(window, caption, sizeof caption);
  if (!CaptionMatches(caption, search->caption, search->match)) return TRUE;
  search->found = window;
  return FALSE;
}

struct ChildList {
  GuiControl* out;
  int capacity;
  int count;
};

BOOL CALLBACK AddChild(HWND window, LPARAM param) {
  ChildList* list = reinterpret_cast<ChildList*>(param);
  if (list->count < list->capacity) {
    GuiControl* control = &list->out[list->count];
    *control = GuiControl{};
    control->window = window;
    control->id = GetDlgCtrlID(window);
    GetClassNameA(window, control->className, sizeof control->className);
    GuiReadText(window, control->text, sizeof control->text);
    LONG style = GetWindowLongA(window, GWL_STYLE);
    control->visible = (style & WS_VISIBLE) != 0;
    control->enabled = (style & WS_DISABLED) == 0;
  }
  ++list->count;
  return TRUE;
}

struct ChildSearch {
  int id;
  const char* text;
  const char* className;
  HWND found;
};

BOOL CALLBACK CheckChildId(HWND window, LPARAM param) {
  ChildSearch* search = reinterpret_cast<ChildSearch*>(param);
  if (GetDlgCtrlID(window) != search->id) return TRUE;
  if (search->className) {
    char name[64];
    GetClassNameA(window, name, sizeof name);
    if (lstrcmpiA(name, search->className) != 0) return TRUE;
  }
  search->found = window;
  return FALSE;
}

BOOL CALLBACK CheckChildText(HWND window, LPARAM param) {
  ChildSearch* search = reinterpret_cast<ChildSearch*>(param);
  if (search->className) {
    char name[64];
    GetClassNameA(window, name, sizeof name);
    if (lstrcmpiA(name, search->className) != 0) return TRUE;
  }
  char text[1024];
  GuiReadText(window, text, sizeof text);
  if (!GuiSameLabel(text, search->text)) return TRUE;
  search->found = window;
  return FALSE;
}

}  // namespace

HWND GuiFindWindow(const char* caption, int match, DWORD pid) {
  WindowSearch search = {caption, match, pid, NULL};
  EnumWindows(CheckTopWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND GuiWaitWindow(const char* caption, int match, DWORD pid, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    HWND window = GuiFindWindow(caption, match, pid);
    if (window) return window;
    if (GetTickCount() - start >= timeoutMs) return NULL;
    Sleep(kPollMs);
  }
}

bool GuiWaitWindowGone(HWND window, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (IsWindow(window)) {
    if (GetTickCount() - start >= timeoutMs) return false;
    Sleep(kPollMs);
  }
  return true;
}

bool GuiReadText(HWND window, char* text, size_t size) {
  if (size == 0) return false;
  text[0] = 0;
  if (!IsWindow(window)) return false;
  DWORD_PTR length = 0;
  if (!GuiAsk(window, WM_GETTEXTLENGTH, 0, 0, &length)) return false;
  // WM_GETTEXT is one of the messages the system carries across processes.
  if (!GuiAsk(window, WM_GETTEXT, size, reinterpret_cast<LPARAM>(text), NULL)) {
    text[0] = 0;
    return false;
  }
  text[size - 1] = 0;
  return length < size;
}

int GuiListControls(HWND parent, GuiControl* out, int capacity) {
  ChildList list = {out, capacity, 0};
  EnumChildWindows(parent, AddChild, reinterpret_cast<LPARAM>(&list));
  return list.count;
}

HWND GuiFindControl(HWND parent, int id) {
  ChildSearch search = {id, NULL, NULL, NULL};
  EnumChildWindows(parent, CheckChildId, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND GuiFindControlOfClass(HWND parent, int id, const char* className) {
  ChildSearch search = {id, NULL, className, NULL};
  EnumChildWindows(parent, CheckChildId, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool GuiWaitText(HWND window, const char* text, DWORD timeoutMs) {
  // Room for one character more than wanted, so that a longer text shows as
  // cut instead of matching.
  size_t size = strlen(text) + 2;
  char* have = static_cast<char*>(malloc(size));
  if (!have) return false;
  DWORD start = GetTickCount();
  bool same = false;
  for (;;) {
    same = GuiReadText(window, have, size) && strcmp(have, text) == 0;
    if (same || !IsWindow(window) || GetTickCount() - start >= timeoutMs) break;
    Sleep(kPollMs);
  }
  free(have);
  return same;
}

HWND GuiFindControlByText(HWND parent, const char* text, const char* className) {
  ChildSearch search = {0, text, className, NULL};
  EnumChildWindows(parent, CheckChildText, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool GuiSameLabel(const char* label, const char* text) {
  if (strcmp(label, text) == 0) return true;
  const char* l = label;
  const char* t = text;
  for (;;) {
    if (*l == '&') {
      ++l;  // the marker itself; "&&" leaves one '&' to compare
      if (!*l) return *t == 0;
    }
    if (*l != *t) return false;
    if (!*l) return true;
    ++l;
    ++t;
  }
}

bool GuiReadMessageBox(HWND box, GuiMessageBox* out) {
  *out = GuiMessageBox{};
  char name[64];
  if (!IsWindow(box) || !GetClassNameA(box, name, sizeof name) || strcmp(name, "#32770") != 0)
    return false;
  HWND message = GetDlgItem(box, 0xFFFF);
  if (!message) return false;
  GetWindowTextA(box, out->caption, sizeof out->caption);
  GuiReadText(message, out->text, sizeof out->text);
  GuiControl controls[32];
  int count = GuiListControls(box, controls, 32);
  for (int i = 0; i < count && i < 32 && out->buttonCount < 8; ++i) {
    if (lstrcmpiA(controls[i].className, "Button") != 0 || !controls[i].visible) continue;
    out->buttonIds[out->buttonCount] = controls[i].id;
    lstrcpynA(out->buttons[out->buttonCount], controls[i].text, sizeof out->buttons[0]);
    ++out->buttonCount;
  }
  return true;
}
