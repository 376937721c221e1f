// The system's cryptography, thin: CNG (bcrypt.dll) on Windows, OpenSSL's
// libcrypto on POSIX. Plain procedures over fixed records, each returning
// false when the system refuses; nothing is written by hand here, and
// nothing here allocates (the system may, behind its handles). The Win32
// side uses no C++ runtime, so that the extractor stub can compile it in.
#pragma once

#include <stddef.h>
#include <stdint.h>

enum {
  CRYPTO_AES256_KEY_SIZE = 32,
  CRYPTO_AES_BLOCK_SIZE = 16,
  CRYPTO_SHA1_SIZE = 20,
};

// PBKDF2 with HMAC-SHA1 (RFC 2898): outSize bytes from the password and the
// salt after `iterations` rounds (at least 1). Returns false when the system
// fails or iterations is 0 (out then undefined).
bool CryptoPbkdf2HmacSha1(const void* password, size_t passwordSize, const void* salt,
                          size_t saltSize, uint32_t iterations, void* out, size_t outSize);

// One AES-256 key for encrypting single blocks (ECB). The handles belong to
// the side that opened them; nothing above this layer looks inside.
struct CryptoAes256 {
  void* handle[2];
};
// Returns false when the system refuses the key (the record then holds
// nothing to close).
bool CryptoAes256Open(CryptoAes256* aes, const uint8_t key[CRYPTO_AES256_KEY_SIZE]);
// Encrypts `blocks` whole blocks of 16 bytes each, every block on its own
// (ECB); in and out may be the same buffer. Returns false on failure.
bool CryptoAes256EncryptBlocks(CryptoAes256* aes, const uint8_t* in, uint8_t* out, size_t blocks);
// Releases the key; safe on a record that Open refused.
void CryptoAes256Close(CryptoAes256* aes);

// One HMAC-SHA1 computed piece by piece.
struct CryptoHmacSha1 {
  void* handle[2];
};
// Returns false when the system refuses (the record then holds nothing).
bool CryptoHmacSha1Begin(CryptoHmacSha1* hmac, const void* key, size_t keySize);
// Adds size bytes. Returns false on failure (End must still follow).
bool CryptoHmacSha1Update(CryptoHmacSha1* hmac, const void* data, size_t size);
// Writes the 20-byte code to digest (nullptr: abandons it) and releases the
// record whatever happens. Returns false when the code could not be had.
bool CryptoHmacSha1End(CryptoHmacSha1* hmac, uint8_t digest[CRYPTO_SHA1_SIZE]);

// Fills out with size bytes from the system's random generator
// (BCryptGenRandom, RAND_bytes). Returns false on failure.
bool CryptoRandom(void* out, size_t size);
