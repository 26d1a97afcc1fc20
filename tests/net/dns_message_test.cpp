#include "net/dns_message.h"

#include <gtest/gtest.h>

#include "dns_builder.h"

namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> list) {
  std::vector<uint8_t> v;
  for (int b : list) v.push_back(static_cast<uint8_t>(b));
  return v;
}

TEST(DnsName, LabelForm) {
  struct Case {
    const char* name;
    std::vector<uint8_t> label;
  } cases[] = {
      {"a.example", Bytes({1, 'a', 7, 'e', 'x', 'a', 'm', 'p', 'l', 'e', 0})},
      {"a..b", Bytes({1, 'a', 0})},  // an empty label ends the name
      {"host.", Bytes({4, 'h', 'o', 's', 't', 0})},
      {"", Bytes({0})},
      {".x", Bytes({0})},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> out;
    ASSERT_TRUE(EncodeDnsName(c.name, out)) << c.name;
    EXPECT_EQ(out, c.label) << c.name;
  }
  std::vector<uint8_t> out;
  EXPECT_TRUE(EncodeDnsName(std::string(63, 'x') + ".test", out));
  out.clear();
  EXPECT_FALSE(EncodeDnsName(std::string(64, 'x') + ".test", out));  // would read as a pointer byte
}

TEST(DnsQuery, MessageLayout) {
  std::vector<uint8_t> q = BuildDnsQuery(0xBEEF, "a.example");
  std::vector<uint8_t> want = Bytes({0xBE, 0xEF, 0x01, 0x00, 0, 1, 0, 0, 0, 0, 0, 0,
                                     1, 'a', 7, 'e', 'x', 'a', 'm', 'p', 'l', 'e', 0, 0, 1, 0, 1});
  EXPECT_EQ(q, want);
  EXPECT_EQ(q.size(), 16u + 11u);
  EXPECT_TRUE(BuildDnsQuery(1, std::string(64, 'x')).empty());
}

struct AnswerCase {
  const char* name;
  std::function<std::vector<uint8_t>(DnsBuilder&)> build;
  int result;
  std::vector<std::string> addresses;
};

class DnsAnswerTest : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(DnsAnswerTest, Parse) {
  const AnswerCase& c = GetParam();
  DnsBuilder b(0x1234, "cdn.vexra.test");
  std::vector<uint8_t> msg = c.build(b);
  DnsAnswer answer;
  int r = ParseDnsAnswer(msg.data(), msg.size(), b.Query(), answer);
  EXPECT_EQ(r, c.result);
  std::vector<std::string> got;
  for (uint32_t i = 0; i < answer.count; ++i) got.push_back(FormatIpv4(answer.addresses[i]));
  EXPECT_EQ(got, c.addresses);
}

