// AE-2 entries and the cryptography under them: natively over libcrypto,
// under Wine over CNG. The expected
// values come from outside this program: entries 7-Zip wrote (7z a -tzip
// -mem=AES256 -mx0 -pVarnoquist), taken apart into salt, verifier, data and
// code with Python, which also gave the keys (hashlib.pbkdf2_hmac('sha1',
// password, salt, 1000, 66)) and checked the codes (hmac, sha1).
#include "services/zip_aes.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>

#include <string.h>

#include <algorithm>
#include <string>

namespace {

// 7-Zip's entry holding "Pieces of AE-2, read back from 7-Zip.\n": the right
// password reads it back whole, a wrong one fails at the verifier, a changed
// byte of the stored data fails at the authentication code.
TEST(ZipAes, EntryWrittenBy7Zip) {
  const std::string salt = FromHex("3c5cef2cdd6175dfb63436b6e369637e"),
                    verifier = FromHex("4d9e"), code = FromHex("79619abe60ff8fae8377"),
                    data = FromHex("eb8077363e0726ff694f53b5f20430e03116efeee16b69928"
                                   "1ac32202166b703abff97385104");
  ZipAesKeys keys;
  ASSERT_TRUE(ZipAesDeriveKeys("Varnoquist", 10, (const uint8_t*)salt.data(), &keys));
  EXPECT_EQ("89f28cb47155a9d949da22cf3048159f53ea2dcbc2f80aab414a4eca207d0ca7"  // hashlib
            "f8c743bf0082d96984378454737d25f8f8357aeb6d68126e5abc489d9acd350b4d9e",
            HexOf(&keys, sizeof keys));
  const struct { const char* password; int flip; bool verifierMatches, codeMatches; } cases[] = {
      {"Varnoquist", -1, true, true}, {"varnoquist", -1, false, false}, {"Varnoquist", 20, true, false},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(ZipAesDeriveKeys(c.password, strlen(c.password), (const uint8_t*)salt.data(), &keys));
    EXPECT_EQ(c.verifierMatches, verifier == std::string((char*)keys.verifier, 2)) << c.password;
    std::string bytes = data;
    if (c.flip >= 0) bytes[c.flip] ^= 1;
    ZipAesCoder coder;
    uint8_t got[ZIP_AES_CODE_SIZE];
    ASSERT_TRUE(ZipAesBegin(&coder, &keys));
    ASSERT_TRUE(ZipAesDecrypt(&coder, &bytes[0], bytes.size()));
    ASSERT_TRUE(ZipAesEnd(&coder, got));
    EXPECT_EQ(c.codeMatches, code == std::string((char*)got, sizeof got)) << c.password << c.flip;
    EXPECT_TRUE(!c.codeMatches || bytes == "Pieces of AE-2, read back from 7-Zip.\n") << bytes;
  }
  // The layer below: RFC 6070's PBKDF2-HMAC-SHA1 vectors (bar 16,777,216 rounds), none without
  // rounds; salts from the system's random generator differ.
  const struct { std::string password, salt; uint32_t rounds; const char* key; } vectors[] = {
      {"password", "salt", 1, "0c60c80f961f0e71f3a9b524af6012062fe037a6"},
      {"password", "salt", 2, "ea6c014dc72d6f8ccd1ed92ace1d41f0d8de8957"},
      {"password", "salt", 4096, "4b007901b765489abead49d926f721d065a429c1"},
      {"passwordPASSWORDpassword", "saltSALTsaltSALTsaltSALTsaltSALTsalt", 4096,
       "3d2eec4fe41c849b80c8d83662c0e44a8b291a964cf2f07038"},
      {Bytes("pass\0word"), Bytes("sa\0lt"), 4096, "56fa6aa75548099dcc37d7f03425e0c3"},
  };
  for (const auto& v : vectors) {
    uint8_t key[32];
    const size_t size = strlen(v.key) / 2;
    ASSERT_TRUE(CryptoPbkdf2HmacSha1(v.password.data(), v.password.size(), v.salt.data(), v.salt.size(),
                                     v.rounds, key, size));
    EXPECT_EQ(v.key, HexOf(key, size)) << v.password << " " << v.rounds;
  }
  uint8_t a[16] = {}, b[16] = {};
  EXPECT_FALSE(CryptoPbkdf2HmacSha1("password", 8, "salt", 4, 0, a, sizeof a));
  EXPECT_TRUE(CryptoRandom(a, sizeof a) && CryptoRandom(b, sizeof b) && memcmp(a, b, sizeof a));
}

// 5,000 bytes (byte i = i * 7 % 251) in pieces on both sides of the key
// stream's refills and past the counter's first carry (block 256): however
// split, they encrypt to what 7-Zip made of them (its code says so) and
// decrypt back.
TEST(ZipAes, PiecesRoundTrip) {
  std::string plain(5000, '\0');
  for (size_t i = 0; i < plain.size(); i++) plain[i] = (char)(i * 7 % 251);
  ZipAesKeys keys;
  ASSERT_TRUE(ZipAesDeriveKeys("Varnoquist", 10,
                               (const uint8_t*)FromHex("f171e54d2e38238e7304d13500d6d12a").data(), &keys));
  for (size_t piece : {5000, 1, 15, 16, 17, 511, 512, 513, 4097}) {
    std::string bytes = plain;
    uint8_t code[ZIP_AES_CODE_SIZE];
    ZipAesCoder coder;
    for (auto step : {ZipAesEncrypt, ZipAesDecrypt}) {
      ASSERT_TRUE(ZipAesBegin(&coder, &keys));
      for (size_t at = 0; at < bytes.size(); at += piece)
        ASSERT_TRUE(step(&coder, &bytes[at], std::min(piece, bytes.size() - at)));
      ASSERT_TRUE(ZipAesEnd(&coder, code));
      EXPECT_EQ("189196ecca98cc07c23c", HexOf(code, sizeof code)) << piece;
    }
    EXPECT_TRUE(plain == bytes) << piece;
  }
}

// The field ZipAesWriteExtra writes is read end to end, by 7-Zip and the
// stub (tests/extractor); here the search among other fields.
TEST(ZipAes, ExtraField) {
  const struct { const char* extra; bool found; unsigned method; } cases[] = {
      {"0199070002004145030000", true, 0},                       // 7-Zip's
      {"545505000102030405" "0199070002004145030800", true, 8},  // after a time stamp
      {"545505000102030405", false, 0},                          // none
      {"01990700020041450308", false, 0},                        // cut short
      {"019906000200414503080000", false, 0},                    // 6 bytes
      {"0199070002004146030800", false, 0},                      // vendor "AF"
      {"0a0020000000" "0199070002004145030800", false, 0},       // the first runs past the end
  };
  for (const auto& c : cases) {
    std::string extra = FromHex(c.extra);
    ZipAesExtra found = {0, 0, 99};
    EXPECT_EQ(c.found, ZipAesFindExtra(extra.data(), extra.size(), &found)) << c.extra;
    EXPECT_TRUE(!c.found || (found.version == 2 && found.strength == 3 && found.method == c.method));
  }
}

}  // namespace
