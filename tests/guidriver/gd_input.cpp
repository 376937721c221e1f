// Clicks, text and keys for windows of another process.
#include "guidriver.h"

#include <string>

namespace {

// Posted, not sent: a click that opens a modal box would otherwise hold the caller until it is answered.
bool Click(HWND button) { return button && PostMessageA(button, BM_CLICK, 0, 0); }

bool PostCommand(HWND parent, int id, WORD code, HWND control) {
  return IsWindow(parent) &&
         PostMessageA(parent, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control));
}

LPARAM KeyData(WORD vk, bool up) {
  LPARAM data = 1 | (static_cast<LPARAM>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC) & 0xFF) << 16);
  if (up) data |= (1u << 30) | (1u << 31);
  return data;
}

// Sends a press and release of virtual key vk, or (vk 0) of Unicode character unicode, as real input.
bool SendPress(WORD vk, WCHAR unicode) {
  INPUT input[2] = {};
  for (int i = 0; i < 2; ++i) {
    input[i].type = INPUT_KEYBOARD;
    input[i].ki.wVk = vk;
    input[i].ki.wScan = unicode ? unicode : static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
    input[i].ki.dwFlags = (unicode ? KEYEVENTF_UNICODE : 0) | (i ? KEYEVENTF_KEYUP : 0);
  }
  return SendInput(2, input, sizeof(INPUT)) == 2;
}

}  // namespace

bool GuiClickButton(HWND parent, int id) { return Click(GuiFindControl(parent, id)); }

bool GuiClickButtonByText(HWND parent, const char* text) {
  return Click(GuiFindControlByText(parent, text, "Button"));
}

bool GuiNotifyCommand(HWND parent, int id, WORD code) {
  return PostCommand(parent, id, code, GuiFindControl(parent, id));
}

int GuiComboCount(HWND combo) {
  DWORD_PTR count = 0;
  if (!GuiAsk(combo, CB_GETCOUNT, 0, 0, &count) || static_cast<LRESULT>(count) == CB_ERR) return -1;
  return static_cast<int>(count);
}

bool GuiComboText(HWND combo, int index, char* text, size_t size) {
  if (size) text[0] = 0;
  DWORD_PTR length = 0;
  if (!GuiAsk(combo, CB_GETLBTEXTLEN, index, 0, &length) || static_cast<LRESULT>(length) == CB_ERR || length >= 1024)
    return false;
  // Wine 8 answers CB_GETLBTEXTA from another process in UTF-16; asked in UTF-16, every system answers alike.
  WCHAR wide[1024];
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(wide), SMTO_ABORTIFHUNG, 2000,
                           &copied) ||
      static_cast<LRESULT>(copied) == CB_ERR)
    return false;
  wide[copied < 1024 ? copied : 1023] = 0;
  return WideCharToMultiByte(CP_ACP, 0, wide, -1, text, static_cast<int>(size), NULL, NULL) > 0;
}

bool GuiSelectComboItem(HWND combo, const char* text) {
  DWORD_PTR index = 0;
  return GuiAsk(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text), &index) &&
         static_cast<LRESULT>(index) != CB_ERR &&
         PostCommand(GetParent(combo), GetDlgCtrlID(combo), CBN_SELCHANGE, combo);
}

bool GuiSetText(HWND control, const char* text) {
  DWORD_PTR result = 0;
  return GuiAsk(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text), &result) && result;
}

bool GuiPostKey(HWND window, WORD vk) {
  return IsWindow(window) && PostMessageA(window, WM_KEYDOWN, vk, KeyData(vk, false)) &&
         PostMessageA(window, WM_KEYUP, vk, KeyData(vk, true));
}

bool GuiCloseWindow(HWND window) { return IsWindow(window) && PostMessageA(window, WM_CLOSE, 0, 0); }

bool GuiPostClickAt(HWND window, int x, int y, bool twice) {
  LPARAM at = MAKELPARAM(x, y);
  bool ok = IsWindow(window) && PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, at) &&
            PostMessageA(window, WM_LBUTTONUP, 0, at);
  if (ok && twice)
    ok = PostMessageA(window, WM_LBUTTONDBLCLK, MK_LBUTTON, at) && PostMessageA(window, WM_LBUTTONUP, 0, at);
  return ok;
}

bool GuiFocusControl(HWND control) {
  if (!IsWindow(control)) return false;
  DWORD target = GetWindowThreadProcessId(control, NULL);
  DWORD self = GetCurrentThreadId();
  SetForegroundWindow(GetAncestor(control, GA_ROOT));
  // SetFocus acts only on windows of the caller's input state: share the target thread's for the call.
  bool attached = target != self && AttachThreadInput(self, target, TRUE);
  SetFocus(control);
  HWND focus = GetFocus();
  if (attached) AttachThreadInput(self, target, FALSE);
  return focus == control;
}

bool GuiPressKeys(const WORD* keys, int count) {
  for (int i = 0; i < count; ++i)
    if (!SendPress(keys[i], 0)) return false;
  return true;
}

bool GuiTypeKeys(const char* text) {
  int length = MultiByteToWideChar(CP_ACP, 0, text, -1, NULL, 0);
  if (length <= 0) return false;
  std::wstring wide(length, L'\0');
  if (MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], length) != length) return false;
  for (int i = 0; i + 1 < length; ++i)
    if (!SendPress(0, wide[i])) return false;
  return true;
}
