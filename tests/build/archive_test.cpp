#include "build/archive.h"
#include "build/folder_size.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"
#include "services/buildlog.h"
#include "tests/build/buildtest.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

PlatformLocalTime gFixedTime = {2026, 3, 14, 15, 9, 26};
void FixedClock(PlatformLocalTime* now) { *now = gFixedTime; }

// Archives folder into a new archive at *path with a clean build log.
bool Archive(const std::string& folder, std::string* path, int level = 9,
             const char* password = "", uint64_t sizeLimit = 0, ArchiveJob* ended = nullptr) {
  *path = ScratchName("archive") + ".zip";
  ArchiveJob job;
  InitArchiveJob(&job);
  job.sourceFolder = folder.c_str();
  job.archivePath = path->c_str();
  job.clock = FixedClock;
  job.level = level;
  job.password = password;
  if (sizeLimit) job.sizeLimit = sizeLimit;
  ResetBuildLog(nullptr);
  bool ok = BuildSourceArchive(&job);
  if (ended) *ended = job;
  return ok;
}

TEST(SourceArchive, EntryTimeIsTheClockWithTheYearFromTwoDigits) {
  struct Case {
    PlatformLocalTime now;
    unsigned dosYear, month, day, hour, minute, twoSeconds;
  } cases[] = {
      {{2026, 3, 14, 15, 9, 26}, 46, 3, 14, 15, 9, 13},
      {{1999, 12, 31, 23, 59, 59}, 119, 12, 31, 23, 59, 29},  // read as 2099
  };
  const std::string folder = ScratchName("time") + "\\";
  MakeTree(folder, {{"a.txt", "a"}});
  for (const auto& c : cases) {
    gFixedTime = c.now;
    std::string path;
    ASSERT_TRUE(Archive(folder, &path));
    const unsigned expected = c.dosYear << 25 | c.month << 21 | c.day << 16 | c.hour << 11 |
                              c.minute << 5 | c.twoSeconds;
    EXPECT_EQ(ReadZip(path).at(0).dosDate, expected) << c.now.year;
  }
}

// The limit holds the archive as written, not what its files add up to, also for pieces.
TEST(SourceArchive, SizeLimitCountsTheArchiveAsWritten) {
  std::string plain = ScratchName("plain") + "\\", noise = ScratchName("noise") + "\\", bytes;
  for (uint32_t state = 1; bytes.size() < 1300000; state = state * 1103515245u + 12345u) {
    bytes.push_back((char)(state >> 24));  // nothing for deflate to shrink
  }
  MakeTree(plain, {{"a.txt", std::string(30000, 'a')}, {"b\\c.txt", std::string(30000, 'c')}});
  MakeTree(noise, {{"a.bin", bytes.substr(5000)}, {"b\\c.bin", bytes.substr(0, 5000)}});
  std::string path;
  ASSERT_TRUE(Archive(noise, &path));
  const uint64_t exact = ReadRawFile(path).size();
  ASSERT_TRUE(Archive(noise, &path, 9, "pw"));
  const uint64_t encrypted = ReadRawFile(path).size();
  const struct {
    const std::string& folder;
    const char* password;
    uint64_t limit;  // fits; one byte less fails unless the source compresses
  } cases[] = {
      {plain, "", 4096}, {plain, "pw", 4096}, {noise, "", exact}, {noise, "pw", encrypted},
  };
  for (const auto& c : cases) {
    for (uint64_t limit : {c.limit, c.limit - 1}) {
      ArchiveJob job;
      const bool fits = limit == c.limit || &c.folder == &plain;
      EXPECT_EQ(Archive(c.folder, &path, 9, c.password, limit, &job), fits) << limit;
      if (fits) {
        EXPECT_LE(ReadRawFile(path).size(), limit);
        EXPECT_EQ(ReadZip(path, c.password).size(), 2u);
      } else {
        EXPECT_EQ(job.failureText, kArchiveTooLargeText);
        EXPECT_EQ(LogLines().back().substr(0, 2), "1|");
      }
    }
  }
}

#ifndef _WIN32
// Sparse files of 4 GiB less one byte and more fail with their line marked; the sizes of the source
// add up in 32 bits, as UnZipSize holds them.
TEST(SourceArchive, FilesThatNeedZip64FailWithTheirLineMarked) {
  for (uint64_t size : {0xFFFFFFFFull, 0x100000000ull, 0x100000005ull}) {
    const std::string folder = ScratchName("huge") + "\\";
    MakeTree(folder, {{"small.txt", "small"}, {"huge.bin", ""}});
    char file[2048];
    ASSERT_TRUE(PlatformSystemPath((folder + "huge.bin").c_str(), file, sizeof file));
    ASSERT_EQ(truncate(file, (off_t)size), 0);
    std::string path;
    ArchiveJob job;
    EXPECT_FALSE(Archive(folder, &path, 6, "", 0, &job)) << size;
    EXPECT_EQ(job.failureText, kFileTooLargeText);
    EXPECT_EQ(LogLines().back(), "1|" + folder + "huge.bin");
    EXPECT_EQ(SumFolderSize(folder.c_str(), true), (uint32_t)(size + 5));
    RemoveTree(folder);
  }
}
#endif

}  // namespace
