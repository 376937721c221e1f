// Win32 side of the cryptography: CNG, which ships with Windows (bcrypt.dll,
// Vista and later). Handles only, no C++ runtime: the extractor stub can
// compile this file in. The key and hash objects are left to CNG to
// allocate (a null object buffer, Windows 7 and later), so no record here
// has to know their sizes.
#include "platform/crypto.h"

#include <windows.h>

#include <bcrypt.h>

static bool Succeeded(NTSTATUS status) {
  return status >= 0;
}

// CNG counts in ULONG; nothing this program hands it comes near 4 GB.
static bool FitsUlong(size_t size) {
  return size <= 0xFFFFFFFFu;
}

bool CryptoPbkdf2HmacSha1(const void* password, size_t passwordSize, const void* salt,
                          size_t saltSize, uint32_t iterations, void* out, size_t outSize) {
  if (iterations == 0 || !FitsUlong(passwordSize) || !FitsUlong(saltSize) || !FitsUlong(outSize))
    return false;
  BCRYPT_ALG_HANDLE prf;
  if (!Succeeded(BCryptOpenAlgorithmProvider(&prf, BCRYPT_SHA1_ALGORITHM, nullptr,
                                             BCRYPT_ALG_HANDLE_HMAC_FLAG)))
    return false;
  bool ok = Succeeded(BCryptDeriveKeyPBKDF2(prf, (PUCHAR)password, (ULONG)passwordSize,
                                            (PUCHAR)salt, (ULONG)saltSize, iterations,
                                            (PUCHAR)out, (ULONG)outSize, 0));
  BCryptCloseAlgorithmProvider(prf, 0);
  return ok;
}

// ---------------------------------------------------------------- AES-256

bool CryptoAes256Open(CryptoAes256* aes, const uint8_t key[CRYPTO_AES256_KEY_SIZE]) {
  aes->handle[0] = aes->handle[1] = nullptr;
  BCRYPT_ALG_HANDLE alg;
  if (!Succeeded(BCryptOpenAlgorithmProvider(&alg, BCRYPT_AES_ALGORITHM, nullptr, 0)))
    return false;
  BCRYPT_KEY_HANDLE handle;
  if (!Succeeded(BCryptSetProperty(alg, BCRYPT_CHAINING_MODE, (PUCHAR)BCRYPT_CHAIN_MODE_ECB,
                                   sizeof BCRYPT_CHAIN_MODE_ECB, 0)) ||
      !Succeeded(BCryptGenerateSymmetricKey(alg, &handle, nullptr, 0, (PUCHAR)key,
                                            CRYPTO_AES256_KEY_SIZE, 0))) {
    BCryptCloseAlgorithmProvider(alg, 0);
    return false;
  }
  aes->handle[0] = alg;
  aes->handle[1] = handle;
  return true;
}

bool CryptoAes256EncryptBlocks(CryptoAes256* aes, const uint8_t* in, uint8_t* out, size_t blocks) {
  if (blocks > 0xFFFFFFFFu / CRYPTO_AES_BLOCK_SIZE) return false;
  ULONG size = (ULONG)(blocks * CRYPTO_AES_BLOCK_SIZE), done = 0;
  return Succeeded(BCryptEncrypt(aes->handle[1], (PUCHAR)in, size, nullptr, nullptr, 0, out, size,
                                 &done, 0)) &&
         done == size;
}

void CryptoAes256Close(CryptoAes256* aes) {
  if (aes->handle[1]) BCryptDestroyKey(aes->handle[1]);
  if (aes->handle[0]) BCryptCloseAlgorithmProvider(aes->handle[0], 0);
  aes->handle[0] = aes->handle[1] = nullptr;
}

// ---------------------------------------------------------------- HMAC-SHA1

bool CryptoHmacSha1Begin(CryptoHmacSha1* hmac, const void* key, size_t keySize) {
  hmac->handle[0] = hmac->handle[1] = nullptr;
  if (!FitsUlong(keySize)) return false;
  BCRYPT_ALG_HANDLE alg;
  if (!Succeeded(BCryptOpenAlgorithmProvider(&alg, BCRYPT_SHA1_ALGORITHM, nullptr,
                                             BCRYPT_ALG_HANDLE_HMAC_FLAG)))
    return false;
  BCRYPT_HASH_HANDLE hash;
  if (!Succeeded(BCryptCreateHash(alg, &hash, nullptr, 0, (PUCHAR)key, (ULONG)keySize, 0))) {
    BCryptCloseAlgorithmProvider(alg, 0);
    return false;
  }
  hmac->handle[0] = alg;
  hmac->handle[1] = hash;
  return true;
}

bool CryptoHmacSha1Update(CryptoHmacSha1* hmac, const void* data, size_t size) {
  return FitsUlong(size) && Succeeded(BCryptHashData(hmac->handle[1], (PUCHAR)data, (ULONG)size, 0));
}

bool CryptoHmacSha1End(CryptoHmacSha1* hmac, uint8_t digest[CRYPTO_SHA1_SIZE]) {
  bool ok = hmac->handle[1] != nullptr;
  if (ok && digest)
    ok = Succeeded(BCryptFinishHash(hmac->handle[1], digest, CRYPTO_SHA1_SIZE, 0));
  if (hmac->handle[1]) BCryptDestroyHash(hmac->handle[1]);
  if (hmac->handle[0]) BCryptCloseAlgorithmProvider(hmac->handle[0], 0);
  hmac->handle[0] = hmac->handle[1] = nullptr;
  return ok;
}

// ---------------------------------------------------------------- random

bool CryptoRandom(void* out, size_t size) {
  return FitsUlong(size) && Succeeded(BCryptGenRandom(nullptr, (PUCHAR)out, (ULONG)size,
                                                      BCRYPT_USE_SYSTEM_PREFERRED_RNG));
}
