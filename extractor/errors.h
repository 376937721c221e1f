// The extractor's numbered errors: what each one shows and whether the run
// goes on after it. Portable: the table makes no system calls.
#pragma once

#include <stddef.h>

enum StubError {
  STUB_ERROR_NONE = 0,
  STUB_ERROR_OWN_NAME = 1,         // the own file name cannot be obtained
  STUB_ERROR_OWN_OPEN,             // the own file cannot be opened
  STUB_ERROR_OWN_REWIND,           // the own file's position cannot be set to 0
  STUB_ERROR_MARKER_READ,          // a read fails while the marker is searched
  STUB_ERROR_MARKER_SEEK,          // moving back fails while the marker is searched
  STUB_ERROR_MARKER_NOT_FOUND,     // no marker within the stub's limit
  STUB_ERROR_ARCHIVE_READ,         // a read fails while the archive is searched
  STUB_ERROR_ARCHIVE_SEEK,         // moving back fails while the archive is searched
  STUB_ERROR_ARCHIVE_NOT_FOUND,    // no archive header within the limit
  STUB_ERROR_META_SEEK,            // the position cannot be set to the meta data block
  STUB_ERROR_META_MEMORY,          // no memory for the meta data block
  STUB_ERROR_META_READ,            // the meta data block cannot be read
  STUB_ERROR_TEMP_NAME,            // no temporary file name can be had
  STUB_ERROR_META_COPY_CREATE,     // the meta data copy cannot be created
  STUB_ERROR_META_COPY_WRITE,      // the meta data copy cannot be written
  STUB_ERROR_FOLDER_PATH,          // the extraction folder cannot be made absolute
  STUB_ERROR_ARCHIVE_INFO,         // the archive cannot be opened or its information read
  STUB_ERROR_EXTRACT,              // an entry's extraction failed
  STUB_ERROR_NEXT_ENTRY,           // the next entry cannot be reached
  STUB_ERROR_LAUNCH,               // a launch entry cannot be started (the run goes on)
  STUB_ERROR_ENTRY_INFO,           // the entry's information cannot be read, or its name is unsafe
  STUB_ERROR_ENTRY_OPEN,           // the entry cannot be opened
  STUB_ERROR_TARGET_PATH,          // the target path cannot be made absolute
  STUB_ERROR_TARGET_CREATE,        // the target file cannot be created
  STUB_ERROR_TARGET_WRITE,         // the target file cannot be written
  STUB_ERROR_ENTRY_READ,           // the entry's data cannot be read (no password)
  STUB_ERROR_WRONG_PASSWORD,       // the entry's data cannot be read (password set)
  STUB_ERROR_QUIT_QUESTION,        // the browse dialog was cancelled: quit?
  STUB_ERROR_LAST = STUB_ERROR_QUIT_QUESTION,
  // Past the numbered errors, the two ends the user chooses; nothing more is
  // shown after them.
  STUB_END_CANCELLED,              // the password dialog was cancelled: exit code 0
  STUB_END_QUIT,                   // Yes to the quit question: exit code 1
};

enum StubErrorKind {
  STUB_FATAL,     // error icon, OK; the run ends with exit code 1
  STUB_WARNING,   // warning icon, OK; the run goes on
  STUB_FINAL_WARNING,  // warning icon, OK; the run ends with exit code 1
  STUB_QUESTION,  // question icon, Yes and No; Yes ends the run, No returns
};

// What follows an error's box; STUB_FATAL for a code out of range.
StubErrorKind StubErrorKindOf(int code);

// "ERROR #" and the code in four digits; a final warning adds " Wrong
// password", a question " Quit Program!". out holds at least 48 bytes.
void FormatErrorCaption(int code, char* out, size_t outSize);

// The box text: the error's fixed sentence, or systemText when it has none;
// then, but for a final warning or a question, whose sentence stands alone,
// CR LF CR LF and "Press OK to exit.".
void FormatErrorText(int code, const char* systemText, char* out, size_t outSize);
