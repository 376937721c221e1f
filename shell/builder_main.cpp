// vqbuilder.exe: the wizard that makes packed executables.
#include <windows.h>

#include "shell/wizard_win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  RunWizard();
  return 0;
}
