#include "extractor/errors.h"

#include "base/text.h"

// The fixed sentences; 0 stands for the system's text of the last error.
static const char* const kTexts[] = {
    nullptr,
    "Failed to find the Meta Data. This archive is likely corrupted.",
    "Failed to find the Compressed Data. This archive is likely corrupted.",
    "Failed to retrieve information about the archive.",
    "Failed to extract the current file.",
    "Failed to retrieve information about the current file.",
    "Failed to open the current file.",
    "Failed to read the current file.",
    "The password that you typed is not correct.",
    "Are you sure?",
};

// Each error as one byte, to keep the stub small: its kind times 16 plus the
// index of its text.
#define ROW(kind, text) (unsigned char)((kind) * 16 + (text))
static const unsigned char kRows[STUB_ERROR_LAST] = {
    ROW(STUB_FATAL, 0),   ROW(STUB_FATAL, 0),   ROW(STUB_FATAL, 0),   ROW(STUB_FATAL, 0),  // 1..4
    ROW(STUB_FATAL, 0),   ROW(STUB_FATAL, 1),   ROW(STUB_FATAL, 0),   ROW(STUB_FATAL, 0),  // 5..8
    ROW(STUB_FATAL, 2),   ROW(STUB_FATAL, 0),   ROW(STUB_FATAL, 0),   ROW(STUB_FATAL, 0),  // 9..12
    ROW(STUB_FATAL, 0),   ROW(STUB_FATAL, 0),   ROW(STUB_FATAL, 0),   ROW(STUB_FATAL, 0),  // 13..16
    ROW(STUB_FATAL, 3),   ROW(STUB_FATAL, 4),   ROW(STUB_FATAL, 5),   ROW(STUB_WARNING, 0),  // 17..20
    ROW(STUB_FATAL, 5),   ROW(STUB_FATAL, 6),   ROW(STUB_FATAL, 0),   ROW(STUB_FATAL, 0),  // 21..24
    ROW(STUB_FATAL, 0),   ROW(STUB_FATAL, 7),   ROW(STUB_FINAL_WARNING, 8),               // 25..27
    ROW(STUB_QUESTION, 9),                                                               // 28
};

static unsigned RowOf(int code) { return code >= 1 && code <= STUB_ERROR_LAST ? kRows[code - 1] : 0; }

StubErrorKind StubErrorKindOf(int code) { return (StubErrorKind)(RowOf(code) / 16); }

void FormatErrorCaption(int code, char* out, size_t outSize) {
  char caption[16] = "ERROR #0000";
  int digits = code < 0 || code > 9999 ? 0 : code;
  for (int i = 10; digits > 0; --i, digits /= 10) caption[i] = (char)('0' + digits % 10);
  CopyText(out, outSize, caption);
  StubErrorKind kind = StubErrorKindOf(code);
  if (kind == STUB_FINAL_WARNING) AppendText(out, outSize, " Wrong password");
  if (kind == STUB_QUESTION) AppendText(out, outSize, " Quit Program!");
}

void FormatErrorText(int code, const char* systemText, char* out, size_t outSize) {
  const char* fixed = kTexts[RowOf(code) % 16];
  CopyText(out, outSize, fixed ? fixed : systemText);
  StubErrorKind kind = StubErrorKindOf(code);
  if (kind != STUB_FINAL_WARNING && kind != STUB_QUESTION)
    AppendText(out, outSize, "\r\n\r\nPress OK to exit.");
}
