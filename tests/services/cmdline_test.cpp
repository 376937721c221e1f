#include "services/cmdline.h"

#include "tests/support/support.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include "tests/support/registry_win32.h"
#endif

#include <string.h>

#include <string>

namespace {

TEST(CommandLine, CommandTail) {
  const struct { const char* line; const char* tail; } cases[] = {
      {"builder.exe", ""},  {"builder.exe ", ""},  {"builder.exe C:\\p.vqx", "C:\\p.vqx"},
      {"builder.exe  \t\r\n\v\f C:\\p.vqx ", "C:\\p.vqx "},
      {"\"C:\\Program Files\\builder.exe\" \"C:\\My Files\\p.vqx\"", "\"C:\\My Files\\p.vqx\""},
      {"C:\\Pro\"gram Fi\"les\\b.exe x", "x"},  // a quoted span inside the name
      {"\"C:\\unclosed quote\\b.exe x", ""},  // the span runs to the end
      {"b.exe\tx y", "y"},                    // only a blank ends the name
      {"\"b.exe\"x y", "y"},  {"", ""},
  };
  for (const auto& c : cases) EXPECT_STREQ(c.tail, CommandTailOf(c.line)) << c.line;
}

TEST(CommandLine, ProjectPathInTail) {
  const struct { const char* tail; bool found; const char* path; size_t size = VQ_TEXT_SIZE; } cases[] = {
      {"", false, ""},  {"C:\\p.vqx", true, "C:\\p.vqx"},  {"\"\"", true, ""},
      {"\"C:\\My Files\\p.vqx\"", true, "C:\\My Files\\p.vqx"},
      {"C:\\My Files\\p.vqx  ", true, "C:\\My Files\\p.vqx  "},  // unquoted: taken whole
      {"\"C:\\a.vqx\" \"C:\\b.vqx\"", true, "C:\\a.vqx"},
      {"-x \"C:\\a.vqx\" tail", true, "C:\\a.vqx"},
      {"\"C:\\open ended", true, "C:\\open ended"},  {"C:\\p.vqx", false, "", 4},  // too long: nothing
  };
  for (const auto& c : cases) {
    char out[VQ_TEXT_SIZE] = "junk";
    EXPECT_EQ(c.found, ProjectPathInTail(c.tail, out, c.size)) << c.tail;
    EXPECT_STREQ(c.path, out) << c.tail;
  }
}

#ifdef _WIN32
TEST(Registry, RegisterProjectTypeWritesTheFourValues) {
  const char* builder = "C:\\Tools\\builder.exe";
  // Something else registered first is overwritten.
  WriteRegistryString(PLATFORM_HKEY_CLASSES_ROOT, ".vqx", "", "someone_else");
  RegisterProjectType(".vqx", builder, "vqx_ext", "Varnoquist Project File.", builder);
  const struct { const char* key; const char* text; } expected[] = {
      {".vqx", "vqx_ext"},
      {"vqx_ext", "Varnoquist Project File."},
      {"vqx_ext\\DefaultIcon", "C:\\Tools\\builder.exe"},
      {"vqx_ext\\shell\\open\\command", "\"C:\\Tools\\builder.exe\" \"%1\""},
  };
  for (const auto& e : expected) {
    std::string text;
    DWORD type = 0;
    ASSERT_TRUE(ReadRegistryValue(HKEY_CLASSES_ROOT, e.key, "", &text, &type)) << e.key;
    EXPECT_EQ((DWORD)REG_SZ, type) << e.key;
    EXPECT_EQ(std::string(e.text) + '\0', text) << e.key;  // the zero byte counts
  }
}
#endif

}  // namespace
