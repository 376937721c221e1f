// Starting, waiting for and ending the programs a test drives.
#include "guidriver.h"

#include <stdio.h>
#include <stdlib.h>

#include <string>

bool GuiStartProgram(const char* commandLine, const char* workFolder, GuiProcess* out) {
  *out = GuiProcess{};
  std::string line = commandLine;  // CreateProcessA may write into it
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, NULL, TRUE};
  HANDLE null = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                            OPEN_EXISTING, 0, NULL);
  if (null == INVALID_HANDLE_VALUE) return false;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = null;
  startup.hStdOutput = null;
  startup.hStdError = null;
  PROCESS_INFORMATION info = {};
  BOOL started = CreateProcessA(NULL, &line[0], NULL, NULL, TRUE, 0, NULL, workFolder, &startup, &info);
  DWORD error = GetLastError();
  CloseHandle(null);
  SetLastError(error);
  if (!started) return false;
  CloseHandle(info.hThread);
  out->process = info.hProcess;
  out->pid = info.dwProcessId;
  return true;
}

bool GuiWaitProgram(const GuiProcess* program, DWORD timeoutMs, DWORD* exitCode) {
  DWORD code = 0;
  if (!program->process || WaitForSingleObject(program->process, timeoutMs) != WAIT_OBJECT_0 ||
      !GetExitCodeProcess(program->process, &code))
    return false;
  if (exitCode) *exitCode = code;
  return true;
}

void GuiEndProgram(GuiProcess* program) {
  if (!program->process) return;
  TerminateProcess(program->process, 0xDEAD);  // fails harmlessly when it has ended
  WaitForSingleObject(program->process, 10000);
  CloseHandle(program->process);
  *program = GuiProcess{};
}

bool GuiBuildTreePath(const char* relative, char* out, size_t size) {
  if (size) out[0] = 0;
  const char* tree = getenv("VQ_BUILD_DIR");
  if (!tree || !tree[0]) return false;
  while (*relative == '\\' || *relative == '/') ++relative;
  // A Unix path is reached through Wine's Z: drive.
  int length = snprintf(out, size, "%s%s\\%s", tree[0] == '/' ? "Z:" : "", tree, relative);
  if (length < 0 || static_cast<size_t>(length) >= size) return false;
  for (char* c = out; *c; ++c)
    if (*c == '/') *c = '\\';
  return true;
}
