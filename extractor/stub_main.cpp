// Entry of the extractor stub: start-up, the run in order, and the exit.
#include <windows.h>
#include <commctrl.h>

#include "extractor/errors.h"
#include "extractor/stub.h"
#include "pathvars/pathvars.h"
#include "base/text.h"

RunState gRun;

// Later loads by name (the shell's helpers, the browse dialog's) come from
// System32 only, never from the folder the packed executable was started
// in. The call is missing before Windows 8 without KB2533623: then only the
// current folder is taken out of the search.
static void LoadSystemLibrariesSafely() {
  typedef BOOL(WINAPI * SetDefaultDllDirectoriesFunction)(DWORD);
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  SetDefaultDllDirectoriesFunction setDirectories =
      (SetDefaultDllDirectoriesFunction)(void*)GetProcAddress(kernel, "SetDefaultDllDirectories");
  if (!setDirectories || !setDirectories(0x800 /* LOAD_LIBRARY_SEARCH_SYSTEM32 */))
    SetDllDirectoryA("");
}

// Newest first: each file, then the folders made for it, deepest first. A
// folder goes only while it is empty (RemoveDirectoryA refuses otherwise),
// so whatever else landed in it since, say from a started installer, stays
// and keeps its folder. Failures are ignored: an item still in use stays.
static void DeleteExtractedItems() {
  while (const char* path = TopItem(&gRun.items)) {
    DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES) {
      if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveDirectoryA(path);
      else
        DeleteFileA(path);
    }
    PopItem(&gRun.items);
  }
}

void ExitExtractor(bool success) {
  if (gRun.progress) DestroyWindow(gRun.progress);
  if (gRun.metaCopy[0]) DeleteFileA(gRun.metaCopy);
  if (gRun.deleteFiles) DeleteExtractedItems();
  ExitProcess(success ? 0 : 1);
}

static void OpenArchive() {
  gRun.archive = unzOpen(gRun.ownPath);
  unz_global_info info = {};
  if (!gRun.archive || unzGetGlobalInfo(gRun.archive, &info) != UNZ_OK) ReportError(STUB_ERROR_ARCHIVE_INFO);
  gRun.entryCount = (uint32_t)info.number_entry;
}

static void ResolveExtractionFolder() {
  static char resolved[VQ_TEXT_SIZE];
  if (ResolvePathVariables(gRun.extractionPath, PATHVARS_PATH, &kStubPathVarSystem, resolved,
                           sizeof resolved) == PATHVARS_QUIT)
    ExitExtractor(false);
  size_t length = strlen(resolved);
  if (length == 0 || resolved[length - 1] != '\\') AppendText(resolved, sizeof resolved, "\\");
  DWORD got = GetFullPathNameA(resolved, sizeof gRun.folder, gRun.folder, nullptr);
  if (got == 0) ReportError(STUB_ERROR_FOLDER_PATH);
  // A folder that does not fit is refused rather than cut: a cut path would
  // extract somewhere else.
  if (got >= sizeof gRun.folder) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    ReportError(STUB_ERROR_FOLDER_PATH);
  }
}

static void RunExtractor() {
  DWORD got = GetModuleFileNameA(nullptr, gRun.ownPath, sizeof gRun.ownPath);
  if (got == 0) ReportError(STUB_ERROR_OWN_NAME);
  if (got >= sizeof gRun.ownPath) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    ReportError(STUB_ERROR_OWN_NAME);
  }
  ReadMetaData();
  ResolveExtractionFolder();
  OpenArchive();
  if (gRun.showProgress) {
    CreateProgressWindow();
    HideProgress();
  }
  if (gRun.passwordFlag) AskPassword();
  ExtractAll();
  unzClose(gRun.archive);
  gRun.archive = nullptr;
  HideProgress();
  LaunchEntries();
  if (gRun.deleteFiles) WaitForLaunched();
  ExitExtractor(true);
}

// The process starts here, without the C runtime's start-up code, which
// would cost the stub several kilobytes: the stub has no constructors and no
// arguments to split, and the runtime DLL readies itself when loaded.
extern "C" void WINAPI StubEntry() {
  LoadSystemLibrariesSafely();
  gRun.instance = GetModuleHandleA(nullptr);
  INITCOMMONCONTROLSEX controls = {sizeof controls, 0x33F};
  InitCommonControlsEx(&controls);
  RunExtractor();
}
