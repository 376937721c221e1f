// Runs a packed executable and types the password into its dialog as a user would, so that a bench
// can time protected ones; ends with the packed executable's exit code.
//   password_run.exe PACKED.exe PASSWORD
#include <string>

#include "guidriver.h"

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  GuiProgram packed;
  if (!packed.Start("\"" + std::string(argv[1]) + "\"")) return 3;
  HWND dialog = GuiFindWindow("Password needed.", false, packed.pid, 60000);
  DWORD code = 4;
  if (!dialog || !GuiSetText(GuiFindControl(dialog, 8), argv[2]) || !GuiClickButtonByText(dialog, "&OK"))
    return 4;
  return packed.Wait(600000, &code) ? (int)code : 5;
}
