// The profile services: the same tables natively for our reader and writer, under Wine the system's.
#include "platform/platform.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

namespace {

// Rows: what, file bytes ("<none>": no file), section, key, default, buffer size, expected value.
struct ReadCase {
  const char* what;
  std::string file;
  const char *section, *key, *defaultText;
  size_t size;
  std::string expected;
};

const std::string kLong = std::string(2046, 'x') + 'y' + std::string(2953, 'x');
const ReadCase kReads[] = {
    {"CR LF lines", "[Varnoquist]\r\nKey=Value\r\nOther=2\r\n", "Varnoquist", "Key", "d", 64, "Value"},
    {"LF lines", "[Varnoquist]\nKey=Value\nOther=2\n", "Varnoquist", "Other", "d", 64, "2"},
    {"CR lines", "[Varnoquist]\rKey=Value\rOther=2\r", "Varnoquist", "Other", "d", 64, "2"},
    {"LF lines then CR lines", "[VQ]\nA=1\nB=2\nC=3\rD=4\rE=5\r", "VQ", "E", "d", 64, "5"},
    {"no line end at all", "[Varnoquist]\nKey=last", "Varnoquist", "Key", "d", 64, "last"},
    {"names ignore case", "[varnoQUIST]\nkEy=v\n", "Varnoquist", "KEY", "d", 64, "v"},
    {"blanks around name and value", "[S]\n  Key \t=   spaced  value \t \n", "S", "Key", "d", 64,
     "spaced  value"},
    {"double quotes go", "[S]\nKey=\"quoted\"\n", "S", "Key", "d", 64, "quoted"},
    {"single quotes go", "[S]\nKey='single'\n", "S", "Key", "d", 64, "single"},
    {"blanks inside quotes stay", "[S]\nKey=\"  inner  \"\n", "S", "Key", "d", 64, "  inner  "},
    {"blanks outside quotes go", "[S]\nKey=  \"x\"  \n", "S", "Key", "d", 64, "x"},
    {"one pair only", "[S]\nKey=\"\"x\"\"\n", "S", "Key", "d", 64, "\"x\""},
    {"mismatched quotes stay", "[S]\nKey=\"mixed'\n", "S", "Key", "d", 64, "\"mixed'"},
    {"empty quotes", "[S]\nKey=\"\"\n", "S", "Key", "d", 64, ""},
    {"rest of the line after the first =", "[S]\nKey=a=b = c\n", "S", "Key", "d", 64, "a=b = c"},
    {"empty value is no default", "[S]\nKey=\nNext=1\n", "S", "Key", "d", 64, ""},
    {"first of duplicate keys wins", "[S]\nKey=first\nKEY=second\n", "S", "Key", "d", 64, "first"},
    {"only the first section of a name", "[S]\nA=1\n[T]\nB=2\n[S]\nC=3\n", "S", "C", "d", 64, "d"},
    {"no section in the file", "Key=v\nOther=w\n", "S", "Key", "dflt", 64, "dflt"},
    {"comment line is a key of its own", "[S]\n;Key=v\n", "S", "Key", "d", 64, "d"},
    {"blank lines between", "[S]\n\n\r\n  \nKey=v\n", "S", "Key", "d", 64, "v"},
    {"text behind the header", "[S] trailing\nKey=v\n", "S", "Key", "d", 64, "v"},
    {"unclosed header is no section", "[S]\nA=1\n[T\nKey=v\n", "S", "Key", "d", 64, "v"},
    {"default loses trailing blanks", "[S]\nA=1\n", "S", "Key", "dflt  ", 64, "dflt"},
    {"default loses its quotes", "[S]\nA=1\n", "S", "Key", "\"q\"", 64, "q"},
    {"value cut to the buffer", "[S]\nKey=abcdefghij\n", "S", "Key", "d", 5, "abcd"},
    {"quoted value just too long", "[S]\nKey=\"abc\"\n", "S", "Key", "d", 4, "ab"},
    {"quoted value just fitting", "[S]\nKey=\"abc\"\n", "S", "Key", "d", 5, "abc"},
    {"value of blanks only", "[S]\nKey=  \t \nNext=1\n", "S", "Key", "d", 64, ""},
    {"default cut to the buffer", "[S]\n", "S", "Key", "abcdefgh", 4, "abc"},
    {"long value cut to the buffer", "[S]\r\nKey=" + kLong + "\r\nNext=1\r\n", "S", "Key", "", 2048,
     kLong.substr(0, 2047)},
    {"key behind a long line", "[S]\r\nKey=" + kLong + "\r\nNext=1\r\n", "S", "Next", "", 2048, "1"},
    {"bytes above 127 kept", "[S]\nKey=\xe9t\xe9 \xfc\xff\x80\n", "S", "Key", "d", 64,
     "\xe9t\xe9 \xfc\xff\x80"},
    {"NUL ends the value", Bytes("[S]\nKey=ab\0cd\nNext=1\n"), "S", "Key", "d", 64, "ab"},
    {"UTF-8 byte order mark", "\xEF\xBB\xBF[S]\nKey=v\n", "S", "Key", "d", 64, "v"},
    {"empty file", "", "S", "Key", "dflt", 64, "dflt"},
    {"no file at all", "<none>", "S", "Key", "dflt  ", 64, "dflt"},
};

// Nothing is written past the buffer the caller names.
TEST(Profile, ReadsLikeTheWindowsProfileServices) {
  for (const ReadCase& c : kReads) {
    std::string path = ScratchName("read");
    ASSERT_TRUE(c.file == "<none>" || WriteRawFile(path, c.file));
    std::string out(4096, '#');
    size_t n = PlatformProfileGetString(c.section, c.key, c.defaultText, &out[0], c.size, path.c_str());
    EXPECT_EQ(c.expected, out.c_str()) << c.what;
    EXPECT_EQ(c.expected.size(), n) << c.what;
    EXPECT_EQ(std::string(out.size() - c.size, '#'), out.substr(c.size)) << c.what;
  }
}

TEST(Profile, ReadsNumbersLikeGetPrivateProfileInt) {
  const struct {
    const char* value;  // nullptr: no such key
    int defaultValue, expected;
  } cases[] = {
      {"42", 7, 42},          {"-5", 7, -5},       {"+8", 7, 8},        {"", 7, 7},
      {nullptr, 7, 7},        {"abc", 7, 0},       {"12abc", 7, 12},    {"\"9\"", 7, 9},
      {"\" 3\"", 7, 3},       {"0x10", 7, 16},      {"0X10", 7, 0},      {"0xfF", 7, 255},    {"0x", 7, 0},
      {"-0x10", 7, -16},    {"0o17", 7, 15},     {"0b101", 7, 5},     {"0b2", 7, 0},
      {"1e3", 7, 1},      {"4294967297", 7, 1}, {"-0", 7, 0},
      {"2147483647", 7, 2147483647},              {"007", 1, 7},
  };
  for (const auto& c : cases) {
    std::string path = ScratchName("int");
    ASSERT_TRUE(WriteRawFile(path, "[S]\n" + (c.value ? std::string("N=") + c.value + "\n" : "")));
    EXPECT_EQ(c.expected, PlatformProfileGetInt("S", "N", c.defaultValue, path.c_str()))
        << (c.value ? c.value : "(missing)");
  }
}

TEST(Profile, WritesLikeTheWindowsProfileServices) {
  const struct {
    const char* what;
    std::string before;  // "<no folder>": no file, nor its folder
    std::vector<std::vector<const char*>> steps;  // section, key, value
    std::string after;
  } cases[] = {
      {"keys in the order written, into the empty file a save starts from", "",
       {{"S", "A", "1"}, {"S", "B", "2"}, {"S", "C", ""}}, "[S]\r\nA=1\r\nB=2\r\nC=\r\n"},
      {"leading blanks of a value go", "", {{"S", "A", "  v w"}}, "[S]\r\nA=v w\r\n"},
      {"quotes are written as given", "", {{"S", "A", "\"q\""}}, "[S]\r\nA=\"q\"\r\n"},
      {"a missing folder fails", "<no folder>", {{"S", "A", "1"}}, "<missing>"},
  };
  for (const auto& c : cases) {
    bool fails = c.before == "<no folder>";
    std::string path = fails ? ScratchName("gone") + "\\file.ini" : ScratchName("write");
    ASSERT_TRUE(c.before[0] == '<' || WriteRawFile(path, c.before));
    for (const auto& s : c.steps)
      EXPECT_EQ(!fails, PlatformProfileWriteString(s[0], s[1], s[2], path.c_str())) << c.what;
    PlatformProfileFlush(path.c_str());
    EXPECT_EQ(c.after, ReadRawFile(path)) << c.what;
  }
}

}  // namespace
