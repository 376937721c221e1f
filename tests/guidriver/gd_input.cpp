// Clicks, text and keys for windows of another process.
#include "guidriver.h"

#include <stdlib.h>
#include <string.h>

namespace {

LPARAM KeyData(WORD vk, bool up) {
  UINT scan = MapVirtualKeyA(vk, MAPVK_VK_TO_VSC);
  LPARAM data = 1 | (static_cast<LPARAM>(scan & 0xFF) << 16);
  if (up) data |= (1u << 30) | (1u << 31);
  return data;
}

struct ButtonSearch {
  const char* text;
  HWND found;
};

BOOL CALLBACK CheckButton(HWND window, LPARAM param) {
  ButtonSearch* search = reinterpret_cast<ButtonSearch*>(param);
  char name[64];
  GetClassNameA(window, name, sizeof name);
  if (lstrcmpiA(name, "Button") != 0) return TRUE;
  char text[512];
  GuiReadText(window, text, sizeof text);
  if (!GuiSameLabel(text, search->text)) return TRUE;
  search->found = window;
  return FALSE;
}

// The keys of the cursor block, which share their scan codes with the
// number pad and are told apart by the extended flag.
bool IsExtendedKey(WORD vk) {
  switch (vk) {
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: case VK_HOME: case VK_END:
    case VK_PRIOR: case VK_NEXT: case VK_INSERT: case VK_DELETE:
      return true;
  }
  return false;
}

void AddKey(INPUT* input, WORD vk, WORD unicode, bool up) {
  *input = INPUT{};
  input->type = INPUT_KEYBOARD;
  input->ki.wVk = vk;
  input->ki.wScan = unicode ? unicode : static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
  input->ki.dwFlags = (unicode ? KEYEVENTF_UNICODE : 0) | (up ? KEYEVENTF_KEYUP : 0) |
                      (!unicode && IsExtendedKey(vk) ? KEYEVENTF_EXTENDEDKEY : 0);
}

}  // namespace

bool GuiClickControl(HWND button) {
  if (!IsWindow(button)) return false;
  // Posted, not sent: a click that opens a modal box would otherwise hold
  // the caller until somebody answers the box.
  return PostMessageA(button, BM_CLICK, 0, 0) != 0;
}

bool GuiClickButton(HWND parent, int id) {
  HWND button = GuiFindControl(parent, id);
  return button && GuiClickControl(button);
}

bool GuiClickButtonByText(HWND parent, const char* text) {
  ButtonSearch search = {text, NULL};
  EnumChildWindows(parent, CheckButton, reinterpret_cast<LPARAM>(&search));
  return search.found && GuiClickControl(search.found);
}

bool GuiCommand(HWND parent, int id) { return GuiNotifyCommand(parent, id, BN_CLICKED); }

bool GuiNotifyCommand(HWND parent, int id, WORD code) {
  if (!IsWindow(parent)) return false;
  HWND control = GuiFindControl(parent, id);
  return PostMessageA(parent, WM_COMMAND, MAKEWPARAM(id, code),
                      reinterpret_cast<LPARAM>(control)) != 0;
}

int GuiComboCount(HWND combo) {
  DWORD_PTR count = 0;
  if (!GuiAsk(combo, CB_GETCOUNT, 0, 0, &count) || static_cast<LRESULT>(count) == CB_ERR)
    return -1;
  return static_cast<int>(count);
}

bool GuiComboText(HWND combo, int index, char* text, size_t size) {
  if (size) text[0] = 0;
  DWORD_PTR length = 0;
  if (!GuiAsk(combo, CB_GETLBTEXTLEN, index, 0, &length) ||
      static_cast<LRESULT>(length) == CB_ERR || length >= 1024)
    return false;
  // Wine 8 hands CB_GETLBTEXTA from another process back in UTF-16; asked
  // for UTF-16, every system answers alike, and the text is converted here.
  WCHAR wide[1024];
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(wide),
                           SMTO_ABORTIFHUNG, 2000, &copied) ||
      static_cast<LRESULT>(copied) == CB_ERR)
    return false;
  wide[copied < 1024 ? copied : 1023] = 0;
  int needed = WideCharToMultiByte(CP_ACP, 0, wide, -1, NULL, 0, NULL, NULL);
  if (needed <= 0 || static_cast<size_t>(needed) > size) return false;
  return WideCharToMultiByte(CP_ACP, 0, wide, -1, text, static_cast<int>(size), NULL, NULL) > 0;
}

