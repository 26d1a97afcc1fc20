#include "download/url_rules.h"

#include <gtest/gtest.h>

using Lines = std::vector<std::string>;

TEST(SplitUrl, PiecesHostPortAndPath) {
  const struct {
    const char* url;
    UrlSplit result;
    const char* host;
    uint16_t port;
    const char* path;
  } cases[] = {
      {"http://cdn.vexra.test/a/b.exe", UrlSplit::kOk, "cdn.vexra.test", 80, "/a/b.exe"},
      {"http://cdn.vexra.test:8080/a//b/?q=1/2", UrlSplit::kOk, "cdn.vexra.test", 8080, "/a/b/?q=1/2"},
      {"http://h/x/", UrlSplit::kOk, "h", 80, "/x"},
      {"whatever:/h/x", UrlSplit::kOk, "h", 80, "/x"},  // the scheme piece is not examined
      {"http://cdn.vexra.test", UrlSplit::kInvalidUrl, "", 80, ""},
      {"http://cdn.vexra.test/", UrlSplit::kInvalidUrl, "", 80, ""},
      {"", UrlSplit::kInvalidUrl, "", 80, ""},
      {"http://a:1:2/x", UrlSplit::kInvalidHost, "", 80, ""},
      {"http://a:70000/x", UrlSplit::kInvalidHost, "", 80, ""},
      {"http://a:0/x", UrlSplit::kInvalidHost, "", 80, ""},
  };
  for (const auto& c : cases) {
    ParsedUrl p;
    UrlSplit r = SplitUrl(c.url, &p);
    EXPECT_EQ(r, c.result) << c.url;
    if (r != UrlSplit::kOk) continue;
    EXPECT_EQ(p.host, c.host) << c.url;
    EXPECT_EQ(p.port, c.port) << c.url;
    EXPECT_EQ(p.path, c.path) << c.url;
  }
  // A relative Location handed to the worker has no host piece: "/pkg/setup.exe" is two pieces.
  ParsedUrl p;
  EXPECT_EQ(SplitUrl("/pkg/setup.exe", &p), UrlSplit::kInvalidUrl);
}

TEST(HeadAnswer, FileNameSizeAndStatus) {
  Lines lines = {"HTTP/1.1 200 OK", "Content-Type: x", "Content-Disposition: attachment; filename=\"a b.exe\"",
                 "X-Other: filename=second.exe", "Content-Length: 1234"};
  EXPECT_EQ(HeaderFileNameRaw(lines), "a b.exe");
  EXPECT_EQ(HeaderContentLength(lines), 1234);
  EXPECT_EQ(HeaderStatus(lines), "200");

  EXPECT_EQ(HeaderFileNameRaw({"HTTP/1.1 200 OK", "x: filename=plain.exe"}), "plain.exe");
  EXPECT_EQ(HeaderFileNameRaw({"HTTP/1.1 200 OK", "x: filename=\"\""}), "");
  EXPECT_EQ(HeaderFileNameRaw({"HTTP/1.1 200 OK"}), "");
  // Only the exact-case field counts, and only a line longer than the bare field name.
  EXPECT_EQ(HeaderContentLength({"HTTP/1.1 200 OK", "content-length: 5"}), 0);
  EXPECT_EQ(HeaderContentLength({"HTTP/1.1 200 OK", "Content-Length:"}), 0);
  EXPECT_EQ(HeaderContentLength({"HTTP/1.1 200 OK", "Content-Length:7", "Content-Length: 9"}), 7);
  EXPECT_EQ(HeaderContentLength({"HTTP/1.1 200 OK", "Content-Length: x", "Content-Length: 9"}), 0);
  EXPECT_EQ(HeaderStatus({}), "");
  EXPECT_EQ(HeaderStatus({"HTTP/1.1 30"}), "");

  const struct {
    const char* status;
    bool redirect;
  } statuses[] = {{"300", true}, {"302", true}, {"399", true}, {"200", false}, {"400", false}, {"", false},
                  {"abc", false}};
  for (const auto& s : statuses) EXPECT_EQ(IsRedirectStatus(s.status), s.redirect) << s.status;
}

