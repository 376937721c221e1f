// Messages to windows of another process, with a time limit, and with a
// text parameter placed in the target's memory.
#include "gd_remote.h"
#include "guidriver.h"

#include <string.h>

namespace {

// How long the target may take to answer before the driver gives up.
const UINT kAnswerMs = 2000;

}  // namespace

bool GuiAsk(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result) {
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kAnswerMs,
                           &answer))
    return false;
  if (result) *result = answer;
  return true;
}

bool GuiSendTextMessage(HWND window, UINT message, WPARAM wParam, const char* text,
                        DWORD_PTR* result) {
  size_t size = strlen(text) + 1;
  RemoteBlock block;
  if (!OpenRemote(window, size, &block)) return false;
  bool ok = WriteRemote(&block, 0, text, size) &&
            AskWithRemote(window, &block, message, wParam, result);
  CloseRemote(&block);
  return ok;
}
