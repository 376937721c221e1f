// AES-256 zip entries as WinZip's AE-2 lays them out, over the system's
// cryptography (platform/crypto.h). An entry's stored data is
//
//   salt (16) | password verifier (2) | encrypted data | authentication code (10)
//
// with method 99 in its headers, bit 0 of its flags set, CRC 0 (AE-2), and a
// 0x9901 extra field naming the real method. The keys come from PBKDF2-
// HMAC-SHA1 over password and salt (1,000 rounds, 66 bytes: AES key, HMAC
// key, verifier); the data is AES in counter mode (a 16-byte little-endian
// counter from 1, its blocks encrypted and XORed in); the code is the first
// 10 bytes of HMAC-SHA1 over the encrypted data. Plain procedures over
// fixed records, no heap and no C++ runtime, so that the extractor stub can
// decrypt piece by piece with the same code the builder encrypts with.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "platform/crypto.h"

enum {
  ZIP_AES_METHOD = 99,
  ZIP_AES_EXTRA_ID = 0x9901,
  ZIP_AES_EXTRA_SIZE = 11,  // id, size and 7 bytes of data
  ZIP_AES_VERSION_AE2 = 2,
  ZIP_AES_STRENGTH_256 = 3,
  ZIP_AES_SALT_SIZE = 16,
  ZIP_AES_VERIFIER_SIZE = 2,
  ZIP_AES_CODE_SIZE = 10,
  ZIP_AES_ITERATIONS = 1000,
  // What encryption adds to an entry's stored size: salt, verifier, code.
  ZIP_AES_OVERHEAD = ZIP_AES_SALT_SIZE + ZIP_AES_VERIFIER_SIZE + ZIP_AES_CODE_SIZE,
};

struct ZipAesKeys {
  uint8_t aes[CRYPTO_AES256_KEY_SIZE];
  uint8_t hmac[32];
  uint8_t verifier[ZIP_AES_VERIFIER_SIZE];  // stored after the salt; a wrong password shows here
};
// Derives the keys of one entry from the password's bytes and its salt.
// Returns false when the system's PBKDF2 fails.
bool ZipAesDeriveKeys(const void* password, size_t passwordSize,
                      const uint8_t salt[ZIP_AES_SALT_SIZE], ZipAesKeys* keys);

// One entry's data on its way in or out, in pieces of any size: the counter
// runs on across pieces, and the key stream is made 256 blocks at a time.
enum { ZIP_AES_STREAM_BLOCKS = 256 };
struct ZipAesCoder {
  CryptoAes256 aes;
  CryptoHmacSha1 hmac;
  uint8_t counter[CRYPTO_AES_BLOCK_SIZE];
  uint8_t keyStream[ZIP_AES_STREAM_BLOCKS * CRYPTO_AES_BLOCK_SIZE];
  size_t used;  // bytes of keyStream spent
};
// Returns false when the system refuses a key (nothing then to end).
bool ZipAesBegin(ZipAesCoder* coder, const ZipAesKeys* keys);
// Encrypt: the next size bytes of plain data, encrypted in place and added
// to the code. Decrypt: the next size bytes of stored data, added to the
// code and decrypted in place. Both return false when the system fails
// (the data then undefined; ZipAesEnd must still follow).
bool ZipAesEncrypt(ZipAesCoder* coder, void* data, size_t size);
bool ZipAesDecrypt(ZipAesCoder* coder, void* data, size_t size);
// Writes the authentication code of everything encrypted or decrypted (to
// store it, or to compare with the stored one; nullptr abandons it) and
// releases the keys whatever happens. Returns false when the system fails.
bool ZipAesEnd(ZipAesCoder* coder, uint8_t code[ZIP_AES_CODE_SIZE]);

// The entry's 0x9901 extra field, as both its headers carry it: AE-2,
// vendor "AE", strength 3 (AES-256), the real method (0 or 8).
void ZipAesWriteExtra(uint16_t method, uint8_t out[ZIP_AES_EXTRA_SIZE]);
struct ZipAesExtra {
  unsigned version;   // 1 (AE-1, CRC stored) or 2 (AE-2, CRC 0); as found
  unsigned strength;  // 1, 2, 3: AES-128, -192, -256; as found
  unsigned method;    // the real method
};
// Finds the 0x9901 field among a header's extra fields (4-byte id and size,
// then the data, one after another). Returns false when there is none, when
// the fields run past size before it, or when it is not 7 bytes long with
// vendor "AE"; version and strength are the caller's to check.
bool ZipAesFindExtra(const void* extra, size_t size, ZipAesExtra* field);
