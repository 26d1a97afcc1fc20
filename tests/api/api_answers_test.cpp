#include "api/api_answers.h"

#include <gtest/gtest.h>

#include "platform/error.h"

namespace {

std::string ErrorOf(const std::string& body) {
  try {
    ParsePkgInfo(body);
  } catch (const MorvelError& e) {
    return e.what();
  }
  return "";
}

}  // namespace

TEST(ParsePkgInfo, EnvelopeRulesNameTheirError) {
  const struct {
    const char* body;
    const char* error;
  } cases[] = {
      {"", "parse decrypt data error"},
      {"{\"code\":", "parse decrypt data error"},
      {"{\"data\":{}}", "member not exist"},
      {"{\"code\":\"server.success\"}", "member not exist"},
      {"[1,2]", "member not exist"},
      {"{\"code\":\"server.fail\",\"data\":{}}", "request error"},
      {"{\"code\":\"Server.Success\",\"data\":{}}", "request error"},
      {"{\"code\":\"server.success \",\"data\":{}}", "request error"},
      {"{\"code\":{\"x\":1},\"data\":{}}", "json value convert error"},
      {"{\"code\":\"server.success\",\"data\":{\"md5\":[1]}}", "json value convert error"},
      {"{\"code\":\"server.success\",\"data\":{}}", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ErrorOf(c.body), c.error) << c.body;
}

TEST(ParsePkgInfo, ReadsFieldsAndRestoresZeroOrMissingSizes) {
  PkgInfoRecord r = ParsePkgInfo(
      R"({"code":"server.success","data":{"downloadUrl":"http://cdn.vexra.test/p/setup.exe",
          "softwareCode":"vx","versionCode":"2.1.0.3","md5":"0123456789abcdef0123456789abcdef",
          "size":123,"installationSize":"  456kb"}})");
  ASSERT_EQ(r.urls.size(), 1u);
  EXPECT_EQ(r.urls[0], "http://cdn.vexra.test/p/setup.exe");
  EXPECT_EQ(r.softwareCode, "vx");
  EXPECT_EQ(r.versionCode, "2.1.0.3");
  EXPECT_EQ(r.md5, "0123456789abcdef0123456789abcdef");
  EXPECT_EQ(r.size, 123);  // a JSON number is read like its text
  EXPECT_EQ(r.installationSize, 456);

  const struct {
    const char* data;
    int64_t size, installationSize;
  } sizes[] = {
      {R"({"size":"0"})", kDefaultPackageSize, kDefaultInstallationSize},
      {R"({"size":"abc","installationSize":0})", kDefaultPackageSize, kDefaultInstallationSize},
      {R"({"size":"-5"})", -5, kDefaultInstallationSize},
      {R"({"installationSize":"9000000000"})", kDefaultPackageSize, 9000000000LL},
  };
  for (const auto& s : sizes) {
    PkgInfoRecord z = ParsePkgInfo(std::string(R"({"code":"server.success","data":)") + s.data + "}");
    EXPECT_EQ(z.size, s.size) << s.data;
    EXPECT_EQ(z.installationSize, s.installationSize) << s.data;
    EXPECT_TRUE(z.md5.empty());
    EXPECT_TRUE(z.urls.empty());
  }
}

TEST(ParseServerInfo, TarnelOcpcTyping) {
  const struct {
    const char* value;  // null: member absent
    bool expected;
    bool raises;
  } cases[] = {{"1", true, false},     {"true", true, false},  {"0", false, false},  {"false", false, false},
               {"null", false, false}, {nullptr, false, false}, {"\"1\"", false, true}, {"[]", false, true}};
  for (const auto& c : cases) {
    std::string body = R"({"code":"server.success","data":{"appId":"a1")";
    if (c.value) body += std::string(",\"tarnelOcpc\":") + c.value;
    body += "}}";
    if (c.raises) {
      EXPECT_THROW(ParseServerInfo(body), MorvelError) << body;
      continue;
    }
    ServerInfoRecord r = ParseServerInfo(body);
    EXPECT_EQ(r.tarnelOcpc, c.expected) << body;
    EXPECT_EQ(r.appId, "a1");
  }
}

