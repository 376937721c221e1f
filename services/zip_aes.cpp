// AE-2 entries over the system's cryptography. No heap, no C++ runtime: the
// extractor stub compiles this file in (zip_aes.h).
#include "services/zip_aes.h"

#include <string.h>

bool ZipAesDeriveKeys(const void* password, size_t passwordSize,
                      const uint8_t salt[ZIP_AES_SALT_SIZE], ZipAesKeys* keys) {
  static_assert(sizeof(ZipAesKeys) == 66, "the keys are PBKDF2's 66 bytes in order");
  return CryptoPbkdf2HmacSha1(password, passwordSize, salt, ZIP_AES_SALT_SIZE, ZIP_AES_ITERATIONS,
                              keys, sizeof *keys);
}

bool ZipAesBegin(ZipAesCoder* coder, const ZipAesKeys* keys) {
  memset(coder->counter, 0, sizeof coder->counter);
  coder->used = sizeof coder->keyStream;
  if (!CryptoAes256Open(&coder->aes, keys->aes)) return false;
  if (!CryptoHmacSha1Begin(&coder->hmac, keys->hmac, sizeof keys->hmac)) {
    CryptoAes256Close(&coder->aes);
    return false;
  }
  return true;
}

// The next blocks of key stream: the counter's following values, encrypted
// all in one call.
static bool RefillKeyStream(ZipAesCoder* coder) {
  for (size_t block = 0; block < ZIP_AES_STREAM_BLOCKS; block++) {
    for (size_t i = 0; i < sizeof coder->counter && ++coder->counter[i] == 0; i++) {
    }
    memcpy(coder->keyStream + block * CRYPTO_AES_BLOCK_SIZE, coder->counter, sizeof coder->counter);
  }
  coder->used = 0;
  return CryptoAes256EncryptBlocks(&coder->aes, coder->keyStream, coder->keyStream,
                                   ZIP_AES_STREAM_BLOCKS);
}

// In runs up to the key stream's end, a loop the compiler can widen.
static bool XorKeyStream(ZipAesCoder* coder, uint8_t* data, size_t size) {
  while (size > 0) {
    if (coder->used == sizeof coder->keyStream && !RefillKeyStream(coder)) return false;
    size_t run = sizeof coder->keyStream - coder->used;
    if (run > size) run = size;
    const uint8_t* key = coder->keyStream + coder->used;
    for (size_t i = 0; i < run; i++) data[i] ^= key[i];
    data += run;
    size -= run;
    coder->used += run;
  }
  return true;
}

bool ZipAesEncrypt(ZipAesCoder* coder, void* data, size_t size) {
  return XorKeyStream(coder, (uint8_t*)data, size) &&
         CryptoHmacSha1Update(&coder->hmac, data, size);
}

bool ZipAesDecrypt(ZipAesCoder* coder, void* data, size_t size) {
  return CryptoHmacSha1Update(&coder->hmac, data, size) &&
         XorKeyStream(coder, (uint8_t*)data, size);
}

bool ZipAesEnd(ZipAesCoder* coder, uint8_t code[ZIP_AES_CODE_SIZE]) {
  uint8_t digest[CRYPTO_SHA1_SIZE];
  bool ok = CryptoHmacSha1End(&coder->hmac, code ? digest : nullptr);
  CryptoAes256Close(&coder->aes);
  if (ok && code) memcpy(code, digest, ZIP_AES_CODE_SIZE);
  return ok;
}

// ---------------------------------------------------------------- extra field

void ZipAesWriteExtra(uint16_t method, uint8_t out[ZIP_AES_EXTRA_SIZE]) {
  const uint8_t field[ZIP_AES_EXTRA_SIZE] = {
      ZIP_AES_EXTRA_ID & 0xFF, ZIP_AES_EXTRA_ID >> 8, 7, 0, ZIP_AES_VERSION_AE2, 0, 'A', 'E',
      ZIP_AES_STRENGTH_256, (uint8_t)(method & 0xFF), (uint8_t)(method >> 8)};
  memcpy(out, field, sizeof field);
}

bool ZipAesFindExtra(const void* extra, size_t size, ZipAesExtra* field) {
  const uint8_t* p = (const uint8_t*)extra;
  for (size_t at = 0; at + 4 <= size;) {
    unsigned id = p[at] | p[at + 1] << 8, length = p[at + 2] | p[at + 3] << 8;
    if (length > size - at - 4) return false;
    if (id == ZIP_AES_EXTRA_ID) {
      const uint8_t* d = p + at + 4;
      if (length != 7 || d[2] != 'A' || d[3] != 'E') return false;
      field->version = d[0] | d[1] << 8;
      field->strength = d[4];
      field->method = d[5] | d[6] << 8;
      return true;
    }
    at += 4 + length;
  }
  return false;
}
