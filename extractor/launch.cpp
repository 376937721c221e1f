// Starting the launch entries after extraction, and waiting for them when
// the extracted files are to be deleted.
#include <windows.h>
#include <shellapi.h>

#include "extractor/errors.h"
#include "extractor/meta_settings.h"
#include "base/utf8.h"
#include "extractor/stub.h"
#include "pathvars/pathvars.h"
#include "base/text.h"

// One launch entry at a time, kept off the stack. The file, its folder and
// its arguments go to the shell in UTF-16, exactly as the block gives them.
static LaunchSetting gEntry;
static char gParameters[VQ_TEXT_SIZE];
static WCHAR gFile[VQ_TEXT_SIZE], gWideParameters[VQ_TEXT_SIZE], gDirectory[VQ_TEXT_SIZE];

// The entry's file below the extraction folder and its folder; false when
// a value does not fit whole.
static bool PrepareFile() {
  size_t folderUnits = (size_t)(CopyUtf16(gFile, gRun.folder) - gFile);
  if (gEntry.cut || !WidenUtf8(gEntry.execFile, gFile + folderUnits, VQ_TEXT_SIZE - folderUnits))
    return false;
  for (WCHAR* p = CopyUtf16(gDirectory, gFile); p > gDirectory;)
    if (*--p == '\\') {
      *p = 0;
      break;
    }
  return true;
}

// The entry's resolved arguments; false when they do not fit whole.
static bool PrepareArguments(PathVarResult* resolved) {
  *resolved = ResolvePathVariables(gEntry.cmdLine, PATHVARS_COMMAND_LINE, &kStubPathVarSystem,
                                   gParameters, sizeof gParameters);
  return *resolved == PATHVARS_OK && WidenUtf8(gParameters, gWideParameters, VQ_TEXT_SIZE);
}

StubResult LaunchEntries() {
  for (int n = 0; n < VQ_MAX_LAUNCH; ++n) {
    if (!ReadLaunchSetting(&kStubProfileReader, gRun.metaBlock, n, &gEntry)) break;
    bool ready = PrepareFile();
    if (ready && GetFileAttributesW(gFile) == INVALID_FILE_ATTRIBUTES) continue;
    PathVarResult resolved = PATHVARS_OK;
    ready = ready && PrepareArguments(&resolved);
    if (resolved == PATHVARS_QUIT) return {STUB_END_QUIT, 0};

    SHELLEXECUTEINFOW start;
    ZeroMemory(&start, sizeof start);
    start.cbSize = sizeof start;
    start.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    start.hwnd = GetActiveWindow();
    start.lpVerb = L"Open";
    start.lpFile = gFile;
    start.lpParameters = gWideParameters;
    start.lpDirectory = gDirectory;
    start.nShow = ShowCommandOf(gEntry.winState);
    if (!ready || !ShellExecuteExW(&start)) {  // a warning: the others still start
      StubResult failure = {STUB_ERROR_LAUNCH, ERROR_FILENAME_EXCED_RANGE};
      ShowErrorBox(ready ? StubFailure(STUB_ERROR_LAUNCH) : failure);
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
