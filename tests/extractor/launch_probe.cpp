// Logs how the extractor started it (arguments, working folder, show command)
// into VQ_PROBE_LOG_DIR\NAME.log, may wait or leave a file of its own (as an
// installer would), then notes its end.   probe.exe [--sleep=MS | --leave=PATH] ...
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char folder[MAX_PATH], module[MAX_PATH], log[2 * MAX_PATH], current[MAX_PATH];
  if (!GetEnvironmentVariableA("VQ_PROBE_LOG_DIR", folder, sizeof folder)) return 3;
  GetModuleFileNameA(nullptr, module, sizeof module);
  snprintf(log, sizeof log, "%s\\%s.log", folder, strrchr(module, '\\') + 1);
  GetCurrentDirectoryA(sizeof current, current);
  STARTUPINFOA startup;
  GetStartupInfoA(&startup);
  // Everything behind the program name (quoted or not), as the system passed it.
  const char* args = GetCommandLineA();
  for (bool quoted = false; *args && (quoted || *args != ' '); ++args) quoted ^= *args == '"';
  while (*args == ' ' || *args == '\t') ++args;
  FILE* out = fopen(log, "ab");
  if (!out) return 4;
  fprintf(out, "args=%s\ncwd=%s\nshow=%d\n", args, current,
          (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1);
  fclose(out);
  if (!strncmp(args, "--sleep=", 8)) Sleep((DWORD)atoi(args + 8));
  if (!strncmp(args, "--leave=", 8) && (out = fopen(args + 8, "wb"))) {
    fputs("left by the probe\n", out);
    fclose(out);
  }
  if ((out = fopen(log, "ab"))) fprintf(out, "ended\n");
  return out ? fclose(out) : 4;
}
