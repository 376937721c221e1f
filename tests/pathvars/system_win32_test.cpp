// The builder's real computer as the Variables dialog shows it, and the
// registry values as the path variables read them.
#include <gtest/gtest.h>
#include <windows.h>

#include <string.h>

#include <string>

#include "pathvars/system_win32.h"
#include "tests/support/registry_win32.h"

namespace {

std::string LocalOf(const char* variable) {
  char out[VQ_TEXT_SIZE];
  EXPECT_TRUE(LocalVariablePath(variable, &kLocalPathVarSystem, out, sizeof out));
  return out;
}

TEST(LocalVariables, ShowTheBuildersComputer) {
  char windows[MAX_PATH], system[MAX_PATH], temp[MAX_PATH], module[MAX_PATH], current[MAX_PATH];
  GetWindowsDirectoryA(windows, MAX_PATH);
  GetSystemDirectoryA(system, MAX_PATH);
  GetTempPathA(MAX_PATH, temp);
  GetModuleFileNameA(nullptr, module, MAX_PATH);
  *(strrchr(module, '\\') + 1) = 0;
  GetCurrentDirectoryA(MAX_PATH, current);
  EXPECT_EQ(windows, LocalOf("*WinDir*"));
  EXPECT_EQ(system, LocalOf("*SysDir*"));
  EXPECT_EQ(temp, LocalOf("*TempDir*"));  // with its trailing backslash
  EXPECT_EQ(std::string(windows, 3), LocalOf("*RootDir*"));
  EXPECT_EQ(module, LocalOf("*appdir*"));
  EXPECT_EQ(current, LocalOf("*CurDir*"));
}

TEST(LocalVariables, RegistryValuesAsStoredAndWhole) {
  const struct {
    std::string value;
    const char* shown;       // what the Variables dialog shows
    size_t readSize;         // ReadShellFolder into this many bytes
    const char* read;
  } cases[] = {
      {"C:/Videos//Mine", "C:\\Videos\\Mine", 64, "C:/Videos//Mine"},
      {"%TEMP%\\vq test", "%TEMP%\\vq test", 64, "%TEMP%\\vq test"},  // no expansion
      {"%TEMP%\\vq test", "%TEMP%\\vq test", 5, ""},  // does not fit: empty, not cut
      {"C:\\" + std::string(300, 'v'), "Unable to find the path on this system!", 2048,
       nullptr},  // longer than the builder's 260 bytes: missing
  };
  for (const auto& c : cases) {
    ScopedRegistryValue video(HKEY_CURRENT_USER, kShellFoldersKey, "My Video", c.value);
    EXPECT_EQ(c.shown, LocalOf("*MyVideo*"));
    char out[2048];
    EXPECT_EQ(c.readSize != 5, ReadShellFolder("My Video", out, c.readSize));
    EXPECT_EQ(c.read ? c.read : c.value, std::string(out));
  }
  {
    ScopedRegistryValue gone(HKEY_CURRENT_USER, kShellFoldersKey, "VqTestValue", "x");
  }
  char out[16];
  EXPECT_FALSE(ReadShellFolder("VqTestValue", out, sizeof out));
  EXPECT_STREQ("", out);
}

}  // namespace