bool GuiSelectComboItem(HWND combo, const char* text) {
  DWORD_PTR index = 0;
  // The system carries CB_SELECTSTRING's text across processes itself.
  if (!GuiAsk(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text),
              &index) ||
      static_cast<LRESULT>(index) == CB_ERR)
    return false;
  HWND parent = GetParent(combo);
  int id = GetDlgCtrlID(combo);
  return PostMessageA(parent, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                      reinterpret_cast<LPARAM>(combo)) != 0;
}

bool GuiSetText(HWND control, const char* text) {
  DWORD_PTR result = 0;
  // WM_SETTEXT is one of the messages the system carries across processes.
  return GuiAsk(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text), &result) && result;
}

bool GuiPostKey(HWND window, WORD vk) {
  if (!IsWindow(window)) return false;
  return PostMessageA(window, WM_KEYDOWN, vk, KeyData(vk, false)) &&
         PostMessageA(window, WM_KEYUP, vk, KeyData(vk, true));
}

bool GuiCloseWindow(HWND window) {
  if (!IsWindow(window)) return false;
  return PostMessageA(window, WM_CLOSE, 0, 0) != 0;
}

bool GuiFocusControl(HWND control) {
  if (!IsWindow(control)) return false;
  HWND top = GetAncestor(control, GA_ROOT);
  DWORD target = GetWindowThreadProcessId(control, NULL);
  DWORD self = GetCurrentThreadId();
  SetForegroundWindow(top);
  // SetFocus acts only on windows of the caller's input state: share the
  // target thread's for the moment of the call.
  bool attached = target != self && AttachThreadInput(self, target, TRUE);
  SetFocus(control);
  HWND focus = GetFocus();
  if (attached) AttachThreadInput(self, target, FALSE);
  return focus == control;
}

bool GuiPressKeys(const WORD* keys, int count) {
  const struct { WORD flag; WORD vk; } modifiers[] = {
      {GuiShift, VK_SHIFT}, {GuiCtrl, VK_CONTROL}, {GuiAlt, VK_MENU}};
  for (int i = 0; i < count; ++i) {
    INPUT input[8];
    int n = 0;
    WORD vk = keys[i] & 0xFF;
    for (const auto& modifier : modifiers)
      if (keys[i] & modifier.flag) AddKey(&input[n++], modifier.vk, 0, false);
    AddKey(&input[n++], vk, 0, false);
    AddKey(&input[n++], vk, 0, true);
    for (int m = 2; m >= 0; --m)
      if (keys[i] & modifiers[m].flag) AddKey(&input[n++], modifiers[m].vk, 0, true);
    if (SendInput(n, input, sizeof(INPUT)) != static_cast<UINT>(n)) return false;
  }
  return true;
}

bool GuiTypeKeys(const char* text) {
  int length = MultiByteToWideChar(CP_ACP, 0, text, -1, NULL, 0);
  if (length <= 0) return false;
  WCHAR* wide = static_cast<WCHAR*>(malloc(length * sizeof(WCHAR)));
  bool ok = wide && MultiByteToWideChar(CP_ACP, 0, text, -1, wide, length) == length;
  for (int i = 0; ok && i + 1 < length; ++i) {
    INPUT input[2];
    AddKey(&input[0], 0, wide[i], false);
    AddKey(&input[1], 0, wide[i], true);
    ok = SendInput(2, input, sizeof(INPUT)) == 2;
  }
  free(wide);
  return ok;
}

bool GuiPostClickAt(HWND window, int x, int y, bool twice) {
  if (!IsWindow(window)) return false;
  LPARAM at = MAKELPARAM(x, y);
  bool ok = PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, at) &&
            PostMessageA(window, WM_LBUTTONUP, 0, at);
  if (ok && twice)
    ok = PostMessageA(window, WM_LBUTTONDBLCLK, MK_LBUTTON, at) &&
         PostMessageA(window, WM_LBUTTONUP, 0, at);
  return ok;
}