TEST(ParseServerInfo, OtherEnvelopesGiveEmptyFieldsWithoutError) {
  const char* bodies[] = {R"({"code":"server.fail","data":{"appId":"x"}})", R"({"code":"server.success"})",
                          R"({"data":{"appId":"x"}})", "[]"};
  for (const char* b : bodies) {
    ServerInfoRecord r = ParseServerInfo(b);
    EXPECT_TRUE(r.appId.empty() && r.welcomeUrl.empty() && !r.tarnelOcpc) << b;
  }
  EXPECT_THROW(ParseServerInfo(""), MorvelError);
  EXPECT_THROW(ParseServerInfo(R"({"code":5,"data":{}})"), MorvelError);

  ServerInfoRecord full = ParseServerInfo(
      R"({"code":"server.success","data":{"appId":7,"appName":"图片","welcomeUrl":"http://www.vexra.test/w",
          "advertisingAccountName":"acc","tarnelOcpc":true}})");
  EXPECT_EQ(full.appId, "7");
  EXPECT_EQ(full.appName, "图片");
  EXPECT_EQ(full.welcomeUrl, "http://www.vexra.test/w");
  EXPECT_EQ(full.advertisingAccountName, "acc");
  EXPECT_TRUE(full.tarnelOcpc);
}

TEST(ParseInstallerConfig, OnlyACompleteChainGivesAnImageUrl) {
  const struct {
    const char* body;
    bool found;
    const char* url;
  } cases[] = {
      {R"({"code":"server.success","data":{"ProductsShow":{"gif_url":"http://cdn.vexra.test/b.gif"}}})", true,
       "http://cdn.vexra.test/b.gif"},
      {R"({"code":"server.success","data":{"ProductsShow":{"gif_url":""}}})", true, ""},
      {R"({"code":"server.success","data":{"ProductsShow":{}}})", false, ""},
      {R"({"code":"server.success","data":{}})", false, ""},
      {R"({"code":"server.success"})", false, ""},
      {R"({"code":"other","data":{"ProductsShow":{"gif_url":"x"}}})", false, ""},
      {"not json", false, ""},
  };
  for (const auto& c : cases) {
    std::string url;
    EXPECT_EQ(ParseInstallerConfig(c.body, &url), c.found) << c.body;
    EXPECT_EQ(url, c.url) << c.body;
  }
  std::string url;
  EXPECT_THROW(ParseInstallerConfig(R"({"code":1,"data":{}})", &url), MorvelError);
  EXPECT_THROW(ParseInstallerConfig(R"({"code":"server.success","data":{"ProductsShow":{"gif_url":{}}}})", &url),
               MorvelError);
}

TEST(SplitImageUrl, HostPortAndPath) {
  std::string host, path;
  uint16_t port = 0;
  ASSERT_TRUE(SplitImageUrl("http://img.vexra.test:8080/a/b.gif?x=1", &host, &port, &path));
  EXPECT_EQ(host, "img.vexra.test");
  EXPECT_EQ(port, 8080);
  EXPECT_EQ(path, "/a/b.gif?x=1");
  EXPECT_FALSE(SplitImageUrl("http://img.vexra.test", &host, &port, &path));
  EXPECT_FALSE(SplitImageUrl("http://a:1:2/x", &host, &port, &path));
}

TEST(RequestPaths, AreBuiltUnescaped) {
  EXPECT_EQ(BuildPkgInfoPath("", false),
            "/applicationService/installer/getAppVersion?appId=41872306&versionCode=0.9.0.1&packageSystemSupport=1");
  EXPECT_EQ(BuildPkgInfoPath("1.2.3.4", true),
            "/applicationService/installer/getAppVersion?appId=41872306&versionCode=1.2.3.4&packageSystemSupport=2");
  EXPECT_EQ(BuildServerInfoPath("a b&c"), "/applicationService/channel/welcome?channel=a b&c");
  EXPECT_EQ(BuildInstallerConfigPath(), "/applicationService/app/installerConfig?appId=41872306");
}
