#include "net/proxy_list.h"

#include <gtest/gtest.h>

namespace {

TEST(ProxyList, Examples) {
  struct Case {
    const char* list;
    int32_t type;
    const char* host;
    uint16_t port;
  } cases[] = {
      {"http=p1:81;https=p2:82", 1, "p1", 81},
      {"p3:83", 1, "p3", 83},
      {"https=p2:82", 0, "", 0},
      {"p1:81;p2:82", 1, "p2", 82},  // the last accepted entry wins
      {"http=p1:81;socks=s:1080;ftp=f:21", 1, "p1", 81},
      {"=:81;p4:84", 1, "p4", 84},     // empty host skipped
      {"p5", 1, "p5", 0},              // no ":": the whole entry is port text, read as 0
      {"http=p6:99999", 1, "p6", static_cast<uint16_t>(99999)},  // 16 bits
      {";;p7:87;;", 1, "p7", 87},
      {"HTTP=p8:88", 0, "", 0},        // the scheme must be exactly "http"
      {"", 0, "", 0},
  };
  for (const Case& c : cases) {
    ProxyConfig p = ReadProxyList(c.list);
    EXPECT_EQ(p.type, c.type) << c.list;
    EXPECT_EQ(p.host, c.host) << c.list;
    EXPECT_EQ(p.port, c.port) << c.list;
  }
}

}  // namespace
