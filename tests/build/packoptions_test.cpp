#include "cli/packoptions.h"
#include "project/options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "project/project.h"

namespace {

struct Parsed {
  bool ok;
  std::string project, source, output;
  bool help;
};

Parsed Parse(std::vector<const char*> args) {
  args.insert(args.begin(), "vqpack");
  PackOptions options;
  char error[256];
  bool ok = ParsePackArguments((int)args.size(), const_cast<char**>(args.data()), &options,
                               error, sizeof error);
  if (!ok) return Parsed{false, error, "", "", false};
  return Parsed{true, options.projectPath ? options.projectPath : "",
                options.source ? options.source : "-", options.output ? options.output : "-",
                options.help};
}

TEST(PackArguments, Table) {
  struct Case {
    std::vector<const char*> args;
    bool ok;
    const char* project;  // or the error
    const char* source;
    const char* output;
  } cases[] = {
      {{"demo.vqx"}, true, "demo.vqx", "-", "-"},
      {{"demo.vqx", "--source", "/src"}, true, "demo.vqx", "/src", "-"},
      {{"--output", "o.exe", "demo.vqx"}, true, "demo.vqx", "-", "o.exe"},
      {{"demo.vqx", "--source=/a b", "--output=C:\\o.exe"}, true, "demo.vqx", "/a b", "C:\\o.exe"},
      {{}, false, "no project file given", "", ""},
      {{"demo.vqx", "--source"}, false, "missing value for --source", "", ""},
      {{"demo.vqx", "--sources", "x"}, false, "unknown option --sources", "", ""},
      {{"a.vqx", "b.vqx"}, false, "more than one project file: b.vqx", "", ""},
      {{"demo.vqx", "-x"}, false, "unknown option -x", "", ""},
  };
  for (const auto& c : cases) {
    Parsed parsed = Parse(c.args);
    EXPECT_EQ(parsed.ok, c.ok) << c.project;
    EXPECT_EQ(parsed.project, c.project);
    if (c.ok) {
      EXPECT_EQ(parsed.source, c.source) << c.project;
      EXPECT_EQ(parsed.output, c.output) << c.project;
    }
  }
  EXPECT_TRUE(Parse({"--help"}).help);
  EXPECT_TRUE(Parse({"demo.vqx", "-h"}).help);
}

class PackOverrides : public ::testing::Test {
 protected:
  void SetUp() override {
    InitProject(&gProject, &gLaunch);
  }
  bool Apply(const char* source, const char* output, std::string* error = nullptr) {
    PackOptions options = {"p.vqx", source, output, false};
    char text[256] = "";
    bool ok = ApplyPackOverrides(&options, &gProject, &gLaunch, text, sizeof text);
    if (error) *error = text;
    return ok;
  }
};

TEST_F(PackOverrides, SourceRebasesLaunchEntriesAndPathsAreNormalised) {
  CopyText(gProject.SourceFolder, VQ_TEXT_SIZE, "C:\\Work\\Demo\\");
  const char* entries[][2] = {
      {"C:\\Work\\Demo\\setup.exe", "\\home\\me\\app\\setup.exe"},
      {"C:\\Work\\Demo\\bin\\x.exe", "\\home\\me\\app\\bin\\x.exe"},
      // A file outside the folder loads with the folder in front all the same.
      {"C:\\Work\\Demo\\D:\\Other\\tool.exe", "\\home\\me\\app\\D:\\Other\\tool.exe"},
      {"E:\\elsewhere.exe", "E:\\elsewhere.exe"},
  };
  for (int i = 0; i < 4; ++i) CopyText(gLaunch.ExecFile[i], VQ_TEXT_SIZE, entries[i][0]);
  ASSERT_TRUE(Apply("/home/me//app", "/tmp/out//Demo.exe"));
  EXPECT_STREQ(gProject.SourceFolder, "\\home\\me\\app\\");
  EXPECT_STREQ(gProject.OutputFile, "\\tmp\\out\\Demo.exe");
  for (int i = 0; i < 4; ++i) EXPECT_STREQ(gLaunch.ExecFile[i], entries[i][1]) << i;
}

TEST_F(PackOverrides, ProjectPathsAloneGetTheWizardsForm) {
  const char* cases[][2] = {
      {"C:/Work/Demo", "C:\\Work\\Demo\\"},
      {"C:\\Work\\Demo\\", "C:\\Work\\Demo\\"},
      {"rel//dir", "rel\\dir\\"},
  };
  for (const auto& c : cases) {
    CopyText(gProject.SourceFolder, VQ_TEXT_SIZE, c[0]);
    CopyText(gLaunch.ExecFile[0], VQ_TEXT_SIZE, (std::string(c[1]) + "a.exe").c_str());
    ASSERT_TRUE(Apply(nullptr, nullptr));
    EXPECT_STREQ(gProject.SourceFolder, c[1]);
    EXPECT_EQ(std::string(gLaunch.ExecFile[0]), std::string(c[1]) + "a.exe");
  }
}

TEST_F(PackOverrides, WhatTheWizardRefusesIsRefused) {
  std::string error;
  EXPECT_FALSE(Apply(nullptr, nullptr, &error));
  EXPECT_EQ(error, "the project names no source folder");
  EXPECT_FALSE(Apply(" \t", nullptr, &error));
  const struct {
    int level, protection;
    const char* password;
    const char* error;
  } cases[] = {
      {9, 1, "x", ""},
      {10, 0, "", OptionCheckText(OPTION_LEVEL_OUT_OF_RANGE)},
      {6, 1, " ", OptionCheckText(OPTION_NO_PASSWORD)},
  };
  for (const auto& c : cases) {
    gProject.CompressLevel = c.level;
    gProject.Checkbox3 = c.protection;
    CopyText(gProject.Password, VQ_TEXT_SIZE, c.password);
    EXPECT_EQ(Apply("C:\\src", nullptr, &error), c.error[0] == '\0') << c.level;
    EXPECT_EQ(error, c.error);
  }
}

TEST_F(PackOverrides, LaunchEntryTooLongBelowTheNewSourceIsRefused) {
  CopyText(gProject.SourceFolder, VQ_TEXT_SIZE, "C:\\W\\");
  std::string entry = "C:\\W\\" + std::string(2000, 'x');
  CopyText(gLaunch.ExecFile[0], VQ_TEXT_SIZE, entry.c_str());
  std::string error;
  EXPECT_FALSE(Apply(("/" + std::string(100, 'n')).c_str(), nullptr, &error));
  EXPECT_EQ(error.rfind("launch entry too long", 0), 0u);
}

}  // namespace
