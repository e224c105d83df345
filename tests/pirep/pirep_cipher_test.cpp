// Tests of the RC4 layer under the PIREP files: published vectors and set-up failures.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "pirep/PIREPData.h"

namespace orvane {
namespace {

std::string from_hex(const std::string& hex) {
  std::string out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  }
  return out;
}

std::string to_hex(const std::string& bytes) {
  static const char* digits = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 0xF];
  }
  return out;
}

struct Vector {
  std::string key;
  std::string plain;
  std::string cipher_hex;
};

TEST(Rc4Cipher, PublishedVectorsEncryptAndDecrypt) {
  const Vector vectors[] = {
      {"Key", "Plaintext", "BBF316E8D940AF0AD3"},
      {"Wiki", "pedia", "1021BF0420"},
      {"Secret", "Attack at dawn", "45A01F645FC35B383552544B9BF5"},
      // Key stream of a 40-bit and a 128-bit key (plain text of zero bytes).
      {from_hex("0102030405"), std::string(16, '\0'), "B2396305F03DC027CCC3524A0A1118A8"},
      {from_hex("0102030405060708090A0B0C0D0E0F10"), std::string(16, '\0'),
       "9AC7CC9A609D1EF7B2932899CDE41B97"},
  };
  for (const Vector& v : vectors) {
    SCOPED_TRACE(v.cipher_hex);
    EXPECT_EQ(to_hex(rc4_transform(v.key, v.plain, true)), v.cipher_hex);
    EXPECT_EQ(rc4_transform(v.key, from_hex(v.cipher_hex), false), v.plain);
  }
}

TEST(Rc4Cipher, EveryByteValueRoundTripsAndLengthIsKept) {
  std::string all;
  for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
  all += all;
  const std::string key = "0123456789abcdef";
  const std::string enc = rc4_transform(key, all, true);
  EXPECT_EQ(enc.size(), all.size());
  EXPECT_NE(enc, all);
  EXPECT_EQ(rc4_transform(key, enc, false), all);
  EXPECT_EQ(rc4_transform(key, "", true), "");
  EXPECT_EQ(rc4_transform(key, "", false), "");
}

TEST(Rc4Cipher, KeyOfNoneOrMoreThan256BytesIsRefused) {
  const std::string text =
      "Setting up the RC4 cipher didn't work: the key must have 1 to 256 bytes.";
  for (const std::string& key : {std::string(), std::string(257, 'k')}) {
    try {
      rc4_transform(key, "data", true);
      ADD_FAILURE() << "no exception for a key of " << key.size() << " bytes";
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(std::string(e.what()), text);
    }
  }
  EXPECT_EQ(rc4_transform(std::string(256, 'k'), "x", false).size(), 1u);
  EXPECT_EQ(rc4_transform("k", "x", true).size(), 1u);
}

// Runs in a fresh process whose OpenSSL finds no provider modules: the legacy provider
// with RC4 cannot load. Exit code 0 means the expected error arrived, 1 that the file was
// written anyway, 2 that the error text was another one.
int pack_without_legacy_provider() {
  setenv("OPENSSL_MODULES", "/nonexistent-orvane-ossl-modules", 1);
  const std::string expected =
      "The RC4 cipher is not available: OpenSSL's legacy provider could not be loaded.";
  // The second attempt must fail the same way as the first.
  for (int attempt = 0; attempt < 2; ++attempt) {
    try {
      PIREPData p;
      p.Callsign = "ORV1";
      (void)p.pack_crypt();
      return 1;
    } catch (const std::runtime_error& e) {
      if (std::string(e.what()) != expected) return 2;
    }
  }
  return 0;
}

TEST(Rc4CipherDeathTest, MissingLegacyProviderIsAClearErrorNotAPlainFile) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(std::exit(pack_without_legacy_provider()), testing::ExitedWithCode(0), "");
}

// Runs in a fresh process, so the providers are loaded by whichever thread comes first.
int first_use_from_four_threads() {
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&wrong] {
      for (int i = 0; i < 20; ++i) {
        if (to_hex(rc4_transform("Key", "Plaintext", true)) != "BBF316E8D940AF0AD3") ++wrong;
      }
    });
  }
  for (std::thread& t : threads) t.join();
  return wrong.load();
}

TEST(Rc4CipherDeathTest, FirstUseFromSeveralThreadsAtOnce) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(std::exit(first_use_from_four_threads()), testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace orvane
