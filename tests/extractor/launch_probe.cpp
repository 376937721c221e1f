// Logs how the extractor started it (arguments, working folder, show command)
// into VQ_PROBE_LOG_DIR\NAME.log, in UTF-8 as read in UTF-16, may wait or
// leave a file of its own (as an installer would), then notes its end.
//   probe.exe [--sleep=MS | --leave=PATH] ...
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

static const char* Utf8(const wchar_t* text, char* out, int outSize) {
  if (!WideCharToMultiByte(CP_UTF8, 0, text, -1, out, outSize, nullptr, nullptr)) out[0] = 0;
  return out;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  wchar_t folder[MAX_PATH], module[MAX_PATH], log[2 * MAX_PATH], current[MAX_PATH];
  if (!GetEnvironmentVariableW(L"VQ_PROBE_LOG_DIR", folder, MAX_PATH)) return 3;
  GetModuleFileNameW(nullptr, module, MAX_PATH);
  swprintf(log, 2 * MAX_PATH, L"%ls\\%ls.log", folder, wcsrchr(module, L'\\') + 1);
  GetCurrentDirectoryW(MAX_PATH, current);
  STARTUPINFOW startup;
  GetStartupInfoW(&startup);
  // Everything behind the program name (quoted or not), as the system passed it.
  const wchar_t* wideArgs = GetCommandLineW();
  for (bool quoted = false; *wideArgs && (quoted || *wideArgs != ' '); ++wideArgs) quoted ^= *wideArgs == '"';
  while (*wideArgs == ' ' || *wideArgs == '\t') ++wideArgs;
  char args[4096], cwd[3 * MAX_PATH];
  Utf8(wideArgs, args, sizeof args);
  FILE* out = _wfopen(log, L"ab");
  if (!out) return 4;
  fprintf(out, "args=%s\ncwd=%s\nshow=%d\n", args, Utf8(current, cwd, sizeof cwd),
          (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1);
  fclose(out);
  if (!strncmp(args, "--sleep=", 8)) Sleep((DWORD)atoi(args + 8));
  if (!wcsncmp(wideArgs, L"--leave=", 8) && (out = _wfopen(wideArgs + 8, L"wb"))) {
    fputs("left by the probe\n", out);
    fclose(out);
  }
  if ((out = _wfopen(log, L"ab"))) fprintf(out, "ended\n");
  return out ? fclose(out) : 4;
}
