// The extractor stub's run: one record for the whole process, and the
// procedures of its steps. Win32 ANSI, C-style (no exceptions, no C++
// runtime), to keep the stub small.
#pragma once

#include <windows.h>

#include "extractor/errors.h"
#include "extractor/run_rules.h"
#include "pathvars/system_win32.h"
#include "unzip.h"

enum {
  STUB_CHUNK_SIZE = 1000000, // entries are written in chunks of this size
  STUB_PROGRESS_REPAINT_MS = 50,  // the progress window repaints at most this often
};

struct RunState {
  HINSTANCE instance;
  char ownPath[VQ_PATH_SIZE];
  char metaCopy[VQ_PATH_SIZE];  // empty until the temporary copy exists
  char extractionPath[VQ_PATH_SIZE];
  uint32_t unzipSize;
  bool showProgress;
  bool deleteFiles;
  bool passwordFlag;
  int overwriteMode;
  char folder[VQ_PATH_SIZE];  // resolved, absolute, ends with "\"
  unzFile archive;
  uint32_t entryCount;
  HWND progress;  // progress window, when shown at all
  HWND progressPercent;
  HWND progressBar;
  char password[VQ_TEXT_SIZE];
  bool replaceAnswer;
  uint32_t extractedBytes;
  ItemList items;  // what the run created, newest first
  HANDLE processes[VQ_MAX_LAUNCH];
  int processCount;  // handles to wait for (launches that gave one)
};

extern RunState gRun;

// ---------------------------------------------------------------- run
// Every path ends here: removes the meta data copy, deletes what the run
// created when delete files is set, and ends the process with exit code 0
// (success) or 1.
__attribute__((noreturn)) void ExitExtractor(bool success);

// Finds the meta data block in the own file, copies it to the temporary
// "VQ" file and reads the settings. Fatal errors end the run inside.
void ReadMetaData();
// The Windows profile functions, for reading the meta data copy.
extern const struct ProfileReader kStubProfileReader;

// Extracts every entry of the open archive. Fatal errors end the run inside.
void ExtractAll();

// Starts the launch entries and, when files are to be deleted, waits for
// the programs started.
void LaunchEntries();
void WaitForLaunched();

// The path variable system of the running stub.
struct PathVarSystem;
extern const PathVarSystem kStubPathVarSystem;


// ---------------------------------------------------------------- windows
// Shows the message of one error code (1..28). Fatal codes end the run;
// returns only for 20 (IDOK) and 28 (IDYES or IDNO).
int ReportError(StubError code);

// Creates the progress window (hidden).
void CreateProgressWindow();
// Shows the progress window with the current extracted byte count.
void UpdateProgress();
void HideProgress();

// The password dialog: returns after OK with gRun.password set; Cancel or
// the close box end the run with exit code 0.
void AskPassword();

// The replace dialog for one existing file: the button that ended it.
ReplaceButton AskReplace(const char* path);
