// The extractor's rules that need no system: searches, entry names, progress, windows, overwriting.
#include <gtest/gtest.h>

#include <string.h>

#include <random>
#include <string>
#include <vector>

#include "base/layout.h"
#include "extractor/entry_names.h"
#include "extractor/locate.h"
#include "extractor/run_rules.h"
#include "base/text.h"
#include "base/utf8.h"

namespace {

// ---------------------------------------------------------------- searches

struct Buffer {
  std::vector<unsigned char> bytes;
  int reads = 0;
  int fail = 0;  // 1: reads fail, 2: seeks fail
};

SourceStatus ReadBuffer(void* context, uint32_t offset, unsigned char* out, uint32_t size,
                        uint32_t* got) {
  Buffer* b = (Buffer*)context;
  ++b->reads;
  if (b->fail) return b->fail == 1 ? SOURCE_READ_FAILED : SOURCE_SEEK_FAILED;
  uint32_t available = offset < b->bytes.size() ? (uint32_t)b->bytes.size() - offset : 0;
  *got = size < available ? size : available;
  if (*got) memcpy(out, b->bytes.data() + offset, *got);
  return SOURCE_OK;
}

const unsigned char kMarker[4] = {'[', 'V', 'Q', ']'};
const unsigned char kHeader[4] = {'P', 'K', 3, 4};

const uint32_t kNone = 0xFFFFFFFF;

// The rule as the format states it, one position at a time; kNone when absent.
uint32_t FindOneByOne(const Buffer& b, uint32_t from, uint32_t last, const unsigned char* pattern) {
  for (uint64_t k = from; k <= last && k + 4 <= b.bytes.size(); ++k)
    if (memcmp(b.bytes.data() + k, pattern, 4) == 0) return (uint32_t)k;
  return kNone;
}

void Place(Buffer* b, size_t at, const unsigned char* pattern) {
  if (b->bytes.size() < at + 4) b->bytes.resize(at + 4, 'x');
  memcpy(b->bytes.data() + at, pattern, 4);
}

TEST(LocatePackedParts, LimitsAndErrors) {
  struct { uint32_t markerAt, headerAt; int fail, error; } cases[] = {  // kNone: not placed; fail as Buffer's
      {0, 4, 0, 0},          {16382, 20000, 0, 0},  // a marker across two blocks
      {60000, 800004, 0, 0}, {60001, 800004, 0, STUB_ERROR_MARKER_NOT_FOUND},
      {kNone, 100, 0, STUB_ERROR_MARKER_NOT_FOUND},
      {100, 800005, 0, STUB_ERROR_ARCHIVE_NOT_FOUND},
      {100, kNone, 0, STUB_ERROR_ARCHIVE_NOT_FOUND},
      {100, 200, 1, STUB_ERROR_MARKER_READ},   {100, 200, 2, STUB_ERROR_MARKER_SEEK},
  };
  for (const auto& c : cases) {
    Buffer b;
    b.bytes.assign(c.headerAt == kNone ? 900000 : c.headerAt + 100, 0x5B);  // many a "["
    if (c.markerAt != kNone) Place(&b, c.markerAt, kMarker);
    if (c.headerAt != kNone) Place(&b, c.headerAt, kHeader);
    b.fail = c.fail;
    uint32_t marker = 0, archive = 0;
    EXPECT_EQ(c.error, LocatePackedParts(ReadBuffer, &b, &marker, &archive)) << c.markerAt;
    if (c.error == 0) {
      EXPECT_EQ(c.markerAt, marker);
      EXPECT_EQ(c.headerAt, archive);
      EXPECT_LT(b.reads, 120);  // in blocks, not byte by byte
    }
  }
}

TEST(FindPattern, SameOffsetsAsOneByOneSearch) {
  std::mt19937 random(7);
  for (int round = 0; round < 300; ++round) {
    Buffer b;
    b.bytes.resize(random() % 70000);
    // Few distinct bytes, so near-matches and matches across blocks are common.
    for (auto& byte : b.bytes) byte = "[VQ]PK\3\4"[random() % 8];
    int plants = random() % 3;
    for (int i = 0; i < plants && b.bytes.size() > 8; ++i)
      Place(&b, random() % (b.bytes.size() - 4), random() % 2 ? kMarker : kHeader);
    uint32_t from = b.bytes.empty() ? 0 : random() % b.bytes.size();
    uint32_t last = from + random() % 70000;
    for (int which = 0; which < 2; ++which) {
      uint32_t got = kNone, want = FindOneByOne(b, from, last, which ? kHeader : kMarker);
      FindResult result =
          FindPattern(ReadBuffer, &b, from, last, which ? &kLocalHeader : &kMetaMarker, &got);
      ASSERT_EQ(want == kNone ? FIND_NOT_FOUND : FIND_FOUND, result) << "round " << round;
      ASSERT_EQ(want, result == FIND_FOUND ? got : kNone) << "round " << round;
    }
  }
}

// ---------------------------------------------------------------- entry names

TEST(EntryNames, SafeAndUnsafe) {
  struct { const char* name; bool safe; } cases[] = {
      {"a.txt", true},         {"sub\\a.txt", true},     {"sub/a.txt", true},
      {"sub/", true},          {"a..b.txt", true},       {".hidden", true},
      {"..a", true},           {"a\\.\\b", true},        {"", false},
      {"\\a.txt", false},      {"/a.txt", false},        {"C:\\a.txt", false},
      {"C:a.txt", false},      {"a.txt:stream", false},  {"..", false},
      {"..\\a.txt", false},    {"../a.txt", false},      {"sub\\..\\..\\a", false},
      {"sub/..", false},       {"...\\a", false},        {". .\\a", false},
      {".. \\a", false},       {"\\\\srv\\share", false},
  };
  for (const auto& c : cases) EXPECT_EQ(c.safe, IsEntryNameSafe(c.name)) << c.name;
}

// The stub's conversion of UTF-8 names and values: exact, or refused whole.
TEST(EntryNames, Utf8ToUtf16) {
  struct { const char* utf8; std::u16string utf16; bool ok; size_t room; } cases[] = {
      {"", u"", true, 1},  {"a.txt", u"a.txt", true, 8},  {"Caf\xC3\xA9", u"Caf\u00E9", true, 8},
      {"\xD1\x84\xD0\xB0\xE6\x97\xA5", u"\u0444\u0430\u65E5", true, 8},  {"\xEF\xBF\xBD", u"\uFFFD", true, 2},
      {"\xF0\x9F\x98\x80!", u"\U0001F600!", true, 4},  {"\xF4\x8F\xBF\xBF", u"\U0010FFFF", true, 3},  // pairs fit exactly
      {"\xF0\x9F\x98\x80", u"", false, 2},  {"abc", u"", false, 3},  {"a", u"", false, 0},  // no room for the zero
      {"\xC0\xAE", u"", false, 8},  {"\xE0\x80\xAE", u"", false, 8},  {"\xF0\x80\x80\xAE", u"", false, 8},  // overlong
      {"a\xC3", u"", false, 8},  {"\xE6\x97", u"", false, 8},  {"\xF0\x9F\x98" "a", u"", false, 8},  // cut short
      {"\x80", u"", false, 8},  {"\xED\xA0\x80", u"", false, 8},  {"\xF4\x90\x80\x80", u"", false, 8},  // surrogate, > U+10FFFF
      {"\xF8\x88\x80\x80\x80", u"", false, 8},  {"\xFF", u"", false, 8},  {"\xC1\xBF", u"", false, 8},
  };
  for (const auto& c : cases) {
    Utf16Unit out[8] = {'x', 'x'};
    EXPECT_EQ(c.ok ? c.utf16.size() : (size_t)-1, Utf8ToUtf16(c.utf8, out, c.room)) << c.utf8;
    std::u16string text;  // out is left empty on a refusal
    for (size_t i = 0; c.room > 0 && out[i]; ++i) text += (char16_t)out[i];
    EXPECT_EQ(c.utf16, text) << c.utf8;
  }
}

TEST(EntryNames, InsideFolder) {
  struct { const char *path, *folder; bool inside; } cases[] = {
      {"C:\\x\\a.txt", "C:\\x\\", true},  {"c:\\X\\sub\\", "C:\\x\\", true},
      {"C:\\x\\", "C:\\x\\", false},      {"C:\\x", "C:\\x\\", false},
      {"C:\\xy\\a", "C:\\x\\", false},    {"\\\\.\\CON", "C:\\x\\", false},
      {"C:\\a.txt", "C:\\x\\", false},    {"C:\\x\\a", "C:\\x", false},
  };
  for (const auto& c : cases) EXPECT_EQ(c.inside, IsInsideFolder(c.path, c.folder)) << c.path;
}

// ---------------------------------------------------------------- run rules

TEST(Progress, PositionAndText) {
  struct { uint32_t extracted, unzipSize, position; const char* text; } cases[] = {
      {150, 200, 75, " 75%"}, {0, 200, 0, " 0%"}, {57, 100, 57, " 57%"}, {300, 200, 150, " 150%"},  // more than promised
      {5, 50, 10, " 10%"}, {50, 50, 100, " 100%"}, {0, 0, 100, " 100%"}, {99, 99, 100, " 100%"},  // below 100: no division by 0
      {4000000000u, 4294967295u, 93, " 93%"},  {42949672, 97, 44278012, " 44278012%"},  // 2 GiB and more
      {2147483647u, 50, 4294967294u, " 4294967294%"}, {2147483648u, 50, 4294967295u, " 4294967295%"},  // at most
  };
  for (const auto& c : cases) {
    uint32_t position = ProgressPosition(c.extracted, c.unzipSize);
    EXPECT_EQ(c.position, position) << c.extracted << "/" << c.unzipSize;
    EXPECT_EQ(position, ProgressPosition32(c.extracted, c.unzipSize)) << c.extracted << "/" << c.unzipSize;
    char text[16];
    FormatPercent(position, text);
    EXPECT_STREQ(c.text, text);
  }
}

TEST(Launch, ShowCommands) {
  struct { const char* keyword; int show; } cases[] = {
      {"*ShowWin*", 1},       {"*HideWin*", 0},      {"*MaximizeWin*", 3},
      {"*MinimizeWin*", 2},   {"*maximizewin*", 3},  {"*HIDEWIN*", 0},
      {"MaximizeWin", 1},     {"", 1},               {"*Maximize*", 1},
      {"x*HideWin*y", 0},     {"*HideWin", 1},       {"*MaximizeWinX*", 1},
  };
  for (const auto& c : cases) EXPECT_EQ(c.show, ShowCommandOf(c.keyword)) << c.keyword;
}

}  // namespace

