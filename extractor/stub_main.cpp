// Entry of the extractor stub: start-up, the run in order, and the exit.
#include <windows.h>
#include <commctrl.h>

#include "extractor/errors.h"
#include "extractor/stub.h"
#include "pathvars/pathvars.h"
#include "base/text.h"
#include "base/utf8.h"

RunState gRun;
static char gResolved[VQ_TEXT_SIZE];  // the extraction path with its variables resolved
static WCHAR gItem[VQ_PATH_SIZE];  // an extracted item on its way out

bool NarrowToUtf8(const WCHAR* text, char* out, size_t outSize) {
  if (WideCharToMultiByte(CP_UTF8, 0, text, -1, out, (int)outSize, nullptr, nullptr) > 0)
    return true;
  if (outSize > 0) out[0] = 0;
  return false;
}

bool WidenUtf8(const char* text, WCHAR* out, size_t outUnits) {
  return Utf8ToUtf16(text, out, outUnits) != (size_t)-1;
}

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
    DWORD attributes =
        WidenUtf8(path, gItem, VQ_PATH_SIZE) ? GetFileAttributesW(gItem) : INVALID_FILE_ATTRIBUTES;
    if (attributes != INVALID_FILE_ATTRIBUTES) {
      if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveDirectoryW(gItem);
      else
        DeleteFileW(gItem);
    }
    PopItem(&gRun.items);
  }
}

// Every path ends here: removes the meta data copy, deletes what the run
// created when delete files is set, and ends the process with exit code 0
// (success) or 1.
__attribute__((noreturn)) static void ExitExtractor(bool success) {
  if (gRun.progress) DestroyWindow(gRun.progress);
  if (gRun.metaCopy[0]) DeleteFileW(gRun.metaCopy);
  if (gRun.settings.deleteFiles) DeleteExtractedItems();
  ExitProcess(success ? 0 : 1);
}

static StubResult ReadOwnPath() {
  DWORD got = GetModuleFileNameW(nullptr, gRun.ownPath, VQ_PATH_SIZE);
  if (got == 0) return StubFailure(STUB_ERROR_OWN_NAME);
  if (got >= VQ_PATH_SIZE) return {STUB_ERROR_OWN_NAME, ERROR_FILENAME_EXCED_RANGE};
  return {};
}

static StubResult ResolveExtractionFolder() {
  PathVarResult resolved = ResolvePathVariables(gRun.settings.extractionPath, PATHVARS_PATH,
                                                &kStubPathVarSystem, gResolved, sizeof gResolved);
  if (resolved == PATHVARS_QUIT) return {STUB_END_QUIT, 0};
  size_t length = strlen(gResolved);
  // A folder that does not fit is refused rather than cut: a cut path would
  // extract somewhere else.
  if (resolved == PATHVARS_CUT ||
      ((length == 0 || gResolved[length - 1] != '\\') &&
       !AppendText(gResolved, sizeof gResolved, "\\")))
    return {STUB_ERROR_FOLDER_PATH, ERROR_FILENAME_EXCED_RANGE};
  WCHAR wide[VQ_PATH_SIZE];
  if (!WidenUtf8(gResolved, wide, VQ_PATH_SIZE))
    return {STUB_ERROR_FOLDER_PATH, ERROR_FILENAME_EXCED_RANGE};
  DWORD got = GetFullPathNameW(wide, VQ_PATH_SIZE, gRun.folder, nullptr);
  if (got == 0) return StubFailure(STUB_ERROR_FOLDER_PATH);
  if (got >= VQ_PATH_SIZE || !NarrowToUtf8(gRun.folder, gRun.folderUtf8, sizeof gRun.folderUtf8))
    return {STUB_ERROR_FOLDER_PATH, ERROR_FILENAME_EXCED_RANGE};
  return {};
}

static StubResult OpenArchive() {
  // The reader's file functions open gRun.ownPath themselves.
  gRun.archive = unzOpen("");
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