TEST(RedirectTarget, AbsoluteRelativeAndOther) {
  const struct {
    const char* location;
    const char* url;
  } cases[] = {
      {"Location: http://cdn2.vexra.test/x.exe", "http://cdn2.vexra.test/x.exe"},
      {"Location:/pkg/setup.exe", "http://query.vexra.test:80/pkg/setup.exe"},
      {"Location:    /pkg/a b.exe", "http://query.vexra.test:80/pkg/a b.exe"},
      {"Location: other/x.exe", "other/x.exe"},
  };
  for (const auto& c : cases) {
    std::string url;
    ASSERT_TRUE(RedirectTarget({"HTTP/1.1 302 Found", c.location}, "query.vexra.test", 80, &url)) << c.location;
    EXPECT_EQ(url, c.url);
  }
  std::string url;
  EXPECT_TRUE(RedirectTarget({"HTTP/1.1 302 Found", "Location:/p"}, "h", 8080, &url));
  EXPECT_EQ(url, "http://h:8080/p");
  EXPECT_FALSE(RedirectTarget({"HTTP/1.1 302 Found", "location: /p"}, "h", 80, &url));
}

TEST(SanitizeFileName, KeepsOnlyPlainNames) {
  const struct {
    const wchar_t* name;
    const wchar_t* kept;
  } cases[] = {
      {L"a b.exe", L"a b.exe"},
      {L"setup_v2.exe", L"setup_v2.exe"},
      {L"图片转换器.exe", L"图片转换器.exe"},
      {L"..\\..\\Windows\\evil.exe", L""},
      {L"../evil.exe", L""},
      {L"C:evil.exe", L""},
      {L"C:\\evil.exe", L""},
      {L"\\\\server\\share\\x.exe", L""},
      {L"x.exe:stream", L""},
      {L"..", L""},
      {L".", L""},
      {L"a*.exe", L""},
      {L"a?.exe", L""},
      {L"a<b>.exe", L""},
      {L"a|b.exe", L""},
      {L"a\tb.exe", L""},
      {L"evil.exe.", L""},
      {L"evil.exe ", L""},
      {L" evil.exe", L""},
      {L"NUL", L""},
      {L"nul.exe", L""},
      {L"COM1.exe", L""},
      {L"lpt9", L""},
      {L"COM10.exe", L"COM10.exe"},
      {L"console.exe", L"console.exe"},
      {L"", L""},
  };
  for (const auto& c : cases) EXPECT_EQ(SanitizeFileName(c.name), c.kept) << c.name;
  EXPECT_EQ(SanitizeFileName(std::wstring(300, L'a')), L"");
}

TEST(FallbackPackageName, OwnNameWithInstallAndVersionTag) {
  const struct {
    const wchar_t* own;
    const wchar_t* tag;
    const wchar_t* name;
  } cases[] = {
      {L"setup.exe", L"2.1.0.3", L"setup_install_v2.1.0.3.exe"},
      {L"x_install.exe", L"2.1.0.3", L"x_install_v2.1.0.3.exe"},
      {L"setup.exe", L"", L"setup_install.exe"},
      {L"VexraSetup", L"1.0", L"VexraSetup_install_v1.0.exe"},
      {L"a.exe.exe", L"", L"a_install.exe"},  // every occurrence of the extension goes
      {L"", L"1.0", L"MorvelPkg.exe"},
  };
  for (const auto& c : cases) EXPECT_EQ(FallbackPackageName(c.own, c.tag), c.name) << c.own;
}

