#include "build/archive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "build/layout.h"
#include "platform/platform.h"
#include "shell/buildlog.h"
#include "tests/build/buildtest.h"

namespace {

// A clock that stands still, so that two archives of the same files can be
// compared byte for byte.
PlatformLocalTime gFixedTime = {2026, 3, 14, 15, 9, 26};
void FixedClock(PlatformLocalTime* now) { *now = gFixedTime; }

std::string FreshFolder(const char* stem) { return ScratchName(stem) + "\\"; }

// A job for folder into a new archive *path, clock still, build log cleared.
ArchiveJob NewJob(const std::string& folder, std::string* path) {
  *path = ScratchName("archive") + ".zip";
  ArchiveJob job;
  InitArchiveJob(&job);
  job.sourceFolder = folder.c_str();
  job.archivePath = path->c_str();
  job.clock = FixedClock;
  ResetBuildLog(nullptr);
  return job;
}

// Archives folder into a new archive; returns the archive's path ("" when
// the build failed).
std::string Archive(const std::string& folder, int level, const char* password = "") {
  std::string path;
  ArchiveJob job = NewJob(folder, &path);
  job.password = password;
  job.level = level;
  return BuildSourceArchive(&job) ? path : "";
}

const std::vector<std::pair<std::string, std::string>> kTree = {
    {"readme.txt", "read me first\r\n"},
    {"empty.dat", ""},
    {"docs\\manual.txt", std::string(70000, 'm') + "end"},
    {"docs\\img\\logo.bmp", std::string("BM\0\1\2", 5) + std::string(3000, '\xff')},
    {"z\\y\\x\\deep.bin", std::string(1, '\0')},
};

TEST(SourceArchive, EveryFileIsOneDeflatedEntryWithBackslashNames) {
  std::string folder = FreshFolder("tree");
  MakeTree(folder, kTree);
  MakeFolder(folder + "emptyfolder\\");
  for (int level : {0, 6, 9}) {
    std::string archive = Archive(folder, level);
    ASSERT_NE(archive, "") << level;
    std::vector<ZipEntry> entries = ReadZip(archive);
    ASSERT_EQ(entries.size(), kTree.size()) << level;  // no folder entries
    for (const auto& file : kTree) {
      const ZipEntry* found = nullptr;
      for (const auto& entry : entries) {
        if (entry.name == file.first) found = &entry;
      }
      ASSERT_NE(found, nullptr) << file.first;
      EXPECT_EQ(found->method, 8) << file.first << " level " << level;
      EXPECT_EQ(found->flag & 1u, 0u) << file.first;
      EXPECT_EQ(found->size, file.second.size()) << file.first;
      EXPECT_TRUE(found->dataOk) << file.first;
      EXPECT_EQ(found->data, file.second) << file.first;
    }
  }
}

TEST(SourceArchive, PasswordEncryptsEveryEntryAndDecryptsBack) {
  std::string folder = FreshFolder("secret");
  MakeTree(folder, kTree);
  std::string archive = Archive(folder, 9, "pa ss\"word");
  ASSERT_NE(archive, "");
  std::vector<ZipEntry> entries = ReadZip(archive, "pa ss\"word");
  ASSERT_EQ(entries.size(), kTree.size());
  for (const auto& entry : entries) {
    EXPECT_EQ(entry.flag & 1u, 1u) << entry.name;
    EXPECT_EQ(entry.method, 8) << entry.name;
    EXPECT_TRUE(entry.dataOk) << entry.name;
    EXPECT_EQ(entry.compressedSize >= 12, true) << entry.name;  // encryption header
  }
  // An empty entry has nothing whose CRC could reveal a wrong password.
  for (const auto& entry : ReadZip(archive, "wrong")) {
    if (entry.size > 0) {
      EXPECT_FALSE(entry.dataOk) << entry.name;
    }
  }
}

TEST(SourceArchive, EntryTimeIsTheClockWithTheYearFromTwoDigits) {
  struct Case {
    PlatformLocalTime now;
    unsigned dosYear, month, day, hour, minute, twoSeconds;
  } cases[] = {
      {{2026, 3, 14, 15, 9, 26}, 46, 3, 14, 15, 9, 13},
      {{1999, 12, 31, 23, 59, 59}, 119, 12, 31, 23, 59, 29},  // read as 2099
      {{2000, 1, 1, 0, 0, 0}, 20, 1, 1, 0, 0, 0},
  };
  std::string folder = FreshFolder("time");
  MakeTree(folder, {{"a.txt", "a"}});
  for (const auto& c : cases) {
    gFixedTime = c.now;
    std::vector<ZipEntry> entries = ReadZip(Archive(folder, 1));
    ASSERT_EQ(entries.size(), 1u);
    uint32_t d = entries[0].dosDate;
    EXPECT_EQ(d >> 25, c.dosYear) << c.now.year;
    EXPECT_EQ((d >> 21) & 15, c.month);
    EXPECT_EQ((d >> 16) & 31, c.day);
    EXPECT_EQ((d >> 11) & 31, c.hour);
    EXPECT_EQ((d >> 5) & 63, c.minute);
    EXPECT_EQ(d & 31, c.twoSeconds);
  }
  gFixedTime = {2026, 3, 14, 15, 9, 26};
}

TEST(SourceArchive, ProgressStaysWithinBoundsForTinyTotals) {
  std::string folder = FreshFolder("tiny");
  MakeTree(folder, {{"a", "12"}, {"b", "345"}, {"c", ""}, {"d\\e", "6"}});
  std::string path;
  ArchiveJob job = NewJob(folder, &path);
  job.showProgress = true;
  ASSERT_TRUE(BuildSourceArchive(&job));
  EXPECT_EQ(job.total, 6u);
  EXPECT_EQ(BuildLogProgress(), 100);
}

TEST(SourceArchive, SumFolderSizeAddsEveryFileAndRestarts) {
  std::string folder = FreshFolder("sum");
  MakeTree(folder, kTree);
  uint32_t expected = 0;
  for (const auto& file : kTree) expected += (uint32_t)file.second.size();
  EXPECT_EQ(SumFolderSize(folder.c_str(), true), expected);
  EXPECT_EQ(SumFolderSize(folder.c_str(), false), 2 * expected);  // running total
  std::string bare = folder.substr(0, folder.size() - 1);  // no trailing backslash
  EXPECT_EQ(SumFolderSize(bare.c_str(), true), expected);
  EXPECT_EQ(SumFolderSize((folder + "missing\\").c_str(), true), 0u);
}

TEST(SourceArchive, NamesEndingWithADotAreFilesToo) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows file names cannot end with a dot";
#endif
  std::string folder = FreshFolder("dots");
  MakeTree(folder, {{"notes.", "n"}, {"..hidden", "h"}, {"sub.\\x", "x"}});
  std::vector<ZipEntry> entries = ReadZip(Archive(folder, 6));
  std::vector<std::string> names;
  for (const auto& entry : entries) names.push_back(entry.name);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"..hidden", "notes.", "sub.\\x"}));
}

