#include "platform/md5.h"

#include <gtest/gtest.h>

#include <string>

TEST(Md5Hex, Rfc1321TestSuite) {
  const struct {
    const char* input;
    const char* digest;
  } cases[] = {
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
  };
  for (const auto& c : cases) {
    std::string s = c.input;
    EXPECT_EQ(Md5Hex(s.data(), static_cast<int64_t>(s.size())), c.digest) << c.input;
  }
}

TEST(Md5Hex, NoBytesIsEmptyNotTheDigestOfNothing) {
  EXPECT_EQ(Md5Hex("x", 0), "");
  EXPECT_EQ(Md5Hex("x", -1), "");
  EXPECT_EQ(Md5Hex(nullptr, 5), "");
}

TEST(Md5, PiecewiseUpdatesMatchOneShotAcrossBlockBoundaries) {
  std::string data(1000, '\0');
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 131 + 7);
  const std::string whole = Md5Hex(data.data(), static_cast<int64_t>(data.size()));
  for (size_t step : {1u, 3u, 55u, 56u, 63u, 64u, 65u, 127u, 999u}) {
    Md5 md5;
    for (size_t at = 0; at < data.size(); at += step) md5.Update(data.data() + at, std::min(step, data.size() - at));
    EXPECT_EQ(md5.FinishHex(), whole) << "step " << step;
  }
}