TEST(Overwrite, ExistingTargetsAndReplaceAnswers) {
  EXPECT_EQ(TARGET_WRITE, ExistingTargetPolicy(OVERWRITE_SKIP, false, false));
  EXPECT_EQ(TARGET_WRITE, ExistingTargetPolicy(OVERWRITE_ASK, true, true));  // folders never asked
  EXPECT_EQ(TARGET_SKIP, ExistingTargetPolicy(OVERWRITE_SKIP, true, false));
  EXPECT_EQ(TARGET_ASK, ExistingTargetPolicy(OVERWRITE_ASK, true, false));
  EXPECT_EQ(TARGET_WRITE, ExistingTargetPolicy(7, true, false));
  // A sequence of answers in one run: mode and last answer carry over.
  struct { ReplaceButton button; bool replace; int modeAfter; } steps[] = {
      {REPLACE_CLOSED, false, OVERWRITE_ASK},  // nothing answered yet
      {REPLACE_YES, true, OVERWRITE_ASK},     {REPLACE_CLOSED, true, OVERWRITE_ASK},
      {REPLACE_NO, false, OVERWRITE_ASK},     {REPLACE_NO_TO_ALL, false, OVERWRITE_SKIP},
      {REPLACE_YES_TO_ALL, true, OVERWRITE_ALL},
  };
  int mode = OVERWRITE_ASK;
  bool last = false;
  for (const auto& s : steps) {
    EXPECT_EQ(s.replace, TakeReplaceAnswer(s.button, &mode, &last)) << s.button;
    EXPECT_EQ(s.modeAfter, mode) << s.button;
  }
}
