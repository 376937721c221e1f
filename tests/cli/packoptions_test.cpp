#include "cli/packoptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "project/project.h"

namespace {

TEST(PackArguments, Table) {
  const struct {
    std::vector<const char*> args;
    const char* expected;  // project|source|output[|help], or !reason
  } cases[] = {
      {{"--output", "o.exe", "demo.vqx", "--source", "/src"}, "demo.vqx|/src|o.exe"},
      {{"demo.vqx", "--source=/a b", "--output=C:\\o.exe"}, "demo.vqx|/a b|C:\\o.exe"},
      {{"--help"}, "|-|-|help"},
      {{}, "!no project file given, nor --source and --output"},
      {{"--cmdline", "x", "--launch", "a"}, "!--cmdline before any --launch"},
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

// The project's paths take the wizard's form; a new source folder moves the launch entries below
// the old one (as loaded: old folder + stored path). What is refused: options_test's, vqpack_test.sh's.
TEST(PackOverrides, Table) {
  const std::string longEntry = "C:\\W\\" + std::string(2000, 'x'), longSource(100, 'n');
  const struct {
    const char* folder;  // in the project
    const char* source;  // --source, or nullptr
    std::vector<std::string> before, after;  // launch entries
    std::string result;  // the source folder as applied, or the reason for refusing
  } cases[] = {
      {"C:\\Work\\Demo\\", "/home/me//app",
       {"C:\\Work\\Demo\\setup.exe", "C:\\Work\\Demo\\bin\\x.exe",
        "C:\\Work\\Demo\\D:\\Other\\tool.exe", "E:\\elsewhere.exe"},
       {"\\home\\me\\app\\setup.exe", "\\home\\me\\app\\bin\\x.exe",
        "\\home\\me\\app\\D:\\Other\\tool.exe", "E:\\elsewhere.exe"},
       "\\home\\me\\app\\"},
      {"", nullptr, {}, {}, "the project names no source folder"},
      {"C:\\W\\", longSource.c_str(), {longEntry}, {},
       "launch entry too long below the new source: " + longEntry},
  };
  for (const auto& c : cases) {
    InitProject(&gProject, &gLaunch);
    CopyText(gProject.SourceFolder, VQ_TEXT_SIZE, c.folder);
    for (size_t i = 0; i < c.before.size(); ++i) {
      CopyText(gLaunch.ExecFile[i], VQ_TEXT_SIZE, c.before[i].c_str());
    }
    PackOptions options = {};
    options.projectPath = "p.vqx";
    options.source = c.source;
    options.output = "/tmp/out//Demo.exe";
    char error[4096] = "";
    bool ok = ApplyPackOverrides(&options, &gProject, &gLaunch, error, sizeof error);
    EXPECT_EQ(ok ? gProject.SourceFolder : error, c.result);
    if (!ok) continue;
    EXPECT_STREQ(gProject.OutputFile, "\\tmp\\out\\Demo.exe");
    for (size_t i = 0; i < c.after.size(); ++i) EXPECT_EQ(gLaunch.ExecFile[i], c.after[i]);
  }
}

// Each setting's option over a project; values an option does not take, or not as one line of UTF-8, are refused.
TEST(PackOptions, SettingsFromOptions) {
  putenv((char*)"VQ_TEST_PASSWORD=from env");
  const struct {
    std::vector<const char*> args;
    std::string expected;  // level|progress|delete|overwrite|extract-to|protected:password (" AES-256")|launch
  } cases[] = {
      {{}, "0|0|0|0|*AppDir*\\SubDirectory|0:|"},
      {{"--level", "9", "--progress", "on", "--delete-files", "on", "--overwrite", "skip",
        "--extract-to", "*TempDir*//x", "--password-env", "VQ_TEST_PASSWORD", "--encryption", "aes256"},
       "9|1|1|2|*TempDir*\\x|1:from env AES-256|"},
      {{"--password-env", "VQ_TEST_PASSWORD", "--encryption", "zipcrypto"}, "0|0|0|0|*AppDir*\\SubDirectory|1:from env|"},
      {{"--encryption", "aes"}, "!--encryption takes aes256 or zipcrypto: aes"},
      {{"--launch", "bin/a.exe", "--cmdline", "/S", "--window", "hide", "--launch", "b.exe"},
       "0|0|0|0|*AppDir*\\SubDirectory|0:|C:\\S\\bin\\a.exe,/S,*HideWin*;"
       "C:\\S\\b.exe,*Command*,*ShowWin*;"},
      {{"--level", "10"}, "!--level takes 0 to 9: 10"},
      {{"--level", "4x"}, "!--level takes 0 to 9: 4x"},
      {{"--progress", "yes"}, "!--progress takes on or off: yes"},
      {{"--overwrite", "never"}, "!--overwrite takes all, ask or skip: never"},
      {{"--launch", "a.exe", "--window", "tiny"}, "!--window takes show, hide, max or min: tiny"},
      {{"--password-env", "VQ_NO_SUCH_VARIABLE"},
       "!no password in environment variable VQ_NO_SUCH_VARIABLE"},
      {{"--password-file", "/no/such/file"}, "!cannot read the password file /no/such/file"},
      {{"--launch", "a.exe", "--cmdline", "a\nb"}, "!a setting is not one line of valid UTF-8: CmdLine0=a\\x0Ab"},
  };
  for (const auto& c : cases) {
    std::vector<const char*> args = {"vqpack", "--source", "C:\\S", "--output", "C:\\o.exe"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    PackOptions options;
    char error[256] = "";
    ASSERT_TRUE(ParsePackArguments((int)args.size(), (char**)args.data(), &options, error,
                                   sizeof error)) << error;
    InitProject(&gProject, &gLaunch);
    std::string result;
    if (ApplyPackOverrides(&options, &gProject, &gLaunch, error, sizeof error) &&
        CheckPackTexts(&gProject, &gLaunch, error, sizeof error)) {
      const ProjectRecord& r = gProject;
      result = std::to_string(r.CompressLevel) + "|" + std::to_string(r.Checkbox1) + "|" +
               std::to_string(r.Checkbox2) + "|" + std::to_string(r.OverwriteMode) + "|" +
               r.ExtractionFolder + "|" + std::to_string(r.Checkbox3) + ":" +
               (r.Checkbox3 ? r.Password : "") + (UsesAes256(&r) ? " AES-256|" : "|");
      for (int i = 0; i < LaunchCount(&gLaunch); ++i)
        result += std::string(gLaunch.ExecFile[i]) + "," + gLaunch.CmdLine[i] + "," +
                  gLaunch.WinState[i] + ";";
    } else {
      result = std::string("!") + error;
    }
    EXPECT_EQ(result, c.expected);
  }
}

}  // namespace
