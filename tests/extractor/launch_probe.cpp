// A program for the extractor's launch tests: records how it was started
// (arguments, working folder, show command) in a log named after itself in
// the folder VQ_PROBE_LOG_DIR names, optionally waits or leaves a file of its
// own (as an installer would), then notes its end.
//   probe.exe [--sleep=MS | --leave=PATH] anything...
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

// Everything behind the program name, as the system passed it.
static const char* Tail(const char* line) {
  const char* p = line;
  while (*p && *p != ' ') {
    if (*p == '"') {
      const char* close = strchr(p + 1, '"');
      p = close ? close + 1 : p + strlen(p);
    } else {
      ++p;
    }
  }
  while (*p == ' ' || *p == '\t') ++p;
  return p;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char folder[MAX_PATH], module[MAX_PATH], log[2 * MAX_PATH], current[MAX_PATH];
  if (!GetEnvironmentVariableA("VQ_PROBE_LOG_DIR", folder, sizeof folder)) return 3;
  GetModuleFileNameA(nullptr, module, sizeof module);
  const char* name = strrchr(module, '\\') ? strrchr(module, '\\') + 1 : module;
  snprintf(log, sizeof log, "%s\\%s.log", folder, name);
  GetCurrentDirectoryA(sizeof current, current);
  STARTUPINFOA startup;
  GetStartupInfoA(&startup);
  int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1;
  const char* args = Tail(GetCommandLineA());

  FILE* out = fopen(log, "ab");
  if (!out) return 4;
  fprintf(out, "args=%s\ncwd=%s\nshow=%d\n", args, current, show);
  fclose(out);

  if (strncmp(args, "--sleep=", 8) == 0) Sleep((DWORD)atoi(args + 8));
  if (strncmp(args, "--leave=", 8) == 0) {
    out = fopen(args + 8, "wb");
    if (!out) return 5;
    fputs("left by the probe\n", out);
    fclose(out);
  }
  out = fopen(log, "ab");
  if (!out) return 4;
  fprintf(out, "ended\n");
  fclose(out);
  return 0;
}
