// The settings checks that vqpack shares with the options and output pages (their cases through
// the pages: pages_test's).
#include "project/options.h"

#include <gtest/gtest.h>

namespace {

TEST(Options, CompressLevelLabel) {
  const struct {
    int level;
    const char* label;
  } cases[] = {{0, "OFF"}, {4, " 4"}, {9, "BEST"}, {12, " 12"}, {-1, " -1"}};
  for (const auto& c : cases) {
    char label[16];
    CompressLevelLabel(c.level, label);
    EXPECT_STREQ(label, c.label) << c.level;
  }
}

TEST(Options, BuildSettingsRefuseWhatThePagesCannotStore) {
  const struct {
    int level, overwrite, protection;
    const char* password;
    OptionCheck check;
  } cases[] = {
      {0, 0, 0, "", OPTION_OK},           {9, 2, 1, "x", OPTION_OK},
      {10, 0, 0, "", OPTION_LEVEL_OUT_OF_RANGE}, {-1, 0, 0, "", OPTION_LEVEL_OUT_OF_RANGE},
      {6, 3, 0, "", OPTION_OVERWRITE_OUT_OF_RANGE}, {6, -1, 0, "", OPTION_OVERWRITE_OUT_OF_RANGE},
      {6, 1, 1, " \t\r\n\v", OPTION_NO_PASSWORD},  {6, 1, 2, "", OPTION_OK},  // only 1 means on
      {6, 1, 1, "\f", OPTION_OK},  // a form feed is no blank
  };
  for (const auto& c : cases) {
    static ProjectRecord record;
    record = ProjectRecord{};
    CopyText(record.ExtractionFolder, VQ_TEXT_SIZE, "*AppDir*");
    CopyText(record.OutputFile, VQ_TEXT_SIZE, "C:\\Out\\a.exe");
    record.CompressLevel = c.level;
    record.OverwriteMode = c.overwrite;
    record.Checkbox3 = c.protection;
    CopyText(record.Password, VQ_TEXT_SIZE, c.password);
    OptionCheck check = CheckBuildSettings(&record);
    EXPECT_EQ(check, c.check) << c.level << "/" << c.overwrite << "/" << c.protection;
    EXPECT_EQ(OptionCheckText(check) == nullptr, check == OPTION_OK);
  }
}

}  // namespace
