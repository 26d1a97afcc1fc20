#include "telemetry/property_set.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(EventSerial, IsSecondsModTenMillionTimesHundredPlusCounterModHundred) {
  struct Case {
    int64_t now;
    int32_t counter;
    int32_t serial;
  };
  const Case cases[] = {
      {0, 0, 0},
      {1765432109, 0, 543210900},   // only the last seven digits of the time count
      {1765432109, 1, 543210901},   // the next event within the same second
      {1765432109, 99, 543210999},
      {1765432109, 100, 543210900}, // the 101st event reuses the first one's last two digits
      {1765432109, 123, 543210923},
      {9999999, 99, 999999999},     // the largest serial still fits in 32 bits
      {10000000, 5, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.now << " / " << c.counter);
    EXPECT_EQ(EventSerial(c.now, c.counter), c.serial);
  }
}

TEST(PropertySet, KeepsTheFirstValueOfANameUntilCleared) {
  PropertySet s;
  s.SetText("error_status", "first");
  s.SetText("error_status", "second");
  s.SetInt("download_time", 5);
  s.SetInt("download_time", -1);
  s.SetBool("is_reinstall", false);
  s.SetBool("is_reinstall", true);
  EXPECT_EQ(s.texts.at("error_status"), "first");
  EXPECT_EQ(s.ints.at("download_time"), 5);
  EXPECT_FALSE(s.bools.at("is_reinstall"));

  s.Clear();
  s.SetText("error_status", "second");
  EXPECT_EQ(s.texts.at("error_status"), "second");
  EXPECT_TRUE(s.ints.empty());
  EXPECT_TRUE(s.bools.empty());
}

TEST(PropertySet, SameNameInDifferentSetsAreSeparateProperties) {
  PropertySet s;
  s.SetInt("x", 1);
  s.SetBool("x", true);
  s.SetText("x", "");
  EXPECT_EQ(s.ints.size() + s.bools.size() + s.texts.size(), 3u);
  EXPECT_EQ(s.texts.at("x"), "");  // an empty value is a value
}

TEST(PropertySet, OrdersNamesByteByByte) {
  PropertySet s;
  // Capitals sort before lower case, and UTF-8 lead bytes (>= 0x80) after every ASCII byte.
  for (const char* name : {"windows_name", "\xe5\x90\x8d", "Zeta", "a", "a_b", "ab"}) s.SetText(name, "v");
  std::vector<std::string> order;
  for (const auto& p : s.texts) order.push_back(p.first);
  EXPECT_EQ(order, (std::vector<std::string>{"Zeta", "a", "a_b", "ab", "windows_name", "\xe5\x90\x8d"}));
}
