// AE-2 entries (services/zip_aes.h): the reader hands out their stored
// bytes raw; the salt and the password verifier come first, the
// authentication code last, and what lies between is decrypted piece by
// piece, then inflated or copied as the real method says.
#include <string.h>

#include "extractor/stub.h"
#include "services/zip_aes.h"

// One entry at a time; the inflate state is made once and reset for each.
static struct {
  ZipAesCoder coder;
  z_stream stream;
  bool inflating;    // deflated behind the encryption, else stored
  bool streamReady;  // inflateInit2 done
  uLong rest;        // encrypted bytes not read yet
  Bytef in[16384];
} gAes;

StubError BeginAesEntry(unzFile archive, const unz_file_info* info) {
  uint8_t extra[256], head[ZIP_AES_SALT_SIZE + ZIP_AES_VERIFIER_SIZE];
  ZipAesExtra field;
  ZipAesKeys keys;
  // The local extra field lies right before the data, where the entry
  // stands opened. Read here: the reader's unzGetLocalExtrafield leaves out
  // the bytes in front of the archive (the stub's own image), and its
  // unzGetCurrentFileInfo fails to read an extra field through the stub's
  // 32-bit seeks (it moves back by a negative 64-bit offset).
  int extraSize = unzGetLocalExtrafield(archive, nullptr, 0);
  DWORD data = (DWORD)unzGetCurrentFileZStreamPos64(archive);
  // AE-1 stores a CRC this path never checks, and the builder writes
  // AES-256 only: anything else is a method the stub does not read.
  if (extraSize < 0 || extraSize > (int)sizeof extra ||
      ReadArchiveFile(data - (DWORD)extraSize, extra, (DWORD)extraSize) != (DWORD)extraSize ||
      !ZipAesFindExtra(extra, (size_t)extraSize, &field) ||
      field.version != ZIP_AES_VERSION_AE2 || field.strength != ZIP_AES_STRENGTH_256 ||
      (field.method != 0 && field.method != Z_DEFLATED) || info->compressed_size < ZIP_AES_OVERHEAD)
    return STUB_ERROR_ENTRY_OPEN;
  if (unzReadCurrentFile(archive, head, sizeof head) != (int)sizeof head)
    return STUB_ERROR_WRONG_PASSWORD;
  // The run ends on any failure here, so nothing begun needs undoing.
  if (!ZipAesDeriveKeys(gRun.password, strlen(gRun.password), head, &keys) ||
      !ZipAesBegin(&gAes.coder, &keys))
    return STUB_ERROR_EXTRACT;
  // One chance in 65,536 that a wrong password passes here; the code at
  // the end catches it then.
  if (memcmp(keys.verifier, head + ZIP_AES_SALT_SIZE, ZIP_AES_VERIFIER_SIZE) != 0)
    return STUB_ERROR_WRONG_PASSWORD;
  gAes.rest = info->compressed_size - ZIP_AES_OVERHEAD;
  gAes.inflating = field.method == Z_DEFLATED;
  gAes.stream.avail_in = 0;
  int status = gAes.streamReady ? inflateReset(&gAes.stream) : inflateInit2(&gAes.stream, -MAX_WBITS);
  gAes.streamReady = status == Z_OK;
  return gAes.streamReady ? STUB_ERROR_NONE : STUB_ERROR_EXTRACT;
}

// The next piece of encrypted data, decrypted into the input buffer.
static bool ReadEncrypted(unzFile archive) {
  uInt size = gAes.rest < sizeof gAes.in ? (uInt)gAes.rest : (uInt)sizeof gAes.in;
  if (unzReadCurrentFile(archive, gAes.in, size) != (int)size ||
      !ZipAesDecrypt(&gAes.coder, gAes.in, size))
    return false;
  gAes.rest -= size;
  gAes.stream.next_in = gAes.in;
  gAes.stream.avail_in = size;
  return true;
}

int ReadAesEntry(unzFile archive, void* out, unsigned size) {
  z_stream* z = &gAes.stream;
  z->next_out = (Bytef*)out;
  z->avail_out = size;
  while (z->avail_out) {
    if (!z->avail_in && gAes.rest && !ReadEncrypted(archive)) return -1;
    if (gAes.inflating) {
      int status = inflate(z, Z_NO_FLUSH);
      if (status == Z_STREAM_END) break;
      // Z_BUF_ERROR: the data ran out before the stream's end.
      if (status != Z_OK) return -1;
    } else {
      if (!z->avail_in) break;
      uInt copied = z->avail_in < z->avail_out ? z->avail_in : z->avail_out;
      memcpy(z->next_out, z->next_in, copied);
      z->next_in += copied, z->avail_in -= copied;
      z->next_out += copied, z->avail_out -= copied;
    }
  }
  if (z->avail_out != size) return (int)(size - z->avail_out);
  // The end. Bytes behind the deflate stream still count for the code,
  // which must match before the entry passes for extracted.
  while (gAes.rest)
    if (!ReadEncrypted(archive)) return -1;
  uint8_t stored[ZIP_AES_CODE_SIZE], computed[ZIP_AES_CODE_SIZE];
  bool ok = unzReadCurrentFile(archive, stored, sizeof stored) == (int)sizeof stored;
  return ZipAesEnd(&gAes.coder, computed) && ok && memcmp(stored, computed, sizeof stored) == 0 ? 0
                                                                                                : -1;
}
