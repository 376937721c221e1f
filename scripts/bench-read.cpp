// Benchmark helper, not a test: reads and checks every entry of a packed
// executable natively, the way the extractor stub does before it writes a
// file. Traditional entries go through minizip with the password; AE-2
// entries are opened raw, decrypted piece by piece with the same codec the
// stub compiles in (services/zip_aes), inflated, and their code compared.
// The files are not written (that part is the same for both encryptions),
// so a difference between two archives is all decryption and checking.
//   vq_bench_read PACKED PASSWORD   prints the seconds; exit 1 on any failure
#include <stdio.h>
#include <string.h>
#include <time.h>

#include "services/zip_aes.h"
#include "unzip.h"
#include "zlib.h"

namespace {

uint8_t gIn[16384], gOut[65536];

bool ReadTraditional(unzFile zip, const char* password) {
  if (unzOpenCurrentFilePassword(zip, password) != UNZ_OK) return false;
  int got;
  while ((got = unzReadCurrentFile(zip, gOut, sizeof gOut)) > 0) {
  }
  return unzCloseCurrentFile(zip) == UNZ_OK && got == 0;  // a CRC that differs fails the close
}

bool ReadAes(unzFile zip, const unz_file_info64& info, const uint8_t* extra, size_t extraSize, const char* password) {
  ZipAesExtra field;
  uint8_t head[ZIP_AES_SALT_SIZE + ZIP_AES_VERIFIER_SIZE], stored[ZIP_AES_CODE_SIZE], code[ZIP_AES_CODE_SIZE];
  ZipAesKeys keys;
  ZipAesCoder coder;
  int method, level;
  if (!ZipAesFindExtra(extra, extraSize, &field) || field.version != ZIP_AES_VERSION_AE2 ||
      info.compressed_size < ZIP_AES_OVERHEAD || unzOpenCurrentFile2(zip, &method, &level, 1) != UNZ_OK ||
      unzReadCurrentFile(zip, head, sizeof head) != (int)sizeof head ||
      !ZipAesDeriveKeys(password, strlen(password), head, &keys) ||
      memcmp(keys.verifier, head + ZIP_AES_SALT_SIZE, ZIP_AES_VERIFIER_SIZE) != 0 || !ZipAesBegin(&coder, &keys))
    return false;
  z_stream z = {};
  bool ok = inflateInit2(&z, -MAX_WBITS) == Z_OK;
  for (uint64_t rest = info.compressed_size - ZIP_AES_OVERHEAD; ok && rest > 0;) {
    uInt size = rest < sizeof gIn ? (uInt)rest : (uInt)sizeof gIn;
    ok = unzReadCurrentFile(zip, gIn, size) == (int)size && ZipAesDecrypt(&coder, gIn, size);
    rest -= size;
    z.next_in = gIn;
    z.avail_in = size;
    for (int status = Z_OK; ok && field.method == Z_DEFLATED && z.avail_in > 0 && status != Z_STREAM_END;) {
      z.next_out = gOut;
      z.avail_out = sizeof gOut;
      status = inflate(&z, Z_NO_FLUSH);
      ok = status == Z_OK || status == Z_STREAM_END;
    }
  }
  inflateEnd(&z);
  ok = ok && unzReadCurrentFile(zip, stored, sizeof stored) == (int)sizeof stored;
  return ZipAesEnd(&coder, code) && ok && !memcmp(stored, code, sizeof code) && unzCloseCurrentFile(zip) == UNZ_OK;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  timespec start, end;
  clock_gettime(CLOCK_MONOTONIC, &start);
  unzFile zip = unzOpen64(argv[1]);
  int status = zip ? unzGoToFirstFile(zip) : UNZ_BADZIPFILE;
  for (; status == UNZ_OK; status = unzGoToNextFile(zip)) {
    unz_file_info64 info;
    uint8_t extra[256];
    char name[4096];
    if (unzGetCurrentFileInfo64(zip, &info, name, sizeof name, extra, sizeof extra, nullptr, 0) != UNZ_OK ||
        !(info.compression_method != ZIP_AES_METHOD ? ReadTraditional(zip, argv[2])
          : ReadAes(zip, info, extra, info.size_file_extra < sizeof extra ? info.size_file_extra : sizeof extra,
                    argv[2]))) {
      fprintf(stderr, "vq_bench_read: %s: an entry fails\n", argv[1]);
      return 1;
    }
  }
  clock_gettime(CLOCK_MONOTONIC, &end);
  if (!zip || status != UNZ_END_OF_LIST_OF_FILE || unzClose(zip) != UNZ_OK) return 1;
  printf("%.3f\n", (double)(end.tv_sec - start.tv_sec) + (end.tv_nsec - start.tv_nsec) / 1e9);
  return 0;
}
