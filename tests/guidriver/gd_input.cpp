// Clicks, text and keys for windows of another process.
#include "guidriver.h"

namespace {

// Posted, not sent: a click that opens a modal box would otherwise hold the caller until it is answered.
bool Click(HWND button) { return button && PostMessageA(button, BM_CLICK, 0, 0); }

bool PostCommand(HWND parent, int id, WORD code, HWND control) {
  return IsWindow(parent) &&
         PostMessageA(parent, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control));
}

LPARAM KeyData(WORD vk, bool up) {
  LPARAM data = 1 | (static_cast<LPARAM>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC) & 0xFF) << 16);
  return up ? data | (1u << 30) | (1u << 31) : data;
}

}  // namespace

bool GuiClickButton(HWND parent, int id) { return Click(GuiFindControl(parent, id)); }

bool GuiClickButtonByText(HWND parent, const char* text) {
  return Click(GuiFindControlByText(parent, text, "Button"));
}

bool GuiNotifyCommand(HWND parent, int id, WORD code) {
  return PostCommand(parent, id, code, GuiFindControl(parent, id));
}

bool GuiSelectComboItem(HWND combo, const char* text) {
  DWORD_PTR index = 0;
  return GuiAsk(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text), &index) &&
         static_cast<LRESULT>(index) != CB_ERR &&
         PostCommand(GetParent(combo), GetDlgCtrlID(combo), CBN_SELCHANGE, combo);
}

bool GuiSetText(HWND control, const std::string& text) {
  DWORD_PTR result = 0;
  return GuiAsk(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), &result) && result;
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
