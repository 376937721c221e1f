#include "extractor/errors.h"

#include "shell/text.h"

static const char kInfoText[] = "Failed to retrieve information about the current file.";

static const StubErrorRow kRows[STUB_ERROR_LAST] = {
    {STUB_FATAL, nullptr, false, ""},  // 1
    {STUB_FATAL, nullptr, false, ""},
    {STUB_FATAL, nullptr, false, ""},
    {STUB_FATAL, nullptr, false, ""},
    {STUB_FATAL, nullptr, false, ""},  // 5
    {STUB_FATAL, "Failed to find the Meta Data. This archive is likely corrupted.", false,
     ""},
    {STUB_FATAL, nullptr, false, ""},
    {STUB_FATAL, nullptr, false, ""},
    {STUB_FATAL, "Failed to find the Compressed Data. This archive is likely corrupted.",
     false, ""},
    {STUB_FATAL, nullptr, false, ""},  // 10
    {STUB_FATAL, nullptr, false, ""},
    {STUB_FATAL, nullptr, false, ""},
    {STUB_FATAL, nullptr, false, ""},
    {STUB_FATAL, nullptr, false, ""},
    {STUB_FATAL, nullptr, false, ""},  // 15
    {STUB_FATAL, nullptr, false, ""},
    {STUB_FATAL, "Failed to retrieve information about the archive.", false, ""},
    {STUB_FATAL, "Failed to extract the current file.", false, ""},
    {STUB_FATAL, kInfoText, false, ""},
    {STUB_WARNING, nullptr, false, ""},  // 20
    {STUB_FATAL, kInfoText, false, ""},
    {STUB_FATAL, "Failed to open the current file.", false, ""},
    {STUB_FATAL, nullptr, false, ""},
    {STUB_FATAL, nullptr, false, ""},
    {STUB_FATAL, nullptr, false, ""},  // 25
    {STUB_FATAL, "Failed to read the current file.", false, ""},
    {STUB_FINAL_WARNING, "The password that you typed is not correct.", true,
     " Wrong password"},
    {STUB_QUESTION, "Are you sure?", true, " Quit Program!"},
};

const StubErrorRow* StubErrorRowOf(int code) {
  if (code < 1 || code > STUB_ERROR_LAST) code = STUB_ERROR_ENTRY_READ;
  return &kRows[code - 1];
}

void FormatErrorCaption(int code, char* out, size_t outSize) {
  char caption[16] = "ERROR #0000";
  int digits = code < 0 || code > 9999 ? 0 : code;
  for (int i = 10; digits > 0; --i, digits /= 10) caption[i] = (char)('0' + digits % 10);
  CopyText(out, outSize, caption);
  AppendText(out, outSize, StubErrorRowOf(code)->captionSuffix);
}

void FormatErrorText(int code, const char* systemText, char* out, size_t outSize) {
  const StubErrorRow* row = StubErrorRowOf(code);
  CopyText(out, outSize, row->fixedText ? row->fixedText : systemText);
  if (!row->bare) AppendText(out, outSize, "\r\n\r\nPress OK to exit.");
}
