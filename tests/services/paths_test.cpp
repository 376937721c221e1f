#include "platform/platform.h"
#include "services/paths.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>

namespace {

TEST(Paths, NormalisePath) {
  const struct { const char* in; const char* out; size_t size = VQ_TEXT_SIZE; bool whole = true; } cases[] = {
      {"C:/a//b\\\\\\c", "C:\\a\\b\\\\c"},  {"\\\\srv\\x", "\\\\srv\\\\x"},
      {"\\\\server\\\\share", "\\\\server\\\\share"},
      {"//srv/x", "\\srv\\x"},  // slashes do not make a network path
      {"a\\\\\\\\b", "a\\\\b"},  // four become two
      {"a\\/\\b", "a\\\\b"},     // mixed: "\/" is a pair, then one more
      {"\\", "\\"},  {"\\\\", "\\\\"},  // one backslash left, doubled again
      {"\\\\\\", "\\\\\\\\"},  // pair, then one: two, doubled
      {"", ""},  {"  C:\\Mixed Case\\  ", "  C:\\Mixed Case\\  "},
      // Cut to fit; a doubled backslash never goes in half.
      {"C:/ab", "C:\\ab", 6},  {"C:/abc", "C:\\ab", 6, false},
      {"\\\\ab\\c", "\\\\ab", 6, false},
  };
  for (const auto& c : cases) {
    char out[VQ_TEXT_SIZE];
    EXPECT_EQ(c.whole, NormalisePath(c.in, out, c.size)) << c.in;
    EXPECT_STREQ(c.out, out) << c.in;
  }
}

TEST(Paths, ForceExtension) {
  const struct { const char* path; const char* ext; const char* out; size_t size = VQ_TEXT_SIZE; } cases[] = {
      {"C:\\Out\\setup.old.bin", ".exe", "C:\\Out\\setup.exe"},
      {"C:\\Out\\setup", ".exe", "C:\\Out\\setup.exe"},
      {"demo.vqx", ".vqx", "demo.vqx"},
      {"C:\\Work\\.hidden", ".vqx", "C:\\Work\\.vqx"},  {"C:\\Work\\", ".vqx", "C:\\Work\\.vqx"},
      {"", ".vqx", ".vqx"},  {"C:\\abcdef", ".vqx", "C:\\abcd", 8},  // cut to fit
  };
  for (const auto& c : cases) {
    char out[VQ_TEXT_SIZE];
    EXPECT_EQ(c.size == VQ_TEXT_SIZE, ForceExtension(c.path, c.ext, out, c.size)) << c.path;
    EXPECT_STREQ(c.out, out) << c.path;
  }
}

TEST(Paths, TrimAndBlank) {
  const struct { const char* in; const char* out; } cases[] = {
      {" \t\r\n\vtext \t\r\n\v", "text"},  {"  in side  ", "in side"},
      {"\f1.2\f", "\f1.2\f"},  // form feeds are not trimmed
      {"1.2 ", "1.2"},  {"", ""},  {" \t ", ""},
  };
  for (const auto& c : cases) {
    char out[64];
    EXPECT_TRUE(TrimText(c.in, out, sizeof out));
    EXPECT_STREQ(c.out, out) << c.in;
    EXPECT_EQ(c.out[0] == '\0', IsBlankText(c.in)) << c.in;
  }
}

TEST(Paths, CopyAndAppendReportCutting) {
  char out[5];
  EXPECT_TRUE(CopyText(out, sizeof out, "abcd"));
  EXPECT_FALSE(CopyText(out, sizeof out, "abcde"));
  EXPECT_STREQ("abcd", out);
  EXPECT_TRUE(CopyText(out, sizeof out, "ab"));
  EXPECT_TRUE(AppendText(out, sizeof out, "cd"));
  EXPECT_FALSE(AppendText(out, sizeof out, "e"));
  EXPECT_STREQ("abcd", out);
}

TEST(Paths, FolderOfPathTrailingBackslashAndCase) {
  const struct { const char* path; size_t size; const char* folder; bool whole; } folders[] = {
      {"C:\\x\\setup.exe", 64, "C:\\x\\", true}, {"setup.exe", 64, "", true},
      {"C:\\x\\y", 4, "C:\\", false},              {"C:\\", 64, "C:\\", true},
  };
  for (const auto& c : folders) {
    char out[64];
    EXPECT_EQ(c.whole, FolderOfPath(c.path, out, c.size)) << c.path;
    EXPECT_STREQ(c.folder, out) << c.path;
  }
  const struct {
    const char* text;  // in a buffer of 8 bytes
    bool fits;
    const char* result;
  } backslashes[] = {
      {"C:\\x", true, "C:\\x\\"}, {"C:\\x\\", true, "C:\\x\\"}, {"", true, ""},
      {"1234567", false, "1234567"},  // no room: unchanged
  };
  for (const auto& c : backslashes) {
    char eight[8];
    CopyText(eight, sizeof eight, c.text);
    EXPECT_EQ(c.fits, AddTrailingBackslash(eight, sizeof eight)) << c.text;
    EXPECT_STREQ(c.result, eight);
  }
  EXPECT_TRUE(EqualIgnoringCase("*hidewin*", "*HIDEWIN*", 9));
  EXPECT_TRUE(EqualIgnoringCase("ab", "AB", 5));  // both end together
  EXPECT_FALSE(EqualIgnoringCase("ab", "abc", 3));
  EXPECT_FALSE(EqualIgnoringCase("\xe9", "\xc9", 1));  // ASCII letters only
}

TEST(Paths, PathExistsAndListedFileSize) {
  const std::string folder = SampleFolder();
  const struct {
    const char* path;  // below the folder
    bool exists;
    uint32_t size;
  } cases[] = {
      {"Setup.exe", true, 1234},  {"*.EXE", true, 1234},
      {"*.txt", true, 5},         {"read??.txt", true, 5},    {"Sub Folder", true, 0},
      {"Sub*", true, 0},          {"", true, 0},  // the folder with its trailing backslash
      {"*.zip", false, 0},        {"read?.txt", false, 0},    {"missing.exe", false, 0},
      {"Setup.exe\\inside", false, 0},  {"no folder\\*.exe", false, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.exists, PathExists((folder + c.path).c_str())) << c.path;
    EXPECT_EQ(c.size, ListedFileSize((folder + c.path).c_str())) << c.path;
  }
  EXPECT_EQ(1234u, ListedFileSize((folder + "setup.EXE").c_str()));  // as listed, in any case
  EXPECT_FALSE(PathExists(""));
  EXPECT_EQ(0u, ListedFileSize(""));
}

TEST(Paths, AppFolderAndFileName) {
  char module[VQ_TEXT_SIZE], folder[VQ_TEXT_SIZE], name[VQ_TEXT_SIZE];
  ASSERT_TRUE(PlatformModuleFileName(module, sizeof module));
  ASSERT_TRUE(AppFolder(folder, sizeof folder));
  ASSERT_TRUE(AppFileName(name, sizeof name));
  EXPECT_EQ('\\', folder[strlen(folder) - 1]);
  EXPECT_EQ(std::string(module), std::string(folder) + name);
  EXPECT_EQ(0u, std::string(name).find("services_test")) << name;
  EXPECT_EQ(nullptr, strchr(name, '\\'));
  char small[4];
  EXPECT_FALSE(AppFolder(small, sizeof small));
}

}  // namespace
