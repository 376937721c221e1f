// The extractor's rules that need no system: the searches of its own file,
// entry names, progress text, window states and the item list.
#include <gtest/gtest.h>

#include <string.h>

#include <random>
#include <string>
#include <vector>

#include "build/layout.h"
#include "extractor/entry_names.h"
#include "extractor/errors.h"
#include "extractor/locate.h"
#include "extractor/run_rules.h"
#include "shell/paths.h"

namespace {

// ---------------------------------------------------------------- searches

struct Buffer {
  std::vector<unsigned char> bytes;
  int reads = 0;
  bool failRead = false;
  bool failSeek = false;
};

SourceStatus ReadBuffer(void* context, uint32_t offset, unsigned char* out, uint32_t size,
                        uint32_t* got) {
  Buffer* b = (Buffer*)context;
  ++b->reads;
  if (b->failSeek) return SOURCE_SEEK_FAILED;
  if (b->failRead) return SOURCE_READ_FAILED;
  uint32_t available = offset < b->bytes.size() ? (uint32_t)b->bytes.size() - offset : 0;
  *got = size < available ? size : available;
  if (*got) memcpy(out, b->bytes.data() + offset, *got);
  return SOURCE_OK;
}

const unsigned char kMarker[4] = {'[', 'V', 'Q', ']'};
const unsigned char kHeader[4] = {'P', 'K', 3, 4};

// The rule as the format states it, one position at a time.
FindResult FindOneByOne(const Buffer& b, uint32_t from, uint32_t last,
                        const unsigned char* pattern, uint32_t* at) {
  for (uint64_t k = from; k <= last && k + 4 <= b.bytes.size(); ++k) {
    if (memcmp(b.bytes.data() + k, pattern, 4) == 0) {
      *at = (uint32_t)k;
      return FIND_FOUND;
    }
  }
  return FIND_NOT_FOUND;
}

void Place(Buffer* b, size_t at, const unsigned char* pattern) {
  if (b->bytes.size() < at + 4) b->bytes.resize(at + 4, 'x');
  memcpy(b->bytes.data() + at, pattern, 4);
}

TEST(FindPattern, MarkerLimitIsOffset60000) {
  struct Case {
    size_t markerAt;
    FindResult expected;
  } cases[] = {{0, FIND_FOUND},     {1, FIND_FOUND},     {16381, FIND_FOUND},
               {16382, FIND_FOUND}, {16384, FIND_FOUND}, {59999, FIND_FOUND},
               {60000, FIND_FOUND}, {60001, FIND_NOT_FOUND}, {70000, FIND_NOT_FOUND}};
  for (const Case& c : cases) {
    Buffer b;
    b.bytes.assign(80000, 0x5B);  // many a first byte, never the whole marker
    Place(&b, c.markerAt, kMarker);
    uint32_t at = 0;
    EXPECT_EQ(c.expected, FindPattern(ReadBuffer, &b, 0, VQ_STUB_MAX_SIZE, &kMetaMarker, &at))
        << c.markerAt;
    if (c.expected == FIND_FOUND) {
      EXPECT_EQ(c.markerAt, at);
    }
  }
}

TEST(FindPattern, ArchiveLimitIsOffset800004) {
  for (size_t headerAt : {800003u, 800004u, 800005u}) {
    Buffer b;
    b.bytes.assign(headerAt + 100, 'P');
    Place(&b, 100, kMarker);
    Place(&b, headerAt, kHeader);
    uint32_t at = 0;
    FindResult r =
        FindPattern(ReadBuffer, &b, 104, VQ_ARCHIVE_MAX_START, &kLocalHeader, &at);
    EXPECT_EQ(headerAt <= 800004 ? FIND_FOUND : FIND_NOT_FOUND, r) << headerAt;
    if (r == FIND_FOUND) {
      EXPECT_EQ(headerAt, at);
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
      uint32_t want = 0, got = 0;
      FindResult expected = FindOneByOne(b, from, last, which ? kHeader : kMarker, &want);
      FindResult result =
          FindPattern(ReadBuffer, &b, from, last, which ? &kLocalHeader : &kMetaMarker, &got);
      ASSERT_EQ(expected, result) << "round " << round;
      if (expected == FIND_FOUND) {
        ASSERT_EQ(want, got) << "round " << round;
      }
    }
  }
}

TEST(FindPattern, ReaderFailuresAreReported) {
  Buffer b;
  b.bytes.assign(100, 0);
  uint32_t at;
  b.failRead = true;
  EXPECT_EQ(FIND_READ_FAILED, FindPattern(ReadBuffer, &b, 0, 60000, &kMetaMarker, &at));
  b.failRead = false;
  b.failSeek = true;
  EXPECT_EQ(FIND_SEEK_FAILED, FindPattern(ReadBuffer, &b, 0, 60000, &kMetaMarker, &at));
}

TEST(FindPattern, ReadsInBlocks) {
  Buffer b;
  b.bytes.assign(800100, 0);
  uint32_t at;
  EXPECT_EQ(FIND_NOT_FOUND, FindPattern(ReadBuffer, &b, 0, 800004, &kLocalHeader, &at));
  EXPECT_LT(b.reads, 100);
}

// ---------------------------------------------------------------- entry names

TEST(EntryNames, SafeAndUnsafe) {
  struct Case {
    const char* name;
    bool safe;
  } cases[] = {
      {"a.txt", true},         {"sub\\a.txt", true},     {"sub/a.txt", true},
      {"sub/", true},          {"a..b.txt", true},       {".hidden", true},
      {"..a", true},           {"a\\.\\b", true},        {"", false},
      {"\\a.txt", false},      {"/a.txt", false},        {"C:\\a.txt", false},
      {"C:a.txt", false},      {"a.txt:stream", false},  {"..", false},
      {"..\\a.txt", false},    {"../a.txt", false},      {"sub\\..\\..\\a", false},
      {"sub/..", false},       {"...\\a", false},        {". .\\a", false},
      {".. \\a", false},       {"\\\\srv\\share", false},
  };
  for (const Case& c : cases) EXPECT_EQ(c.safe, IsEntryNameSafe(c.name)) << c.name;
}

TEST(EntryNames, InsideFolder) {
  struct Case {
    const char* path;
    const char* folder;
    bool inside;
  } cases[] = {
      {"C:\\x\\a.txt", "C:\\x\\", true},  {"c:\\X\\sub\\", "C:\\x\\", true},
      {"C:\\x\\", "C:\\x\\", false},      {"C:\\x", "C:\\x\\", false},
      {"C:\\xy\\a", "C:\\x\\", false},    {"\\\\.\\CON", "C:\\x\\", false},
      {"C:\\a.txt", "C:\\x\\", false},    {"C:\\x\\a", "C:\\x", false},
  };
  for (const Case& c : cases) EXPECT_EQ(c.inside, IsInsideFolder(c.path, c.folder)) << c.path;
}

// ---------------------------------------------------------------- run rules

TEST(Progress, PositionAndText) {
  struct Case {
    uint32_t extracted, unzipSize, position;
    const char* text;
  } cases[] = {
      {150, 200, 75, " 75%"},          {0, 200, 0, " 0%"},
      {57, 100, 57, " 57%"},           {300, 200, 150, " 150%"},  // more than the total promised
      {5, 50, 10, " 10%"},             {50, 50, 100, " 100%"},    // below 100 bytes: no division by 0
      {0, 0, 100, " 100%"},            {99, 99, 100, " 100%"},
      {4000000000u, 4294967295u, 93, " 93%"},                   // UnZipSize of 2 GiB and more
  };
  for (const Case& c : cases) {
    uint32_t position = ProgressPosition(c.extracted, c.unzipSize);
    EXPECT_EQ(c.position, position) << c.extracted << "/" << c.unzipSize;
    char text[16];
    FormatPercent(position, text);
    EXPECT_STREQ(c.text, text);
  }
}

TEST(Launch, ShowCommands) {
  struct Case {
    const char* keyword;
    int show;
  } cases[] = {
      {"*ShowWin*", 1},       {"*HideWin*", 0},      {"*MaximizeWin*", 3},
      {"*MinimizeWin*", 2},   {"*maximizewin*", 3},  {"*HIDEWIN*", 0},
      {"MaximizeWin", 1},     {"", 1},               {"*Maximize*", 1},
      {"x*HideWin*y", 0},     {"*HideWin", 1},       {"*MaximizeWinX*", 1},
  };
  for (const Case& c : cases) EXPECT_EQ(c.show, ShowCommandOf(c.keyword)) << c.keyword;
}

TEST(ItemList, LastInFirstOut) {
  ItemList list = {};
  EXPECT_EQ(nullptr, TopItem(&list));
  PopItem(&list);  // harmless when empty
  ASSERT_TRUE(PushItem(&list, "C:\\x\\sub"));
  ASSERT_TRUE(PushItem(&list, "C:\\x\\a.txt"));
  ASSERT_TRUE(PushItem(&list, std::string(300, 'p').c_str()));  // paths are copied whole
  EXPECT_EQ(3, list.count);
  EXPECT_EQ(std::string(300, 'p'), TopItem(&list));
  PopItem(&list);
  EXPECT_STREQ("C:\\x\\a.txt", TopItem(&list));
  PopItem(&list);
  EXPECT_STREQ("C:\\x\\sub", TopItem(&list));
  PopItem(&list);
  EXPECT_EQ(nullptr, TopItem(&list));
  EXPECT_EQ(0, list.count);
}

}  // namespace