std::vector<std::string> Range(int n) {
  std::vector<std::string> v;
  for (int i = 1; i <= n; ++i) v.push_back("10.0.0." + std::to_string(i));
  return v;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DnsAnswerTest,
    ::testing::Values(
        AnswerCase{"one_a", [](DnsBuilder& b) { return b.A("10.1.2.3").Build(); }, 1, {"10.1.2.3"}},
        AnswerCase{"cname_then_two_a",
                   [](DnsBuilder& b) { return b.Cname("edge.vexra.test").A("10.0.0.1").A("10.0.0.2").Build(); },
                   2, {"10.0.0.1", "10.0.0.2"}},
        AnswerCase{"twenty_five_answers_read_twenty",
                   [](DnsBuilder& b) {
                     for (int i = 1; i <= 25; ++i) b.A("10.0.0." + std::to_string(i));
                     return b.Build();
                   },
                   20, Range(20)},
        AnswerCase{"only_cname", [](DnsBuilder& b) { return b.Cname("x.test").Build(); }, -1, {}},
        AnswerCase{"no_answers", [](DnsBuilder& b) { return b.Build(); }, -1, {}},
        AnswerCase{"wrong_id", [](DnsBuilder& b) { return b.A("10.1.2.3").Id(0x1235).Build(); }, -1, {}},
        AnswerCase{"not_a_response", [](DnsBuilder& b) { return b.A("10.1.2.3").Flags(0x01, 0x00).Build(); }, -1,
                   {}},
        AnswerCase{"truncated_in_record",
                   [](DnsBuilder& b) {
                     auto m = b.A("10.1.2.3").Build();
                     m.resize(m.size() - 2);
                     return m;
                   },
                   -1, {}},
        AnswerCase{"count_larger_than_records",
                   [](DnsBuilder& b) { return b.A("10.1.2.3").Count(3).Build(); }, -1, {}},
        AnswerCase{"shorter_than_question",
                   [](DnsBuilder& b) {
                     auto m = b.Build();
                     m.resize(14);
                     return m;
                   },
                   -1, {}},
        AnswerCase{"pointer_loop",
                   [](DnsBuilder& b) { return b.RawOwner({0xC0, 0}).A("10.1.2.3").LoopOwner().Build(); }, -1,
                   {}},
        AnswerCase{"pointer_outside_message",
                   [](DnsBuilder& b) { return b.RawOwner({0xFF, 0xFF}).A("10.1.2.3").Build(); }, -1, {}},
        AnswerCase{"reserved_label_type",
                   [](DnsBuilder& b) { return b.RawOwner({0x41, 'a', 0}).A("10.1.2.3").Build(); }, -1, {}},
        AnswerCase{"uncompressed_owner",
                   [](DnsBuilder& b) { return b.RawOwner({3, 'c', 'd', 'n', 0}).A("10.9.9.9").Build(); }, 1,
                   {"10.9.9.9"}},
        AnswerCase{"a_record_too_short",
                   [](DnsBuilder& b) { return b.Record(1, {10, 1, 2}).Build(); }, -1, {}},
        AnswerCase{"other_type_skipped",
                   [](DnsBuilder& b) { return b.Record(16, {3, 'a', 'b', 'c'}).A("10.4.4.4").Build(); }, 1,
                   {"10.4.4.4"}},
        AnswerCase{"cname_name_longer_than_record",
                   [](DnsBuilder& b) { return b.Record(5, {3, 'a', 'b'}).A("10.4.4.4").Build(); }, -1, {}}),
    [](const ::testing::TestParamInfo<AnswerCase>& info) { return std::string(info.param.name); });

TEST(DnsAnswer, EveryTruncationOfAGoodAnswerIsRefusedOrShorter) {
  // Cutting a valid answer anywhere must never read past the cut (ASan watches) nor invent addresses.
  DnsBuilder b(7, "a.test");
  std::vector<uint8_t> full = b.Cname("b.test").A("10.0.0.1").A("10.0.0.2").Build();
  for (size_t cut = 0; cut < full.size(); ++cut) {
    std::vector<uint8_t> part(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(cut));
    DnsAnswer answer;
    EXPECT_EQ(ParseDnsAnswer(part.data(), part.size(), b.Query(), answer), -1) << cut;
    EXPECT_EQ(answer.count, 0u);
  }
}

TEST(Ipv4Text, Recognised) {
  struct Case {
    const char* text;
    bool ok;
  } cases[] = {
      {"127.0.53.1", true}, {"0.0.0.0", true},     {"255.255.255.255", true}, {"256.1.1.1", false},
      {"1.2.3", false},     {"1.2.3.4.5", false},  {"1..2.3", false},         {"1.2.3.4.", false},
      {"", false},          {" 1.2.3.4", false},   {"1.2.3.4 ", false},       {"a.b.c.d", false},
      {"1234.1.1.1", false}, {"-1.2.3.4", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsIpv4Text(c.text), c.ok) << c.text;
}

TEST(Ipv4Text, FormatFromNetworkOrder) {
  const uint8_t bytes[4] = {127, 0, 53, 1};
  uint32_t addr;
  std::memcpy(&addr, bytes, 4);
  EXPECT_EQ(FormatIpv4(addr), "127.0.53.1");
}

}  // namespace
