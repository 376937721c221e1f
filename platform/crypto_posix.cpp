// POSIX side of the cryptography: OpenSSL's libcrypto (3.0), through its
// EVP calls; the low-level AES and HMAC ones are deprecated there.
#include "platform/crypto.h"

#include <limits.h>

#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/params.h>
#include <openssl/rand.h>

// libcrypto counts in int.
static bool FitsInt(size_t size) {
  return size <= (size_t)INT_MAX;
}

bool CryptoPbkdf2HmacSha1(const void* password, size_t passwordSize, const void* salt,
                          size_t saltSize, uint32_t iterations, void* out, size_t outSize) {
  if (iterations == 0 || iterations > (uint32_t)INT_MAX || !FitsInt(passwordSize) ||
      !FitsInt(saltSize) || !FitsInt(outSize))
    return false;
  return PKCS5_PBKDF2_HMAC_SHA1((const char*)password, (int)passwordSize,
                                (const unsigned char*)salt, (int)saltSize, (int)iterations,
                                (int)outSize, (unsigned char*)out) == 1;
}

// ---------------------------------------------------------------- AES-256

bool CryptoAes256Open(CryptoAes256* aes, const uint8_t key[CRYPTO_AES256_KEY_SIZE]) {
  aes->handle[0] = aes->handle[1] = nullptr;
  EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
  if (!ctx) return false;
  if (EVP_EncryptInit_ex(ctx, EVP_aes_256_ecb(), nullptr, key, nullptr) != 1 ||
      EVP_CIPHER_CTX_set_padding(ctx, 0) != 1) {
    EVP_CIPHER_CTX_free(ctx);
    return false;
  }
  aes->handle[0] = ctx;
  return true;
}

bool CryptoAes256EncryptBlocks(CryptoAes256* aes, const uint8_t* in, uint8_t* out, size_t blocks) {
  if (blocks > (size_t)INT_MAX / CRYPTO_AES_BLOCK_SIZE) return false;
  int size = (int)(blocks * CRYPTO_AES_BLOCK_SIZE), done = 0;
  return EVP_EncryptUpdate((EVP_CIPHER_CTX*)aes->handle[0], out, &done, in, size) == 1 &&
         done == size;
}

void CryptoAes256Close(CryptoAes256* aes) {
  EVP_CIPHER_CTX_free((EVP_CIPHER_CTX*)aes->handle[0]);
  aes->handle[0] = nullptr;
}

// ---------------------------------------------------------------- HMAC-SHA1

bool CryptoHmacSha1Begin(CryptoHmacSha1* hmac, const void* key, size_t keySize) {
  hmac->handle[0] = hmac->handle[1] = nullptr;
  EVP_MAC* mac = EVP_MAC_fetch(nullptr, OSSL_MAC_NAME_HMAC, nullptr);
  EVP_MAC_CTX* ctx = mac ? EVP_MAC_CTX_new(mac) : nullptr;
  char digest[] = OSSL_DIGEST_NAME_SHA1;
  OSSL_PARAM params[] = {OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, digest, 0),
                         OSSL_PARAM_construct_end()};
  if (!ctx || !FitsInt(keySize) ||
      EVP_MAC_init(ctx, (const unsigned char*)key, keySize, params) != 1) {
    EVP_MAC_CTX_free(ctx);
    EVP_MAC_free(mac);
    return false;
  }
  hmac->handle[0] = mac;
  hmac->handle[1] = ctx;
  return true;
}

bool CryptoHmacSha1Update(CryptoHmacSha1* hmac, const void* data, size_t size) {
  return EVP_MAC_update((EVP_MAC_CTX*)hmac->handle[1], (const unsigned char*)data, size) == 1;
}

bool CryptoHmacSha1End(CryptoHmacSha1* hmac, uint8_t digest[CRYPTO_SHA1_SIZE]) {
  bool ok = hmac->handle[1] != nullptr;
  if (ok && digest) {
    size_t done = 0;
    ok = EVP_MAC_final((EVP_MAC_CTX*)hmac->handle[1], digest, &done, CRYPTO_SHA1_SIZE) == 1 &&
         done == CRYPTO_SHA1_SIZE;
  }
  EVP_MAC_CTX_free((EVP_MAC_CTX*)hmac->handle[1]);
  EVP_MAC_free((EVP_MAC*)hmac->handle[0]);
  hmac->handle[0] = hmac->handle[1] = nullptr;
  return ok;
}

// ---------------------------------------------------------------- random

bool CryptoRandom(void* out, size_t size) {
  return FitsInt(size) && RAND_bytes((unsigned char*)out, (int)size) == 1;
}
