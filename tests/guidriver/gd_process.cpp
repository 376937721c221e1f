// Starting, waiting for and ending the programs a test drives.
#include "guidriver.h"

#include <stdlib.h>
#include <string.h>

bool GuiStartProgram(const char* commandLine, const char* workFolder, GuiProcess* out) {
  *out = GuiProcess{};
  // CreateProcessA may write into the command line, so it gets a copy.
  char line[32768];
  size_t length = strlen(commandLine);
  if (length >= sizeof line) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  memcpy(line, commandLine, length + 1);
  // The program's standard handles are the null device, not ours: under Wine
  // a started program, and the desktop and service processes Wine may start
  // from it and keep running, would otherwise hold the test's output pipes
  // open, and ctest waits for those until its timeout.
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, NULL, TRUE};
  HANDLE input = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                             OPEN_EXISTING, 0, NULL);
  HANDLE output = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                              OPEN_EXISTING, 0, NULL);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  bool quiet = input != INVALID_HANDLE_VALUE && output != INVALID_HANDLE_VALUE;
  if (quiet) {
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = output;
    startup.hStdError = output;
  }
  PROCESS_INFORMATION info = {};
  BOOL started =
      CreateProcessA(NULL, line, NULL, NULL, quiet, 0, NULL, workFolder, &startup, &info);
  DWORD error = GetLastError();
  if (input != INVALID_HANDLE_VALUE) CloseHandle(input);
  if (output != INVALID_HANDLE_VALUE) CloseHandle(output);
  if (!started) {
    SetLastError(error);
    return false;
  }
  out->process = info.hProcess;
  out->thread = info.hThread;
  out->pid = info.dwProcessId;
  return true;
}

bool GuiWaitProgram(const GuiProcess* program, DWORD timeoutMs, DWORD* exitCode) {
  if (!program->process) return false;
  if (WaitForSingleObject(program->process, timeoutMs) != WAIT_OBJECT_0) return false;
  DWORD code = 0;
  if (!GetExitCodeProcess(program->process, &code)) return false;
  if (exitCode) *exitCode = code;
  return true;
}

bool GuiEndProgram(GuiProcess* program) {
  if (!program->process) return false;
  bool endedAlone = WaitForSingleObject(program->process, 0) == WAIT_OBJECT_0;
  if (!endedAlone) {
    TerminateProcess(program->process, GuiKilledExitCode);
    WaitForSingleObject(program->process, 10000);
  }
  CloseHandle(program->process);
  if (program->thread) CloseHandle(program->thread);
  *program = GuiProcess{};
  return endedAlone;
}

bool GuiBuildTreePath(const char* relative, char* out, size_t size) {
  if (size) out[0] = 0;
  const char* tree = getenv("VQ_BUILD_DIR");
  if (!tree || !tree[0]) return false;
  size_t used = 0;
  auto put = [&](char c) {
    if (used + 1 >= size) return false;
    out[used++] = c == '/' ? '\\' : c;
    return true;
  };
  // A Unix path is reached through Wine's Z: drive; a Windows path is kept.
  bool unix = tree[0] == '/';
  if (unix && !(put('Z') && put(':'))) return false;
  for (const char* c = tree; *c; ++c)
    if (!put(*c)) return false;
  while (*relative == '\\' || *relative == '/') ++relative;
  if (used && out[used - 1] != '\\' && relative[0])
    if (!put('\\')) return false;
  for (const char* c = relative; *c; ++c)
    if (!put(*c)) return false;
  out[used] = 0;
  return true;
}
