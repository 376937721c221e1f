// Starting the launch entries after extraction, and waiting for them when
// the extracted files are to be deleted.
#include <windows.h>
#include <shellapi.h>

#include "extractor/stub.h"
#include "pathvars/pathvars.h"
#include "shell/paths.h"

static void ReadLaunchValue(const char* key, int n, char* out) {
  char name[32];
  wsprintfA(name, "%s%d", key, n);
  GetPrivateProfileStringA("VQ", name, "", out, STUB_TEXT_SIZE, gRun.metaCopy);
}

void LaunchEntries() {
  static char execFile[STUB_TEXT_SIZE], cmdLine[STUB_TEXT_SIZE], winState[STUB_TEXT_SIZE];
  static char file[STUB_TEXT_SIZE], parameters[STUB_TEXT_SIZE], directory[STUB_TEXT_SIZE];
  for (int n = 0; n < STUB_MAX_LAUNCH; ++n) {
    ReadLaunchValue("ExecFile", n, execFile);
    if (!execFile[0]) break;
    ReadLaunchValue("CmdLine", n, cmdLine);
    ReadLaunchValue("WinState", n, winState);
    CopyText(file, sizeof file, gRun.folder);
    AppendText(file, sizeof file, execFile);
    ++gRun.started;
    if (!StubPathExists(file)) {
      ++gRun.failed;
      continue;
    }
    if (ResolvePathVariables(cmdLine, &kStubPathVarSystem, parameters, sizeof parameters) ==
        PATHVARS_QUIT)
      ExitExtractor(false);
    FolderOfFile(file, directory, sizeof directory);

    SHELLEXECUTEINFOA start;
    ZeroMemory(&start, sizeof start);
    start.cbSize = sizeof start;
    start.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    start.hwnd = GetActiveWindow();
    start.lpVerb = "Open";
    start.lpFile = file;
    start.lpParameters = parameters;
    start.lpDirectory = directory;
    start.nShow = ShowCommandOf(winState);
    if (!ShellExecuteExA(&start)) {
      ReportError(20);
      ++gRun.failed;
      continue;
    }
    // A start handed to a program that was running already gives no process
    // to wait for.
    if (start.hProcess) gRun.processes[gRun.processCount++] = start.hProcess;
  }
}

void WaitForLaunched() {
  enum { WAIT_RETRY_MS = 500, MAX_FAILED_WAITS = 20 };
  if (gRun.processCount == 0) return;
  int failedWaits = 0;
  for (;;) {
    DWORD result = WaitForMultipleObjects((DWORD)gRun.processCount, gRun.processes, TRUE, INFINITE);
    Sleep(WAIT_RETRY_MS);
    if (result < WAIT_OBJECT_0 + (DWORD)gRun.processCount) return;  // all have ended
    // A wait that keeps failing would hold the run for ever; after ten
    // seconds of failures the exit goes ahead.
    if (result == WAIT_FAILED && ++failedWaits >= MAX_FAILED_WAITS) return;
  }
}
