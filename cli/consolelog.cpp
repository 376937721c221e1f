#include "cli/consolelog.h"

#include "platform/platform.h"
#include "base/text.h"

namespace {

FILE* gConsoleOut = nullptr;
FILE* gConsoleErr = nullptr;
bool gConsoleTerminal = false;
int gConsoleBar = -1;  // the position drawn, -1 while no bar is shown

const int kBarWidth = 40;

// Blanks rather than an escape sequence: older Windows consoles print those.
void ClearBar() {
  if (gConsoleBar < 0) return;
  fprintf(gConsoleOut, "\r%*s\r", kBarWidth + 8, "");
  gConsoleBar = -1;
}

void DrawBar(int position) {
  char bar[kBarWidth + 1];
  int filled = position * kBarWidth / 100;
  for (int i = 0; i < kBarWidth; ++i) bar[i] = i < filled ? '#' : '.';
  bar[kBarWidth] = '\0';
  fprintf(gConsoleOut, "\r[%s] %3d%%", bar, position);
  fflush(gConsoleOut);
  gConsoleBar = position;
}

void ConsoleAddLine(const char* text, LogMark mark) {
  int bar = gConsoleBar;
  ClearBar();
  // Paths in the form of the system the packer runs on ("/" off Windows).
  char shown[VQ_TEXT_SIZE];
  if (!PlatformSystemPath(text, shown, sizeof shown)) CopyText(shown, sizeof shown, text);
  fprintf(gConsoleOut, "%s%s\n", mark == LOG_MARK_FAILURE ? "! " : "", shown);
  if (bar >= 0) {
    DrawBar(bar);
  } else {
    fflush(gConsoleOut);
  }
}

void ConsoleSetProgress(int position) {
  if (!gConsoleTerminal || position == gConsoleBar) return;
  DrawBar(position);
}

void ConsoleShowStatus(const char*) {
  // The final line is the log's own last line; the bar just goes away.
  ClearBar();
  fflush(gConsoleOut);
}

void ConsoleShowFailure(const char* text) {
  fflush(gConsoleOut);
  fprintf(gConsoleErr, "vqpack: %s\n", text);
  fflush(gConsoleErr);
}

const BuildLogSink kConsoleSink = {ConsoleAddLine, ConsoleSetProgress, ConsoleShowStatus,
                                   ConsoleShowFailure};

}  // namespace

const BuildLogSink* ConsoleLogSink(FILE* out, FILE* err, bool terminal) {
  gConsoleOut = out;
  gConsoleErr = err;
  gConsoleTerminal = terminal;
  gConsoleBar = -1;
  return &kConsoleSink;
}
