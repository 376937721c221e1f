// Starting, waiting for and ending the programs a test drives.
#include "guidriver.h"

#include <stdlib.h>

bool GuiProgram::Start(const std::string& commandLine, const char* workFolder) {
  if (process) return false;
  std::string line = commandLine;  // CreateProcessA may write into it
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, NULL, TRUE};
  HANDLE null = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                            OPEN_EXISTING, 0, NULL);
  if (null == INVALID_HANDLE_VALUE) return false;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = startup.hStdOutput = startup.hStdError = null;
  PROCESS_INFORMATION info = {};
  BOOL started = CreateProcessA(NULL, &line[0], NULL, NULL, TRUE, 0, NULL, workFolder, &startup, &info);
  CloseHandle(null);
  if (!started) return false;
  CloseHandle(info.hThread);
  process = info.hProcess;
  pid = info.dwProcessId;
  return true;
}

bool GuiProgram::Wait(DWORD timeoutMs, DWORD* exitCode) const {
  DWORD code = 0;
  if (!process || WaitForSingleObject(process, timeoutMs) != WAIT_OBJECT_0 || !GetExitCodeProcess(process, &code))
    return false;
  if (exitCode) *exitCode = code;
  return true;
}

GuiProgram::~GuiProgram() {
  if (!process) return;
  TerminateProcess(process, 0xDEAD);  // fails harmlessly when it has ended
  WaitForSingleObject(process, 10000);
  CloseHandle(process);
}

std::string GuiBuildTreePath(const std::string& relative) {
  const char* tree = getenv("VQ_BUILD_DIR");
  if (!tree || !tree[0]) return "";
  // A Unix path is reached through Wine's Z: drive.
  std::string path = (tree[0] == '/' ? "Z:" : "") + std::string(tree) + "\\" + relative;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}
