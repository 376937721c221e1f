// Starting the launch entries after extraction, and waiting for them when
// the extracted files are to be deleted.
#include <windows.h>
#include <shellapi.h>

#include "extractor/errors.h"
#include "extractor/meta_settings.h"
#include "extractor/stub.h"
#include "pathvars/pathvars.h"
#include "base/text.h"

void LaunchEntries() {
  static LaunchSetting entry;
  static char file[VQ_TEXT_SIZE], parameters[VQ_TEXT_SIZE], directory[VQ_TEXT_SIZE];
  for (int n = 0; n < VQ_MAX_LAUNCH; ++n) {
    if (!ReadLaunchSetting(&kStubProfileReader, gRun.metaCopy, n, &entry)) break;
    CopyText(file, sizeof file, gRun.folder);
    AppendText(file, sizeof file, entry.execFile);
    if (!Win32PathExists(file)) continue;
    if (ResolvePathVariables(entry.cmdLine, PATHVARS_COMMAND_LINE, &kStubPathVarSystem, parameters,
                             sizeof parameters) == PATHVARS_QUIT)
      ExitExtractor(false);
    FolderOfPath(file, directory, sizeof directory);

    SHELLEXECUTEINFOA start;
    ZeroMemory(&start, sizeof start);
    start.cbSize = sizeof start;
    start.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    start.hwnd = GetActiveWindow();
    start.lpVerb = "Open";
    start.lpFile = file;
    start.lpParameters = parameters;
    start.lpDirectory = directory;
    start.nShow = ShowCommandOf(entry.winState);
    if (!ShellExecuteExA(&start)) {
      ReportError(STUB_ERROR_LAUNCH);
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