TEST(IsVersionAtLeast, ComponentWiseWithoutEarlyEnd) {
  const struct {
    const wchar_t *a, *b;
    bool atLeast;
  } cases[] = {
      {L"2.1.0.3", L"2.1.0.3", true},  {L"2.1.0.4", L"2.1.0.3", true},  {L"2.1.0.2", L"2.1.0.3", false},
      {L"2.0", L"1.5", false},          // a larger first component does not end the comparison
      {L"3.6", L"2.5", true},          {L"2.1.0", L"2.1.0.0", false},    {L"", L"", false},
      {L"1..2", L"1.2", true},         {L"10.0", L"9.0", true},          {L"1.x", L"1.0", true},
  };
  for (const auto& c : cases) EXPECT_EQ(IsVersionAtLeast(c.a, c.b), c.atLeast) << c.a << " vs " << c.b;
}

TEST(ChannelPackageName, SecondComponentPicksTheFixedName) {
  const struct {
    const wchar_t* version;
    const wchar_t* name;
  } cases[] = {
      {L"3.96.0.1", L"install_tengxun0.exe"}, {L"3.97.0.1", L"install_qihu3600.exe"},
      {L"1.98.2.2", L"install_jinshan0.exe"}, {L"1.99.0.0", L"install_huawei00.exe"},
      {L"3.95.0.1", L""},                     {L"3.97.1", L""},
      {L"3.100.0.1", L""},                    {L"", L""},
  };
  for (const auto& c : cases) EXPECT_EQ(ChannelPackageName(c.version), c.name) << c.version;
}

TEST(SplitRanges, HalvesWithRemainderInTheLast) {
  const struct {
    int64_t total;
    int64_t s0, e0, s1, e1;
  } cases[] = {
      {1000001, 0, 499999, 500000, 1000000},
      {2, 0, 0, 1, 1},
      {1, 0, -1, 0, 0},  // the first range is empty (complete from the start)
      {268435456, 0, 134217727, 134217728, 268435455},
  };
  for (const auto& c : cases) {
    std::vector<ByteRange> r = SplitRanges(c.total, 2);
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0].start, c.s0);
    EXPECT_EQ(r[0].end, c.e0);
    EXPECT_EQ(r[1].start, c.s1);
    EXPECT_EQ(r[1].end, c.e1);
  }
  EXPECT_TRUE(SplitRanges(0, 2).empty());
  EXPECT_TRUE(SplitRanges(-3, 2).empty());
}

TEST(WireTexts, RangeRequestSetupLineAndExitCodes) {
  EXPECT_EQ(BuildRangeRequest("cdn.vexra.test", "/p/s.exe?x=1", 300000, 499999),
            "GET /p/s.exe?x=1 HTTP/1.1\r\nHost:cdn.vexra.test\r\nAccept:*/*\r\nRange:bytes=300000-499999\r\n"
            "User-Agent:Mozilla/4.0 (compatible; MSIE 5.00; Windows 98)\r\nConnection:close\r\n\r\n");
  EXPECT_EQ(BuildSetupCommandLine(L"C:\\d\\setup.exe", L"D:\\x y", true),
            L"\"C:\\d\\setup.exe\" /SILENT /VERYSILENT /SP- /noicons -nowelcome /DIR=\"D:\\x y\"");
  EXPECT_EQ(BuildSetupCommandLine(L"C:\\d\\setup.exe", L"D:\\x y", false),
            L"\"C:\\d\\setup.exe\" /SILENT /VERYSILENT /SP- /noicons -noexperience -nowelcome /DIR=\"D:\\x y\"");
  EXPECT_EQ(FormatExitCode(0), "0");
  EXPECT_EQ(FormatExitCode(2), "2");
  EXPECT_EQ(FormatExitCode(static_cast<uint32_t>(-1)), "4294967295");
  EXPECT_EQ(BuiltInPackageUrl("cdn.vexra.test", false),
            "http://cdn.vexra.test/application/soft_package/pc/41872306/software/install.exe");
  EXPECT_EQ(BuiltInPackageUrl("cdn.vexra.test", true),
            "http://cdn.vexra.test/application/soft_package/pc/41872306/software/install_x64.exe");
}
