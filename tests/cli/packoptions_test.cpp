#include "cli/packoptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "project/options.h"
#include "project/project.h"

namespace {

TEST(PackArguments, Table) {
  const struct {
    std::vector<const char*> args;
    const char* expected;  // project|source|output[|help], or !reason
  } cases[] = {
      {{"demo.vqx"}, "demo.vqx|-|-"},
      {{"--output", "o.exe", "demo.vqx", "--source", "/src"}, "demo.vqx|/src|o.exe"},
      {{"demo.vqx", "--source=/a b", "--output=C:\\o.exe"}, "demo.vqx|/a b|C:\\o.exe"},
      {{"--help"}, "|-|-|help"},
      {{"demo.vqx", "-h"}, "demo.vqx|-|-|help"},
      {{}, "!no project file given"},
      {{"demo.vqx", "--source"}, "!missing value for --source"},
      {{"demo.vqx", "--sources", "x"}, "!unknown option --sources"},
      {{"a.vqx", "b.vqx"}, "!more than one project file: b.vqx"},
  };
  for (const auto& c : cases) {
    std::vector<const char*> args = {"vqpack"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    PackOptions o;
    char error[256];
    bool ok = ParsePackArguments((int)args.size(), (char**)args.data(), &o, error, sizeof error);
    EXPECT_EQ(ok ? std::string(o.projectPath ? o.projectPath : "") + "|" +
                       (o.source ? o.source : "-") + "|" + (o.output ? o.output : "-") +
                       (o.help ? "|help" : "")
                 : std::string("!") + error,
              c.expected);
  }
}

// The project's paths take the wizard's form; a new source folder moves the
// launch entries that lie below the old one (as loaded: old folder + stored
// path); what the options and output pages would not let through is refused.
TEST(PackOverrides, Table) {
  const std::string longEntry = "C:\\W\\" + std::string(2000, 'x'), longSource(100, 'n');
  const struct {
    const char* folder;  // in the project
    const char* source;  // --source, or nullptr
    int level, protection;
    const char* password;
    std::vector<std::string> before, after;  // launch entries
    std::string result;  // the source folder as applied, or the reason for refusing
  } cases[] = {
      {"C:\\Work\\Demo\\", "/home/me//app", 6, 0, "",
       {"C:\\Work\\Demo\\setup.exe", "C:\\Work\\Demo\\bin\\x.exe",
        "C:\\Work\\Demo\\D:\\Other\\tool.exe", "E:\\elsewhere.exe"},
       {"\\home\\me\\app\\setup.exe", "\\home\\me\\app\\bin\\x.exe",
        "\\home\\me\\app\\D:\\Other\\tool.exe", "E:\\elsewhere.exe"},
       "\\home\\me\\app\\"},
      {"rel//dir", nullptr, 9, 1, "x", {"rel\\dir\\a.exe"}, {"rel\\dir\\a.exe"}, "rel\\dir\\"},
      {"", nullptr, 6, 0, "", {}, {}, "the project names no source folder"},
      {"C:\\W\\", " \t", 6, 0, "", {}, {}, "the project names no source folder"},
      {"C:\\W\\", nullptr, 10, 0, "", {}, {}, OptionCheckText(OPTION_LEVEL_OUT_OF_RANGE)},
      {"C:\\W\\", nullptr, 6, 1, " ", {}, {}, OptionCheckText(OPTION_NO_PASSWORD)},
      {"C:\\W\\", longSource.c_str(), 6, 0, "", {longEntry}, {},
       "launch entry too long below the new source: " + longEntry},
  };
  for (const auto& c : cases) {
    InitProject(&gProject, &gLaunch);
    CopyText(gProject.SourceFolder, VQ_TEXT_SIZE, c.folder);
    gProject.CompressLevel = c.level;
    gProject.Checkbox3 = c.protection;
    CopyText(gProject.Password, VQ_TEXT_SIZE, c.password);
    for (size_t i = 0; i < c.before.size(); ++i) {
      CopyText(gLaunch.ExecFile[i], VQ_TEXT_SIZE, c.before[i].c_str());
    }
    PackOptions options = {"p.vqx", c.source, "/tmp/out//Demo.exe", false};
    char error[4096] = "";
    bool ok = ApplyPackOverrides(&options, &gProject, &gLaunch, error, sizeof error);
    EXPECT_EQ(ok ? gProject.SourceFolder : error, c.result);
    if (!ok) continue;
    EXPECT_STREQ(gProject.OutputFile, "\\tmp\\out\\Demo.exe");
    for (size_t i = 0; i < c.after.size(); ++i) EXPECT_EQ(gLaunch.ExecFile[i], c.after[i]);
  }
}

}  // namespace
