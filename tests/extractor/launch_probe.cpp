// May wait or leave a file of its own (as an installer would), then logs how the extractor started it
// (arguments, working folder, show command), in UTF-8 as read in UTF-16, and its end into
// VQ_PROBE_LOG_DIR\NAME.log: a log that is there is a run that ended.   probe.exe [--sleep=MS | --leave=PATH] ...
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  wchar_t folder[MAX_PATH], module[MAX_PATH], log[2 * MAX_PATH], current[MAX_PATH];
  if (!GetEnvironmentVariableW(L"VQ_PROBE_LOG_DIR", folder, MAX_PATH)) return 3;
  GetModuleFileNameW(nullptr, module, MAX_PATH);
  swprintf(log, 2 * MAX_PATH, L"%ls\\%ls.log", folder, wcsrchr(module, L'\\') + 1);
  GetCurrentDirectoryW(MAX_PATH, current);
  STARTUPINFOW startup;
  GetStartupInfoW(&startup);
  // Everything behind the program name (quoted or not), as the system passed it.
  const wchar_t* args = GetCommandLineW();
  for (bool quoted = false; *args && (quoted || *args != ' '); ++args) quoted ^= *args == '"';
  while (*args == ' ' || *args == '\t') ++args;
  char utf8[2][4096] = {};
  WideCharToMultiByte(CP_UTF8, 0, args, -1, utf8[0], sizeof utf8[0], nullptr, nullptr);
  WideCharToMultiByte(CP_UTF8, 0, current, -1, utf8[1], sizeof utf8[1], nullptr, nullptr);
  if (!wcsncmp(args, L"--sleep=", 8)) Sleep((DWORD)_wtoi(args + 8));
  FILE* out = wcsncmp(args, L"--leave=", 8) ? nullptr : _wfopen(args + 8, L"wb");
  if (out && (fputs("left by the probe\n", out) < 0 || fclose(out))) return 4;
  if (!(out = _wfopen(log, L"ab"))) return 4;
  fprintf(out, "args=%s\ncwd=%s\nshow=%d\nended\n", utf8[0], utf8[1],
          (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1);
  return fclose(out) ? 4 : 0;
}