TEST(Errors, CaptionTextAndKind) {
  struct Case {
    int code;
    const char* caption;
    const char* text;  // with "sys" as the system's text
    StubErrorKind kind;
  } cases[] = {
      {STUB_ERROR_OWN_OPEN, "ERROR #0002", "sys\r\n\r\nPress OK to exit.", STUB_FATAL},
      {STUB_ERROR_MARKER_NOT_FOUND, "ERROR #0006",
       "Failed to find the Meta Data. This archive is likely corrupted.\r\n\r\nPress OK to exit.",
       STUB_FATAL},
      {STUB_ERROR_NEXT_ENTRY, "ERROR #0019",
       "Failed to retrieve information about the current file.\r\n\r\nPress OK to exit.",
       STUB_FATAL},
      {STUB_ERROR_LAUNCH, "ERROR #0020", "sys\r\n\r\nPress OK to exit.", STUB_WARNING},
      {STUB_ERROR_ENTRY_READ, "ERROR #0026", "Failed to read the current file.\r\n\r\nPress OK to exit.",
       STUB_FATAL},
      {STUB_ERROR_WRONG_PASSWORD, "ERROR #0027 Wrong password",
       "The password that you typed is not correct.", STUB_FINAL_WARNING},
      {STUB_ERROR_QUIT_QUESTION, "ERROR #0028 Quit Program!", "Are you sure?", STUB_QUESTION},
  };
  for (const Case& c : cases) {
    char caption[48], text[256];
    FormatErrorCaption(c.code, caption, sizeof caption);
    FormatErrorText(c.code, "sys", text, sizeof text);
    EXPECT_STREQ(c.caption, caption);
    EXPECT_STREQ(c.text, text) << c.code;
    EXPECT_EQ(c.kind, StubErrorRowOf(c.code)->kind) << c.code;
  }
  int fixed = 0;
  for (int code = 1; code <= STUB_ERROR_LAST; ++code) fixed += StubErrorRowOf(code)->fixedText != nullptr;
  EXPECT_EQ(10, fixed);  // 6, 9, 17, 18, 19, 21, 22, 26, 27, 28
}
