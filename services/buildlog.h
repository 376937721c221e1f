// The build log: the lines a build reports (newest first), the progress
// position and the status text. The build job writes to it from whatever
// thread runs the job; a presentation (the build page, or a console) is
// plugged in as a sink and is told of every change as it happens.
#pragma once

#include <stddef.h>
#include <stdint.h>

enum LogMark {
  LOG_MARK_SUCCESS = 0,  // green ball: a step or file that succeeded
  LOG_MARK_FAILURE = 1,  // red ball: a file that failed, the final failure line
  LOG_MARK_NONE = 2,     // no picture: the separator "-----"
};

// What a presentation does with the log's changes. Any member may be null.
struct BuildLogSink {
  void (*addLine)(const char* text, LogMark mark);  // newest line, on top
  void (*setProgress)(int position);                // 0..100
  // The build has ended: the progress bar goes, the status text shows.
  void (*showStatus)(const char* text);
  // A build failure's message (caption "Failed", stop icon, no owner). Null
  // shows it through PlatformMessageBox.
  void (*showFailure)(const char* text);
};

// Empties the log (lines, progress 0, no status) and routes the changes to
// sink (null: the model only). The sink must outlive the build.
void ResetBuildLog(const BuildLogSink* sink);

// Adds a line on top of the log.
void AddLogLine(const char* text, LogMark mark);
// "-----" (no mark), "Failed." (failure mark), status "Failed!".
void ReportBuildFailed();
// "-----" (no mark), "Completed Successfully." (success mark), the same
// status text.
void ReportBuildDone();
// Moves the progress bar; a position above 100 shows as 100.
void SetBuildProgress(uint32_t position);
// Shows a build failure's message box.
void ShowBuildFailure(const char* text);

// Queries of the model, for the page and for tests. Lines are counted from
// the newest (index 0). BuildLogLineText returns null for an index out of
// range; BuildLogLineMark returns -1 then. A text stays valid until the log
// next changes.
size_t BuildLogLineCount();
const char* BuildLogLineText(size_t indexFromNewest);
int BuildLogLineMark(size_t indexFromNewest);
// The position last set (0 after a reset).
int BuildLogProgress();
// The status text, empty while the build runs.
const char* BuildLogStatus();
