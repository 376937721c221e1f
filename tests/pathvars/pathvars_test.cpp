// The path variable rules against a made-up computer whose values are known.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "pathvars/pathvars.h"

namespace {

// Folder values, the paths that exist, the arguments. The browse dialog and the quit question are
// extractor_e2e_test's (path-browse-cancelled), on the real dialogs.
struct FakeComputer {
  std::string module = "C:\\Downloads\\", current = "C:\\Work", temp = "C:\\Temp\\";
  std::string windows = "C:\\WINDOWS", system = "C:\\WINDOWS\\system32";
  std::string programFiles = "C:\\Program Files";
  std::vector<std::pair<std::string, std::string>> shellFolders;
  std::vector<std::string> existing;
  std::string tail;
};
FakeComputer gFake;

void Put(const std::string& value, char* out, size_t n) { snprintf(out, n, "%s", value.c_str()); }
template <std::string FakeComputer::*folder>
void Folder(char* out, size_t n) { Put(gFake.*folder, out, n); }
void Shell(const char* name, char* out, size_t n) {
  Put("", out, n);
  for (auto& entry : gFake.shellFolders)
    if (entry.first == name) Put(entry.second, out, n);
}
bool Exists(const char* path) {
  std::string p = path;
  while (p.size() > 3 && p.back() == '\\') p.pop_back();
  for (auto& e : gFake.existing)
    if (strcasecmp(e.c_str(), p.c_str()) == 0) return true;
  return false;
}
const char* Tail() { return gFake.tail.c_str(); }
void Browse(char* out, size_t n) { Put("", out, n); }
bool Quit() { return true; }

const PathVarSystem kFake = {Folder<&FakeComputer::module>, Folder<&FakeComputer::current>,
                             Folder<&FakeComputer::windows>, Folder<&FakeComputer::system>,
                             Folder<&FakeComputer::temp>, Shell, Folder<&FakeComputer::programFiles>,
                             Exists, Tail, Browse, Quit};

class PathVarsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gFake = FakeComputer();
    gFake.shellFolders = {{"Desktop", "C:/Users/u//Desktop"}, {"AppData", "C:\\Users\\u\\AppData"}};
    for (auto& entry : gFake.shellFolders) gFake.existing.push_back(entry.second);
    for (const char* path : {"C:\\Downloads", "C:\\Work", "C:\\WINDOWS", "C:\\WINDOWS\\system32",
                             "C:\\Temp", "C:\\Program Files", "C:\\",
                             "C:\\Users\\u\\AppData\\Microsoft\\Internet Explorer\\Quick Launch"})
      gFake.existing.push_back(path);
  }

  std::string Resolve(const char* text, PathVarResult expected = PATHVARS_OK, PathVarText kind = PATHVARS_PATH) {
    char out[VQ_TEXT_SIZE];
    EXPECT_EQ(expected, ResolvePathVariables(text, kind, &kFake, out, sizeof out)) << text;
    return out;
  }
  std::string Local(const char* variable) {
    char out[VQ_TEXT_SIZE];
    EXPECT_TRUE(LocalVariablePath(variable, &kFake, out, sizeof out)) << variable;
    return out;
  }
};

