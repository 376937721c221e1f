// The project a builder is started with, named on its command line.
#include "project/project.h"
#include "platform/platform.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

struct Loaded {
  std::unique_ptr<ProjectRecord> record{new ProjectRecord};
  std::unique_ptr<LaunchList> launch{new LaunchList};
  Loaded() { InitProject(record.get(), launch.get()); }
};

TEST(ProjectFromCommandLine, ProjectPathFromCommandLine) {
  std::string folder = ScratchName("cmd dir") + "\\";
  ASSERT_TRUE(PlatformCreateFolder(folder.c_str()));
  std::string path = folder + "my project.vqx";
  ASSERT_TRUE(WriteRawFile(path, "[Varnoquist]\r\nVersion=1.2\r\nProjectName=From Tail\r\n"));

  RecordedMessageBoxes boxes;
  const std::string tails[] = {"\"" + path + "\"", path, "\"" + path + "\" \"other.vqx\""};
  for (const std::string& tail : tails) {
    Loaded p;
    EXPECT_TRUE(ProjectPathFromCommandLine(tail.c_str(), p.record.get(), p.launch.get())) << tail;
    EXPECT_EQ(path, p.record->ProjectFilePath);
    EXPECT_STREQ("From Tail", p.record->ProjectName);
  }
  // Not normalised: a doubled backslash stays as given.
  std::string doubled = folder + "\\my project.vqx";
  Loaded d;
  EXPECT_TRUE(ProjectPathFromCommandLine(doubled.c_str(), d.record.get(), d.launch.get()));
  EXPECT_EQ(doubled, d.record->ProjectFilePath);

  const std::string misses[] = {"", "\"" + folder + "missing.vqx\"", path + " extra"};
  for (const std::string& tail : misses) {
    Loaded p;
    EXPECT_FALSE(ProjectPathFromCommandLine(tail.c_str(), p.record.get(), p.launch.get())) << tail;
    EXPECT_STREQ("", p.record->ProjectFilePath);
    EXPECT_STREQ("Project Name", p.record->ProjectName);
  }
  EXPECT_EQ(0, boxes.count());
}

}  // namespace