// The limit holds the archive as written, not what its files add up to.
TEST(SourceArchive, SizeLimitCountsTheArchiveAsWritten) {
  std::string plain = FreshFolder("plain"), noise = FreshFolder("noise"), bytes;
  for (uint32_t state = 1; bytes.size() < 8000; state = state * 1103515245u + 12345u) {
    bytes.push_back((char)(state >> 24));  // nothing for deflate to shrink
  }
  MakeTree(plain, {{"a.txt", std::string(30000, 'a')}, {"b\\c.txt", std::string(30000, 'c')}});
  MakeTree(noise, {{"a.bin", bytes.substr(5000)}, {"b\\c.bin", bytes.substr(0, 5000)}});
  const uint64_t exact = ReadRawFile(Archive(noise, 9)).size();
  const uint64_t encrypted = ReadRawFile(Archive(noise, 9, "pw")).size();
  const struct {
    const std::string& folder;
    const char* password;
    uint64_t limit;  // fits; one byte less fails unless the source compresses
  } cases[] = {
      {plain, "", 4096}, {plain, "pw", 4096}, {noise, "", exact}, {noise, "pw", encrypted},
  };
  for (const auto& c : cases) {
    for (uint64_t limit : {c.limit, c.limit - 1}) {
      std::string path;
      ArchiveJob job = NewJob(c.folder, &path);
      job.password = c.password;
      job.level = 9;
      job.sizeLimit = limit;
      const bool fits = limit == c.limit || &c.folder == &plain;
      EXPECT_EQ(BuildSourceArchive(&job), fits) << c.folder << " limit " << limit;
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

}  // namespace

#ifndef _WIN32
#include <unistd.h>

namespace {

// Sparse files: the size is there, the disk blocks are not.
bool MakeSparse(const std::string& path, uint64_t size) {
  char file[2048];
  if (!WriteRawFile(path, "") || !PlatformSystemPath(path.c_str(), file, sizeof file)) return false;
  return truncate(file, (off_t)size) == 0;
}

TEST(SourceArchive, FilesThatNeedZip64FailWithTheirLineMarked) {
  for (uint64_t size : {0xFFFFFFFFull, 0x100000000ull, 0x100000005ull}) {
    std::string folder = FreshFolder("huge");
    MakeTree(folder, {{"small.txt", "small"}});
    ASSERT_TRUE(MakeSparse(folder + "huge.bin", size));
    std::string path;
    ArchiveJob job = NewJob(folder, &path);
    EXPECT_FALSE(BuildSourceArchive(&job)) << size;
    EXPECT_EQ(job.failureText, kFileTooLargeText);
    std::vector<std::string> lines = LogLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "1|" + folder + "huge.bin");
    PlatformDeleteFile((folder + "huge.bin").c_str());
  }
}

TEST(SourceArchive, SumFolderSizeWrapsAt4GiB) {
  std::string folder = FreshFolder("wrap");
  MakeFolder(folder);
  ASSERT_TRUE(MakeSparse(folder + "a", 0xC0000000ull));
  ASSERT_TRUE(MakeSparse(folder + "b", 0x40000010ull));
  EXPECT_EQ(SumFolderSize(folder.c_str(), true), 0x10u);
  PlatformDeleteFile((folder + "a").c_str());
  PlatformDeleteFile((folder + "b").c_str());
}

}  // namespace
#endif
