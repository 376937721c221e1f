#include "services/buildlog.h"

#include <gtest/gtest.h>

#include "platform/platform.h"

#include <string>
#include <vector>

#include "tests/support/support.h"

namespace {

std::vector<std::string> gSeen;  // what the sink was told, in order

void SeenLine(const char* text, LogMark mark) {
  gSeen.push_back("line " + std::to_string(mark) + " " + text);
}
void SeenProgress(int position) { gSeen.push_back("progress " + std::to_string(position)); }
void SeenStatus(const char* text) { gSeen.push_back(std::string("status ") + text); }
void SeenFailure(const char* text) { gSeen.push_back(std::string("failure ") + text); }
const BuildLogSink kSeenSink = {SeenLine, SeenProgress, SeenStatus, SeenFailure};

TEST(BuildLog, SinkHearsEveryChangeInOrderElseABox) {
  gSeen.clear();
  ResetBuildLog(&kSeenSink);
  AddLogLine("f", LOG_MARK_SUCCESS);
  SetBuildProgress(250);
  ReportBuildFailed();
  RecordedMessageBoxes boxes;
  ShowBuildFailure("Failed to read compressed data.");
  ResetBuildLog(nullptr);
  EXPECT_EQ(gSeen, (std::vector<std::string>{"line 0 f", "progress 100", "line 2 -----",
                                             "line 1 Failed.", "status Failed!",
                                             "failure Failed to read compressed data."}));
  EXPECT_EQ(boxes.count(), 0);  // the sink's, not a box
  // Without a sink: a stop icon, no owner.
  ShowBuildFailure("Failed to create the output executable.");
  EXPECT_EQ(boxes.last(), BoxSeen("Failed", "Failed to create the output executable.",
                                  PLATFORM_MB_OK | PLATFORM_MB_ICONSTOP, PLATFORM_OWNER_NONE));
}

}  // namespace
