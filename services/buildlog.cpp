#include "services/buildlog.h"

#include <mutex>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace {

struct LogLine {
  std::string text;
  LogMark mark;
};

// The page may read the model on its own thread while the job adds lines.
std::mutex gLogLock;
std::vector<LogLine> gLogLines;  // oldest first; shown newest first
int gLogProgress = 0;
std::string gLogStatus;
const BuildLogSink* gLogSink = nullptr;

void SetStatus(const char* text) {
  {
    std::lock_guard<std::mutex> hold(gLogLock);
    gLogStatus = text;
  }
  if (gLogSink && gLogSink->showStatus) gLogSink->showStatus(text);
}

}  // namespace

void ResetBuildLog(const BuildLogSink* sink) {
  std::lock_guard<std::mutex> hold(gLogLock);
  gLogLines.clear();
  gLogProgress = 0;
  gLogStatus.clear();
  gLogSink = sink;
}

void AddLogLine(const char* text, LogMark mark) {
  {
    std::lock_guard<std::mutex> hold(gLogLock);
    gLogLines.push_back(LogLine{text, mark});
  }
  if (gLogSink && gLogSink->addLine) gLogSink->addLine(text, mark);
}

void ReportBuildFailed() {
  AddLogLine("-----", LOG_MARK_NONE);
  AddLogLine("Failed.", LOG_MARK_FAILURE);
  SetStatus("Failed!");
}

void ReportBuildDone() {
  AddLogLine("-----", LOG_MARK_NONE);
  AddLogLine("Completed Successfully.", LOG_MARK_SUCCESS);
  SetStatus("Completed Successfully.");
}

void SetBuildProgress(uint32_t shown) {
  int position = shown > 100 ? 100 : (int)shown;
  {
    std::lock_guard<std::mutex> hold(gLogLock);
    gLogProgress = position;
  }
  if (gLogSink && gLogSink->setProgress) gLogSink->setProgress(position);
}

void ShowBuildFailure(const char* text) {
  if (gLogSink && gLogSink->showFailure) {
    gLogSink->showFailure(text);
    return;
  }
  PlatformMessageBox(PLATFORM_OWNER_NONE, text, "Failed", PLATFORM_MB_OK | PLATFORM_MB_ICONSTOP);
}

size_t BuildLogLineCount() {
  std::lock_guard<std::mutex> hold(gLogLock);
  return gLogLines.size();
}

const char* BuildLogLineText(size_t indexFromNewest) {
  std::lock_guard<std::mutex> hold(gLogLock);
  if (indexFromNewest >= gLogLines.size()) return nullptr;
  return gLogLines[gLogLines.size() - 1 - indexFromNewest].text.c_str();
}

int BuildLogLineMark(size_t indexFromNewest) {
  std::lock_guard<std::mutex> hold(gLogLock);
  if (indexFromNewest >= gLogLines.size()) return -1;
  return gLogLines[gLogLines.size() - 1 - indexFromNewest].mark;
}

int BuildLogProgress() {
  std::lock_guard<std::mutex> hold(gLogLock);
  return gLogProgress;
}

const char* BuildLogStatus() {
  std::lock_guard<std::mutex> hold(gLogLock);
  return gLogStatus.c_str();
}
