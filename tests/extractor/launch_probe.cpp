// Logs how the extractor started it (arguments, working folder, show command), in UTF-8 as read in
// UTF-16, into VQ_PROBE_LOG_DIR\NAME.log, may wait or leave a file of its own (as an installer would),
// then notes its end.   probe.exe [--sleep=MS | --leave=PATH] ...
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
  FILE* out = _wfopen(log, L"ab");
  if (!out) return 4;
  fprintf(out, "args=%s\ncwd=%s\nshow=%d\n", utf8[0], utf8[1],
          (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1);
  fclose(out);
  if (!wcsncmp(args, L"--sleep=", 8)) Sleep((DWORD)_wtoi(args + 8));
  if (!wcsncmp(args, L"--leave=", 8) && (out = _wfopen(args + 8, L"wb"))) {
    fputs("left by the probe\n", out);
    fclose(out);
  }
  if ((out = _wfopen(log, L"ab"))) fprintf(out, "ended\n");
  return out ? fclose(out) : 4;
}
