// The extractor stub's run: one record for the whole process, and the
// procedures of its steps. Win32, C-style (no exceptions, no C++ runtime),
// to keep the stub small; paths reach the system through the wide functions.
//
// Every step returns a StubResult; the first failure ends the run, which
// shows its box and exits in one place (RunExtractor). Each file calls only
// the files below it:
//   stub_main.cpp      the run in order, its one report, the exit
//   meta.cpp           the meta data block, its copy, the settings
//   extract.cpp        the entries
//   aes_entry.cpp      the data of AE-2 entries
//   archive_file.cpp   the zip reader's file access
//   launch.cpp         the launch entries, the wait
//   stub_pathvars.cpp  the computer as the path variables see it
//   dialogs.cpp        the windows and the error boxes, which end nothing
#pragma once

#include <windows.h>

#include "extractor/errors.h"
#include "extractor/meta_settings.h"
#include "extractor/run_rules.h"
#include "pathvars/pathvars.h"
#include "unzip.h"

enum {
  STUB_CHUNK_SIZE = 1000000, // entries are written in chunks of this size
  // The progress window repaints, and lets its messages through, at most
  // this often while it is up.
  STUB_PROGRESS_REPAINT_MS = 50,
  // A path of VQ_PATH_SIZE - 1 UTF-16 units in UTF-8: three bytes a unit at
  // most (a pair's four bytes stand for two).
  VQ_UTF8_PATH_SIZE = 3 * VQ_PATH_SIZE,
};

struct RunState {
  HINSTANCE instance;
  // Paths go to the system in UTF-16, so that every name reaches it exactly
  // whatever its code page; texts are carried in UTF-8.
  WCHAR ownPath[VQ_PATH_SIZE];
  WCHAR metaCopy[VQ_PATH_SIZE];  // empty until the temporary copy exists
  const char* metaBlock;  // the block's text, whose values the settings come from
  // As the meta data block gives them; the replace dialog's "to all"
  // buttons change the overwrite mode for the rest of the run.
  MetaSettings settings;
  WCHAR folder[VQ_PATH_SIZE];  // resolved, absolute, ends with "\"
  char folderUtf8[VQ_UTF8_PATH_SIZE];
  unzFile archive;
  uint32_t entryCount;
  HWND progress;  // progress window, when shown at all
  HWND progressPercent;
  HWND progressBar;
  char password[VQ_TEXT_SIZE];
  bool replaceAnswer;
  uint32_t extractedBytes;
  ItemList items;  // what the run created, newest first, in UTF-8
  HANDLE processes[VQ_MAX_LAUNCH];
  int processCount;  // handles to wait for (launches that gave one)
};

extern RunState gRun;

// How a step ends: error is STUB_ERROR_NONE when the step did its work,
// else the error that ends the run; lastError is the system's last error at
// the failure, whose text the boxes of the standard errors show.
struct StubResult {
  StubError error;
  DWORD lastError;
};

// A failure with the system's last error as it stands: called right where
// the failing call returns.
inline StubResult StubFailure(StubError error) {
  StubResult result = {error, GetLastError()};
  return result;
}

// UTF-8 of a UTF-16 text; false (out empty) when it does not fit.
bool NarrowToUtf8(const WCHAR* text, char* out, size_t outSize);
// UTF-16 of a UTF-8 text; false (out empty) when it is not well-formed or
// does not fit outUnits.
bool WidenUtf8(const char* text, WCHAR* out, size_t outUnits);

// ---------------------------------------------------------------- run
// Finds the meta data block in the own file, verifies its check line,
// copies it to the temporary "VQ" file and reads gRun.settings from the
// block in memory (keeping it in gRun.metaBlock).
StubResult ReadMetaData();
// The block reader, with the values of an older build's block turned from
// the system code page into UTF-8.
extern const struct ProfileReader kStubProfileReader;

// Checks the open archive's directory and extracts every entry.
StubResult ExtractAll();

// An AE-2 entry (method 99), opened raw: checks its extra field (else
// STUB_ERROR_ENTRY_OPEN), reads the salt and compares the verifier
// (STUB_ERROR_WRONG_PASSWORD: a wrong password, or a short entry), and makes
// ready to decrypt (STUB_ERROR_EXTRACT when the system refuses).
StubError BeginAesEntry(unzFile archive, const unz_file_info* info);
// Then as unzReadCurrentFile: up to size bytes of the entry's real data,
// 0 at its end once the authentication code matched, -1 when it does not,
// when the data is damaged or the system fails.
int ReadAesEntry(unzFile archive, void* out, unsigned size);

// Reads up to size bytes of the open archive's file at offset, through the
// zip reader's buffer: the count read (less at the end of the file or on a
// failure). The reader sets its position before each read of its own.
DWORD ReadArchiveFile(DWORD offset, void* out, DWORD size);

// Starts the launch entries (a start that fails is a warning, and the run
// goes on); fails only with STUB_END_QUIT, from the quit question of a
// command line's browse dialog.
StubResult LaunchEntries();
// Waits until every program started has ended.
void WaitForLaunched();

// The path variable system of the running stub.
struct PathVarSystem;
extern const PathVarSystem kStubPathVarSystem;


// ---------------------------------------------------------------- windows
// Shows the box of a numbered error (1..28) with the system's text for
// result.lastError, the progress window hidden first. Ends nothing: returns
// the button pressed (IDOK; IDYES or IDNO for the quit question).
int ShowErrorBox(StubResult result);

// Creates the progress window (hidden).
void CreateProgressWindow();
// After a chunk: shows the progress window with the current extracted byte
// count and lets the thread's messages through.
void UpdateProgress();
void HideProgress();

// The password dialog: succeeds after OK with gRun.password set; Cancel or
// the close box give STUB_END_CANCELLED.
StubResult AskPassword();

// The replace dialog for one existing file: the button that ended it.
ReplaceButton AskReplace(const WCHAR* path);
