// Entry of the extractor stub: start-up, the run in order, and the exit.
#include <windows.h>
#include <commctrl.h>

#include "extractor/errors.h"
#include "extractor/stub.h"
#include "pathvars/pathvars.h"
#include "base/text.h"

RunState gRun;
static char gResolved[VQ_TEXT_SIZE];  // the extraction path with its variables resolved

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

// Every path ends here: removes the meta data copy, deletes what the run
// created when delete files is set, and ends the process with exit code 0
// (success) or 1.
__attribute__((noreturn)) static void ExitExtractor(bool success) {
  if (gRun.progress) DestroyWindow(gRun.progress);
  if (gRun.metaCopy[0]) DeleteFileA(gRun.metaCopy);
  if (gRun.settings.deleteFiles) DeleteExtractedItems();
  ExitProcess(success ? 0 : 1);
}

static StubResult ReadOwnPath() {
  DWORD got = GetModuleFileNameA(nullptr, gRun.ownPath, sizeof gRun.ownPath);
  if (got == 0) return StubFailure(STUB_ERROR_OWN_NAME);
  if (got >= sizeof gRun.ownPath) return {STUB_ERROR_OWN_NAME, ERROR_FILENAME_EXCED_RANGE};
  return {};
}

static StubResult ResolveExtractionFolder() {
  if (ResolvePathVariables(gRun.settings.extractionPath, PATHVARS_PATH, &kStubPathVarSystem,
                           gResolved, sizeof gResolved) == PATHVARS_QUIT)
    return {STUB_END_QUIT, 0};
  size_t length = strlen(gResolved);
  if (length == 0 || gResolved[length - 1] != '\\') AppendText(gResolved, sizeof gResolved, "\\");
  DWORD got = GetFullPathNameA(gResolved, sizeof gRun.folder, gRun.folder, nullptr);
  if (got == 0) return StubFailure(STUB_ERROR_FOLDER_PATH);
  // A folder that does not fit is refused rather than cut: a cut path would
  // extract somewhere else.
  if (got >= sizeof gRun.folder) return {STUB_ERROR_FOLDER_PATH, ERROR_FILENAME_EXCED_RANGE};
  return {};
}

static StubResult OpenArchive() {
  gRun.archive = unzOpen(gRun.ownPath);
  unz_global_info info = {};
  if (!gRun.archive || unzGetGlobalInfo(gRun.archive, &info) != UNZ_OK)
    return StubFailure(STUB_ERROR_ARCHIVE_INFO);
  gRun.entryCount = (uint32_t)info.number_entry;
  return {};
}

// The steps in order, up to the first that fails.
static StubResult RunSteps() {
  StubResult result;
  if ((result = ReadOwnPath()).error || (result = ReadMetaData()).error ||
      (result = ResolveExtractionFolder()).error || (result = OpenArchive()).error)
    return result;
  if (gRun.settings.showProgress) {
    CreateProgressWindow();
    HideProgress();
  }
  if ((gRun.settings.passwordFlag && (result = AskPassword()).error) ||
      (result = ExtractAll()).error)
    return result;
  unzClose(gRun.archive);
  gRun.archive = nullptr;
  HideProgress();
  if ((result = LaunchEntries()).error) return result;
  if (gRun.settings.deleteFiles) WaitForLaunched();
  return result;
}

// The one report: a numbered error shows its box; the ends the user chose
// show nothing more.
static void RunExtractor() {
  StubResult result = RunSteps();
  if (result.error != STUB_ERROR_NONE && result.error <= STUB_ERROR_LAST) ShowErrorBox(result);
  ExitExtractor(result.error == STUB_ERROR_NONE || result.error == STUB_END_CANCELLED);
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
