// Starting, waiting for and ending the programs a test drives.
#include "guidriver.h"

#include <stdlib.h>

bool GuiProgram::Start(const std::string& commandLine, const char* workFolder) {
  if (process) return false;
  // UTF-8 when it is well-formed (names in any language), else the code page; CreateProcessW may write into it.
  std::wstring line(commandLine.size() + 1, L'\0');
  if (!MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, commandLine.c_str(), -1, &line[0], (int)line.size()))
    MultiByteToWideChar(CP_ACP, 0, commandLine.c_str(), -1, &line[0], (int)line.size());
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, NULL, TRUE};
  HANDLE null = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                            OPEN_EXISTING, 0, NULL);
  if (null == INVALID_HANDLE_VALUE) return false;
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = startup.hStdOutput = startup.hStdError = null;
  PROCESS_INFORMATION info = {};
  wchar_t folder[MAX_PATH];
  if (workFolder && !MultiByteToWideChar(CP_ACP, 0, workFolder, -1, folder, MAX_PATH)) return CloseHandle(null), false;
  BOOL started = CreateProcessW(NULL, &line[0], NULL, NULL, TRUE, 0, NULL, workFolder ? folder : NULL, &startup, &info);
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
