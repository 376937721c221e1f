// The path texts' edge cases (what the pages, the project file and the packer make of them:
// their own suites).
#include "base/text.h"

#include <gtest/gtest.h>

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

}  // namespace