// The rules around the names (which folder each one names, names in any case, several in one
// text, the arguments in a command line: the packed runs' rows).
TEST_F(PathVarsTest, Resolution) {
  struct Case {
    const char* tail;  // the packed executable's arguments
    const char* text;
    const char* expected;
    PathVarText kind = PATHVARS_PATH;
  } cases[] = {
      // Names in any case, anywhere, any number of times; unknown ones.
      {"", "*AppDir*a;*APPDIR*b;*appdir*c", "C:\\Downloads\\a;C:\\Downloads\\b;C:\\Downloads\\c"},
      {"", "*Nope*\\x", "C:\\Temp\\x"},  {"", "**\\x", "C:\\Temp\\x"},
      {"", "/S *TempDir*log.txt", "\\S C:\\Temp\\log.txt"},
      {"", "Files", "Files"},  {"", "a*b", "a*b"},  {"", "C:/x//y", "C:\\x\\y"},  {"", "", ""},
      // The arguments, whose own variables are resolved in turn.
      {"-x \"a b\"", "*command* /q", "-x \"a b\" \\q"},
      {"", "*Command*", ""},  {"*TempDir*out", "*Command*", "C:\\Temp\\out"},
      // Arguments holding the token itself end the resolution with the text as it was.
      {"/x *COMMAND*", "*Command* *AppDir*", "*Command* *AppDir*"},
      {"/x *command*", "*AppDir* *Command*", "C:\\Downloads\\ *Command*"},
      // A command line keeps what was typed; values are cleaned up, a separator behind one replaces its "\\".
      {"-x \"a b\"", "*command* /q", "-x \"a b\" /q", PATHVARS_COMMAND_LINE},
      {"C:/a//b *WinDir*/y", "*Command* *desktop*\\x", "C:/a//b C:\\WINDOWS/y C:\\Users\\u\\Desktop\\x",
       PATHVARS_COMMAND_LINE},
      {"", "http://h//a *Nope*", "http://h//a C:\\Temp\\", PATHVARS_COMMAND_LINE},
  };
  for (const Case& c : cases) {
    gFake.tail = c.tail;
    EXPECT_EQ(c.expected, Resolve(c.text, PATHVARS_OK, c.kind)) << c.text;
  }
}

// Resolved, a missing folder gives the temporary folder; shown, it is missing.
TEST_F(PathVarsTest, MissingFolders) {
  const std::string kUnable = "Unable to find the path on this system!";
  gFake.shellFolders.clear();  // no Shell Folders values at all
  gFake.programFiles = "";
  EXPECT_EQ(kUnable, Local("*Desktop*"));
  EXPECT_EQ(kUnable, Local("*QuickLaunch*"));
  EXPECT_EQ("C:\\Program Files", Local("*ProgramFiles*"));
  EXPECT_EQ("C:\\Temp\\", Resolve("*Desktop*"));
  EXPECT_EQ("C:\\Temp\\x", Resolve("*ProgramFiles*\\x"));
  // The suffix goes on even to an empty AppData, and that folder is missing.
  EXPECT_EQ("C:\\Temp\\", Resolve("*QuickLaunch*"));
  gFake.module = "C:\\Gone\\";
  EXPECT_EQ("C:\\Temp\\SubDirectory", Resolve("*AppDir*\\SubDirectory"));
  // A value holding an asterisk counts as missing: it would bring new pairs and never let the passes end.
  gFake.shellFolders = {{"Desktop", "C:\\*"}};
  gFake.existing.push_back("C:\\*");
  EXPECT_EQ("C:\\Temp\\a", Resolve("*Desktop*a"));
}

TEST_F(PathVarsTest, LongTextIsCutWithoutOverrun) {
  std::string text(3000, 'a');
  EXPECT_EQ(std::string(2047, 'a'), Resolve(text.c_str(), PATHVARS_CUT));
  std::string many;
  for (int i = 0; i < 200; ++i) many += "*WinDir*";
  std::string out = Resolve(many.c_str(), PATHVARS_CUT);
  EXPECT_EQ(2047u, out.size());
  EXPECT_EQ(0u, out.find("C:\\WINDOWS\\C:\\WINDOWS\\"));
  char small[8];
  EXPECT_EQ(PATHVARS_CUT, ResolvePathVariables("*TempDir*", PATHVARS_PATH, &kFake, small, sizeof small));
  EXPECT_STREQ("C:\\Temp", small);
}

TEST_F(PathVarsTest, LocalDisplayValues) {
  const std::string kUnable = "Unable to find the path on this system!";
  struct Case {
    const char* variable;
    std::string expected;
  } cases[] = {
      // *AppDir*, *TempDir*, *WinDir*, *RootDir*: the Windows suite's, against the real computer.
      {"*desktop*", "C:\\Users\\u\\Desktop"},
      {"*BrowseForFolder*", "Display a dialog box for the user to specify a folder."},
      {"*Command*",
       "The command line parameter passed to the executable will be used as the extraction "
       "directory."},
      {"*QuickLaunch*", "C:\\Users\\u\\AppData\\Microsoft\\Internet Explorer\\Quick Launch"},
      {"*Nope*", kUnable},  {"AppDir", kUnable},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, Local(c.variable)) << c.variable;
}

}  // namespace
