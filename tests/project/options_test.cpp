// The settings checks that the options and output pages and vqpack share.
#include "project/options.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"
#include "tests/support/support.h"

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

TEST(Options, OutputPageStepsInOrder) {
  std::string source = ScratchName("source") + "\\", icons = ScratchName("icons") + "\\";
  MakeTree(source, {{"setup.exe", "MZ"}});
  MakeTree(icons, {{"2238.ico", std::string(2238, 'x')}, {"766.ico", std::string(766, '\0')}});
  const struct {
    const char *extraction, *icon, *output;  // icon "@NAME": that file of the icons folder
    OptionCheck check;
    const char* stored;  // OutputFile afterwards, "" when it does not matter
  } cases[] = {
      {" \t", "", "C:\\Out\\a.exe", OPTION_NO_EXTRACTION_PATH, ""},
      {"*AppDir*", "@766.ico", "C:\\Out\\a.exe", OPTION_INVALID_ICON, ""},
      {"*AppDir*", "@2238.ico", "C:\\Out\\My.Setup", OPTION_OK, "C:\\Out\\My.exe"},
      {"*AppDir*", " ", "C:\\Elsewhere\\setup.exe", OPTION_DUPLICATE_FILE_NAME, ""},
      {"*AppDir*", "", "C:\\Elsewhere\\setup.bin", OPTION_DUPLICATE_FILE_NAME,
       "C:\\Elsewhere\\setup.exe"},
      {"*AppDir*", "", "setup", OPTION_DUPLICATE_FILE_NAME, "setup.exe"},
      {"*AppDir*", "", "C:\\Out\\other.exe", OPTION_OK, "C:\\Out\\other.exe"},
  };
  for (const auto& c : cases) {
    static ProjectRecord record;
    record = ProjectRecord{};
    CopyText(record.SourceFolder, VQ_TEXT_SIZE, source.c_str());
    CopyText(record.ExtractionFolder, VQ_TEXT_SIZE, c.extraction);
    std::string icon = c.icon[0] == '@' ? icons + (c.icon + 1) : c.icon;
    CopyText(record.IconFile, VQ_TEXT_SIZE, icon.c_str());
    CopyText(record.OutputFile, VQ_TEXT_SIZE, c.output);
    EXPECT_EQ(CheckOutputPage(&record), c.check) << c.output << " " << c.icon;
    if (c.stored[0]) { EXPECT_STREQ(record.OutputFile, c.stored); }
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
