// minizip as compiled here: encrypted entries read back with the password and
// are refused without it. With an output path argument the test also leaves
// its archive there for an outside tool to check.
#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "unzip.h"
#include "zip.h"
#include "zlib.h"

namespace {

std::string gKeepArchive;

std::vector<char> MakeContent(size_t n) {
  std::vector<char> data(n);
  unsigned x = 12345;
  for (size_t i = 0; i < n; i++) {
    x = x * 1103515245u + 12345u;
    data[i] = (i % 3) ? char('a' + (x >> 16) % 26) : char(x >> 8);
  }
  return data;
}

bool WriteEntry(zipFile zf, const char* name, const std::vector<char>& data, const char* password,
                int level) {
  zip_fileinfo info;
  memset(&info, 0, sizeof info);
  uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(data.data()), (uInt)data.size());
  if (zipOpenNewFileInZip3(zf, name, &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, level, 0,
                           -MAX_WBITS, 8, Z_DEFAULT_STRATEGY, password, crc) != ZIP_OK)
    return false;
  if (zipWriteInFileInZip(zf, data.data(), (unsigned)data.size()) != ZIP_OK) return false;
  return zipCloseFileInZip(zf) == ZIP_OK;
}

int ReadEntry(unzFile uf, const char* password, std::vector<char>* out) {
  int rc = password ? unzOpenCurrentFilePassword(uf, password) : unzOpenCurrentFile(uf);
  if (rc != UNZ_OK) return rc;
  char buf[4096];
  int n;
  while ((n = unzReadCurrentFile(uf, buf, sizeof buf)) > 0) out->insert(out->end(), buf, buf + n);
  int closeRc = unzCloseCurrentFile(uf);  // reports a CRC mismatch
  return n < 0 ? n : closeRc;
}

TEST(Minizip, EncryptedEntriesRoundTripOnlyWithThePassword) {
  std::string path = gKeepArchive.empty() ? std::string("deps_crypt_test.zip") : gKeepArchive;
  const char* names[] = {"a.txt", "sub\\b.bin", "empty.dat"};
  std::vector<std::vector<char>> contents = {MakeContent(100000), MakeContent(7), {}};
  zipFile zf = zipOpen(path.c_str(), APPEND_STATUS_CREATE);
  ASSERT_NE(zf, nullptr);
  for (int i = 0; i < 3; i++) ASSERT_TRUE(WriteEntry(zf, names[i], contents[i], "s3cret pass", i * 4));
  ASSERT_EQ(zipClose(zf, nullptr), ZIP_OK);

  unzFile uf = unzOpen(path.c_str());
  ASSERT_NE(uf, nullptr);
  ASSERT_EQ(unzGoToFirstFile(uf), UNZ_OK);
  for (int i = 0; i < 3; i++) {
    char name[256];
    unz_file_info info;
    ASSERT_EQ(unzGetCurrentFileInfo(uf, &info, name, sizeof name, nullptr, 0, nullptr, 0), UNZ_OK);
    EXPECT_STREQ(name, names[i]);
    EXPECT_EQ(info.compression_method, 8u);
    EXPECT_EQ(info.flag & 1u, 1u) << "entry is not marked encrypted";
    std::vector<char> got;
    EXPECT_EQ(ReadEntry(uf, "s3cret pass", &got), UNZ_OK);
    EXPECT_EQ(got, contents[i]);
    if (!contents[i].empty()) {
      std::vector<char> wrong;
      EXPECT_NE(ReadEntry(uf, "wrong", &wrong), UNZ_OK) << names[i] << " read with a wrong password";
    }
    if (i < 2) {
      ASSERT_EQ(unzGoToNextFile(uf), UNZ_OK);
    }
  }
  unzClose(uf);
  if (gKeepArchive.empty()) remove(path.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (argc > 1) gKeepArchive = argv[1];
  return RUN_ALL_TESTS();
}
