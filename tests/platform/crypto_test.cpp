// The system's cryptography: natively libcrypto, under Wine CNG. The AES and
// HMAC halves are checked through the AE-2 entries (tests/services).
#include "platform/crypto.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>

namespace {

TEST(Crypto, Pbkdf2HmacSha1) {
  const struct { std::string password, salt; uint32_t iterations; const char* key; } cases[] = {
      {"password", "salt", 1, "0c60c80f961f0e71f3a9b524af6012062fe037a6"},  // RFC 6070
      {"password", "salt", 2, "ea6c014dc72d6f8ccd1ed92ace1d41f0d8de8957"},
      {"password", "salt", 4096, "4b007901b765489abead49d926f721d065a429c1"},
      {"passwordPASSWORDpassword", "saltSALTsaltSALTsaltSALTsaltSALTsalt", 4096,
       "3d2eec4fe41c849b80c8d83662c0e44a8b291a964cf2f07038"},
      {std::string("pass\0word", 9), std::string("sa\0lt", 5), 4096, "56fa6aa75548099dcc37d7f03425e0c3"},
  };
  for (const auto& c : cases) {
    uint8_t key[32];
    size_t size = strlen(c.key) / 2;
    ASSERT_TRUE(CryptoPbkdf2HmacSha1(c.password.data(), c.password.size(), c.salt.data(),
                                     c.salt.size(), c.iterations, key, size));
    EXPECT_EQ(c.key, HexOf(key, size)) << c.password << " " << c.iterations;
  }
  uint8_t key[20];
  EXPECT_FALSE(CryptoPbkdf2HmacSha1("password", 8, "salt", 4, 0, key, sizeof key));
}

TEST(Crypto, RandomBytesDiffer) {
  uint8_t a[16] = {}, b[16] = {};
  ASSERT_TRUE(CryptoRandom(a, sizeof a) && CryptoRandom(b, sizeof b));
  EXPECT_NE(HexOf(a, sizeof a), HexOf(b, sizeof b));
}

}  // namespace
