// The operating-system layer on disk: natively our POSIX side, under Wine the Win32 calls.
#include "platform/platform.h"
#include "platform/wildcard.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Platform, WildcardMatch) {
  const struct { const char* mask; const char* name; bool match; } cases[] = {
      {"*", "anything.txt", true},   {"*.*", "noext", true},      {"*.txt", "A.TXT", true},
      {"*.txt", "a.txt.bak", false}, {"?.txt", "ab.txt", false},  {"??.txt", "ab.txt", true},
      {"a*b*c", "aXbYbZc", true},    {"a*b*c", "aXbYcZ", false},  {"*a", "bbbba", true},
      {"Setup.EXE", "setup.exe", true}, {"setup", "setup.exe", false}, {"*x*", "", false},
      {"", "", true},                {"**", "z", true},           {"a?c", "abc", true},
  };
  for (const auto& c : cases) EXPECT_EQ(c.match, WildcardMatch(c.mask, c.name)) << c.mask << " " << c.name;
}

TEST(Platform, FileInfoAndListing) {
  const std::string folder = SampleFolder();
  PlatformFileInfo info;
  ASSERT_TRUE(PlatformGetFileInfo((folder + "Setup.exe").c_str(), &info));
  EXPECT_FALSE(info.isFolder);
  EXPECT_EQ(1234u, info.size);
  ASSERT_TRUE(PlatformGetFileInfo((folder + "Sub Folder").c_str(), &info));
  EXPECT_TRUE(info.isFolder);
  // A listing without wildcards names the entry as it is on disk, whatever the case asked for.
  PlatformFindData data;
  PlatformFind* find = PlatformFindFirst((folder + "setup.EXE").c_str(), &data);
  ASSERT_NE(nullptr, find);
  EXPECT_STREQ("Setup.exe", data.name);
  EXPECT_FALSE(PlatformFindNext(find, &data));
  PlatformFindClose(find);
}

TEST(Platform, TempFileNames) {
  char a[VQ_PATH_SIZE], b[VQ_PATH_SIZE];
  ASSERT_TRUE(PlatformTempFileName(ScratchFolder().c_str(), "vqxyz", a, sizeof a));
  ASSERT_TRUE(PlatformTempFileName(ScratchFolder().c_str(), "vqxyz", b, sizeof b));
  EXPECT_STRNE(a, b);
  std::string name = std::string(a).substr(ScratchFolder().size());
  EXPECT_EQ(0u, name.find("vqx")) << name;  // three characters of the prefix
  EXPECT_EQ(".tmp", name.substr(name.size() - 4));
  EXPECT_EQ("", ReadRawFile(a));  // created, empty
  EXPECT_FALSE(PlatformTempFileName((ScratchFolder() + "gone\\").c_str(), "vqx", a, sizeof a));
}

TEST(Platform, SystemPathMapsOnlyAtTheCall) {
  char out[64];
  ASSERT_TRUE(PlatformSystemPath("C:\\Work\\a b.txt", out, sizeof out));
#ifdef _WIN32
  EXPECT_STREQ("C:\\Work\\a b.txt", out);
#else
  EXPECT_STREQ("/Work/a b.txt", out);
#endif
  EXPECT_FALSE(PlatformSystemPath("C:\\a long path", out, 5));
  EXPECT_STREQ("", out);
}

}  // namespace
