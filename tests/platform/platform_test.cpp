// The operating-system layer on disk: natively our POSIX side, under Wine the Win32 calls.
#include "platform/platform.h"
#include "platform/wildcard.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>

#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

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
#ifdef _WIN32
  // A temporary folder the code page cannot show is taken in its short form, which names it still.
  wchar_t temp[VQ_PATH_SIZE] = L"", old[VQ_PATH_SIZE] = L"";
  MultiByteToWideChar(CP_ACP, 0, ScratchFolder().c_str(), -1, temp, VQ_PATH_SIZE);
  wcscat(temp, L"temp \u674e\\");
  ASSERT_TRUE(CreateDirectoryW(temp, nullptr) && GetEnvironmentVariableW(L"TMP", old, VQ_PATH_SIZE));
  SetEnvironmentVariableW(L"TMP", temp);
  EXPECT_TRUE(PlatformTempFolder(a, sizeof a) && PlatformTempFileName(a, "vqx", b, sizeof b)) << a;
  SetEnvironmentVariableW(L"TMP", old);
  WIN32_FIND_DATAW made;
  EXPECT_NE(FindFirstFileW((std::wstring(temp) + L"vqx*.tmp").c_str(), &made), INVALID_HANDLE_VALUE);
#endif
}

#ifdef _WIN32
// Past MAX_PATH the UTF-8 calls still list, examine and read a file, "." and ".." resolved.
TEST(Platform, Utf8PathsPastMaxPath) {
  std::string deep = ScratchFolder(), part = std::string(100, 'd') + "\\";
  auto wide = [](const std::string& path) { return std::wstring(path.begin(), path.end()); };
  for (int i = 0; i < 3; ++i) CreateDirectoryW(wide(deep += part).c_str(), nullptr);
  HANDLE h = CreateFileW(wide(deep + "f.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  DWORD wrote = 0;
  ASSERT_TRUE(WriteFile(h, "deep", 4, &wrote, nullptr) && CloseHandle(h));
  PlatformFindData item;
  PlatformFileInfo info;
  PlatformFind* find = PlatformFindFirstUtf8((deep + "*.txt").c_str(), &item);
  EXPECT_TRUE(find && std::string(item.name) == "f.txt" && (PlatformFindClose(find), true));
  EXPECT_TRUE(PlatformGetFileInfoUtf8((deep + ".\\f.txt").c_str(), &info) && info.size == 4);
  PlatformFile* file = PlatformOpenReadUtf8((deep + "..\\" + part + "f.txt").c_str());
  char text[8];
  size_t got = 0;
  EXPECT_TRUE(file && PlatformReadFile(file, text, sizeof text, &got) && PlatformCloseFile(file));
  EXPECT_EQ(std::string(text, got), "deep");
  DeleteFileW(wide(deep + "f.txt").c_str());
  for (int i = 0; i < 3; ++i, deep.resize(deep.size() - part.size())) RemoveDirectoryW(wide(deep).c_str());
}
#endif

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
