// Starting the launch entries after extraction, and waiting for them when
// the extracted files are to be deleted.
#include <windows.h>
#include <shellapi.h>

#include "extractor/errors.h"
#include "extractor/meta_settings.h"
#include "extractor/stub.h"
#include "pathvars/pathvars.h"
#include "base/text.h"

// One launch entry at a time, kept off the stack.
static LaunchSetting gEntry;
static char gFile[VQ_TEXT_SIZE], gParameters[VQ_TEXT_SIZE], gDirectory[VQ_TEXT_SIZE];

StubResult LaunchEntries() {
  for (int n = 0; n < VQ_MAX_LAUNCH; ++n) {
    if (!ReadLaunchSetting(&kStubProfileReader, gRun.metaBlock, n, &gEntry)) break;
    CopyText(gFile, sizeof gFile, gRun.folder);
    AppendText(gFile, sizeof gFile, gEntry.execFile);
    if (!Win32PathExists(gFile)) continue;
    if (ResolvePathVariables(gEntry.cmdLine, PATHVARS_COMMAND_LINE, &kStubPathVarSystem,
                             gParameters, sizeof gParameters) == PATHVARS_QUIT)
      return {STUB_END_QUIT, 0};
    FolderOfPath(gFile, gDirectory, sizeof gDirectory);

    SHELLEXECUTEINFOA start;
    ZeroMemory(&start, sizeof start);
    start.cbSize = sizeof start;
    start.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    start.hwnd = GetActiveWindow();
    start.lpVerb = "Open";
    start.lpFile = gFile;
    start.lpParameters = gParameters;
    start.lpDirectory = gDirectory;
    start.nShow = ShowCommandOf(gEntry.winState);
    if (!ShellExecuteExA(&start)) {
      ShowErrorBox(StubFailure(STUB_ERROR_LAUNCH));  // a warning: the others still start
      continue;
    }
    // A start handed to a program that was running already gives no process
    // to wait for.
    if (start.hProcess) gRun.processes[gRun.processCount++] = start.hProcess;
  }
  return {};
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
