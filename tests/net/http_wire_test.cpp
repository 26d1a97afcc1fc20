#include "net/http_wire.h"

#include <gtest/gtest.h>

#include <functional>

#include "memory_channel.h"
#include "platform/error.h"

namespace {

std::string ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const MorvelError& e) {
    return e.what();
  }
  return "";
}

TEST(HttpRequestText, ByteExact) {
  struct Case {
    std::string got, want;
  } cases[] = {
      {FormatGetRequest("api.vexra.test", "/v1/pkg?a=1"),
       "GET /v1/pkg?a=1 HTTP/1.1\r\nHost: api.vexra.test\r\nConnection: close\r\n\r\n"},
      {FormatGetRequest("", "/x"), "GET /x HTTP/1.1\r\nConnection: close\r\n\r\n"},
      {FormatHeadRequest("cdn.vexra.test", "/f.exe"),
       "HEAD /f.exe HTTP/1.1\r\nHost:cdn.vexra.test\r\nAccept:*/*\r\n"
       "User-Agent:Mozilla/4.0 (compatible; MSIE 5.00; Windows 98)\r\nConnection:close\r\n\r\n"},
      {FormatHeadRequest("", "/f"),
       "HEAD /f HTTP/1.1\r\nAccept:*/*\r\n"
       "User-Agent:Mozilla/4.0 (compatible; MSIE 5.00; Windows 98)\r\nConnection:close\r\n\r\n"},
      {FormatPostHeader("h", "/r", MultipartForm::kBoundary, 321),
       "POST /r HTTP/1.1\r\nHost: h\r\n"
       "Content-Type: multipart/form-data; boundary=---------------------------7da1f4c300560\r\n"
       "Content-Length: 321\r\nConnection: close\r\n\r\n"},
      {FormatConnectRequest("127.0.10.1", 80), "CONNECT 127.0.10.1:80 HTTP/1.1\r\n\r\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.got, c.want);
}

TEST(HttpRequestText, ConnectLineHasNoLengthLimit) {
  // The CONNECT line used to go through a fixed 1024-byte buffer; a long host must come out whole.
  std::string host(3000, 'h');
  std::string line = FormatConnectRequest(host, 8080);
  EXPECT_EQ(line, "CONNECT " + host + ":8080 HTTP/1.1\r\n\r\n");
}

TEST(HttpConnectReply, StatusAtOffsetNine) {
  struct Case {
    const char* reply;
    bool ok;
  } cases[] = {
      {"HTTP/1.1 200 Connection established\r\n\r\n", true},
      {"HTTP/1.0 200 OK\r\n\r\n", true},
      {"HTTP/1.1 200", true},          // 12 characters are enough
      {"HTTP/1.1 2000", true},         // only offsets 9 to 11 count
      {"HTTP/1.1 403 Forbidden\r\n\r\n", false},
      {"HTTP/1.1 20", false},          // 11 characters: no status code
      {"HTTP/1.1 20\r", false},
      {"HTTP/1.1 2x0 Odd\r\n", false},
      {"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsConnectReplyOk(c.reply), c.ok) << c.reply;
}

TEST(HttpHeaders, ParsedFromBlock) {
  struct Case {
    std::string block;
    std::vector<std::string> lines;
    std::string status;
    int64_t length;
  } cases[] = {
      {"HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n", {"HTTP/1.1 200 OK", "Content-Length: 5"}, "200", 5},
      {"HTTP/1.1 404 Not Found\r\nServer: x\r\n\r\n", {"HTTP/1.1 404 Not Found", "Server: x"}, "404", 0},
      // lower case is not the field: the body is then read as chunked
      {"HTTP/1.1 200 OK\r\ncontent-length: 5\r\n\r\n", {"HTTP/1.1 200 OK", "content-length: 5"}, "200", 0},
      {"HTTP/1.1 200 OK\r\nContent-Length:   42\r\nContent-Length: 7\r\n\r\n",
       {"HTTP/1.1 200 OK", "Content-Length:   42", "Content-Length: 7"}, "200", 42},
      {"HTTP/1.1 200 OK\r\nContent-Length:\r\n\r\n", {"HTTP/1.1 200 OK", "Content-Length:"}, "200", 0},
      {"HTTP/1.1 20\r\n\r\n", {"HTTP/1.1 20"}, "", 0},
      {"", {}, "", 0},
      {"\n\rHTTP/1.1 301 Moved\n", {"HTTP/1.1 301 Moved"}, "301", 0},
  };
  for (const Case& c : cases) {
    HttpResponseHead h = ParseHeaderBlock(c.block);
    EXPECT_EQ(h.lines, c.lines) << c.block;
    EXPECT_EQ(h.statusCode, c.status) << c.block;
    EXPECT_EQ(h.contentLength, c.length) << c.block;
  }
}

TEST(HttpHeaders, ReadByteByByteUpToTheBlankLine) {
  MemoryChannel ch("HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\nabc");
  HttpResponseHead h = ReadHeaders(ch);
  EXPECT_EQ(h.contentLength, 3);
  EXPECT_EQ(ch.Rest(), "abc");  // the body is left on the channel
  EXPECT_EQ(ch.recvCalls, 38);  // one receive per header byte, no read-ahead
}

TEST(HttpHeaders, BrokenPartialEndIsNotReexamined) {
  // "\r\n\r" then "\r": the fourth byte breaks the sequence and does not start a new one, so the
  // following "\n\r\n" alone does not end the header; the next full CR LF CR LF does.
  MemoryChannel ch("HTTP/1.1 200 OK\r\n\r\r\n\r\nX\r\n\r\nrest");
  HttpResponseHead h = ReadHeaders(ch);
  EXPECT_EQ(ch.Rest(), "rest");
  EXPECT_EQ(h.lines.back(), "X");
}

TEST(HttpHeaders, StopsAt4096Bytes) {
  std::string block = "HTTP/1.1 200 OK\r\nX-Big: " + std::string(5000, 'a') + "\r\n\r\nbody";
  MemoryChannel ch(block);
  HttpResponseHead h = ReadHeaders(ch);
  EXPECT_EQ(h.statusCode, "200");
  ASSERT_EQ(h.lines.size(), 2u);
  EXPECT_EQ(h.lines[1].size(), 4096u - 17u);
  EXPECT_EQ(ch.Rest(), block.substr(4096));  // the rest stays as if it were body
}

TEST(HttpHeaders, ClosedOrFailingConnection) {
  MemoryChannel closed("HTTP/1.1 200 OK\r\n");
  EXPECT_EQ(ErrorOf([&] { ReadHeaders(closed); }), "Server can't send data");
  MemoryChannel failing("HTTP/1.1 200", true);
  EXPECT_EQ(ErrorOf([&] { ReadHeaders(failing); }), "socket recv failed");
}

TEST(HttpChunkSize, Line) {
  struct Case {
    const char* line;
    int64_t size;
  } cases[] = {
      {"5\r\n", 5},     {"1a\r\n", 26},      {"1A\r\n", 26},       {"\r\n", 0},
      {"0\r\n", 0},     {"5", -1},           {"5\n", -1},          {"12345678\r\n", 0x12345678},
      {"1g\r\n", 16},   {"ffffffff\r\n", 0xFFFFFFFFll},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseChunkSizeLine(c.line), c.size) << c.line;
}

TEST(HttpChunkedBody, Cases) {
  struct Case {
    const char* name;
    std::string wire;
    std::string body;   // expected body when no error
    std::string error;  // expected error text
  } cases[] = {
      {"one chunk of five", "5\r\nhello\r\n0\r\n\r\n", "hello", ""},
      {"two chunks", "3\r\nabc\r\n2\r\nde\r\n0\r\n\r\n", "abcde", ""},
      {"empty body", "0\r\n\r\n", "", ""},
      {"upper hex", "A\r\n0123456789\r\n0\r\n\r\n", "0123456789", ""},
      {"not chunked at all", "{\"result\":true}", "", "Read body stream error"},
      {"extension pushes past 10 bytes", "5;name=val\r\nhello\r\n0\r\n\r\n", "", "Read body stream error"},
      {"nine digits", "000000005\r\nhello", "", "Read body stream error"},
      {"closed inside data", "5\r\nhel", "", "Server can't send data"},
      {"closed before the size", "", "", "Server can't send data"},
      {"claims more than the limit", "7fffffff\r\nxx", "", "Response body too large"},
  };
  for (const Case& c : cases) {
    MemoryChannel ch(c.wire);
    std::string body;
    std::string error = ErrorOf([&] { body = ReadChunkedBody(ch); });
    EXPECT_EQ(error, c.error) << c.name;
    if (c.error.empty()) EXPECT_EQ(body, c.body) << c.name;
  }
}

TEST(HttpChunkedBody, LimitCountsTheWholeBody) {
  MemoryChannel ch("4\r\nabcd\r\n4\r\nefgh\r\n0\r\n\r\n");
  EXPECT_EQ(ErrorOf([&] { ReadChunkedBody(ch, 6); }), "Response body too large");
  MemoryChannel fits("4\r\nabcd\r\n4\r\nefgh\r\n0\r\n\r\n");
  EXPECT_EQ(ReadChunkedBody(fits, 8), "abcdefgh");
}

TEST(HttpBody, ByContentLengthOrChunked) {
  HttpResponseHead sized;
  sized.contentLength = 4;
  MemoryChannel a("abcdEXTRA");
  EXPECT_EQ(ReadBody(a, sized), "abcd");
  EXPECT_EQ(a.Rest(), "EXTRA");

  HttpResponseHead huge;
  huge.contentLength = 4ll * 1024 * 1024 * 1024;  // a 4 GB claim must not be allocated
  MemoryChannel b("abc");
  EXPECT_EQ(ErrorOf([&] { ReadBody(b, huge); }), "Response body too large");
  EXPECT_EQ(b.recvCalls, 0);

  HttpResponseHead negative;
  negative.contentLength = -5;  // not positive: chunked
  MemoryChannel c("2\r\nok\r\n0\r\n\r\n");
  EXPECT_EQ(ReadBody(c, negative), "ok");
}

TEST(HttpSend, AllBytesInPiecesAndFailures) {
  MemoryChannel ch("");
  ch.SendInPiecesOf(3);
  SendAll(ch, "GET / HTTP/1.1\r\n\r\n");
  EXPECT_EQ(ch.sent, "GET / HTTP/1.1\r\n\r\n");
  SendAll(ch, "");  // empty text sends nothing (and does not fail)

  MemoryChannel zero("");
  zero.FailSends(0);
  EXPECT_EQ(ErrorOf([&] { SendAll(zero, "x"); }), "Server can't recv data");
  MemoryChannel error("");
  error.FailSends(-1);
  EXPECT_EQ(ErrorOf([&] { SendAll(error, "x"); }), "socket send failed");
}

std::string WholeBody(MultipartForm& form) {
  form.Start();
  std::string body, piece;
  while (form.NextPiece(piece)) body += piece;
  return body;
}

TEST(HttpMultipartForm, PartsInNameOrderWithExactLength) {
  MultipartForm form;
  form.AddField("b", "2");
  form.AddField("a", "one");
  const std::string bd = "-----------------------------7da1f4c300560";
  std::string expected = bd + "\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\none\r\n" + bd +
                         "\r\nContent-Disposition: form-data; name=\"b\"\r\n\r\n2\r\n" + bd + "--\r\n";
  std::string body = WholeBody(form);
  EXPECT_EQ(body, expected);
  EXPECT_EQ(form.TotalLength(), static_cast<int64_t>(expected.size()));
  EXPECT_EQ(form.Boundary().size(), 42u);
}

TEST(HttpMultipartForm, ReplaceAndSendingState) {
  MultipartForm form;
  form.AddField("k", "old");
  form.AddField("k", "new");
  std::string first = WholeBody(form);
  EXPECT_NE(first.find("\r\n\r\nnew\r\n"), std::string::npos);
  EXPECT_EQ(first.find("old"), std::string::npos);
  // After a send the form stays in the sending state: additions wait for the next Start.
  form.AddField("z", "late");
  std::string piece;
  EXPECT_FALSE(form.NextPiece(piece));
  EXPECT_EQ(WholeBody(form), first);
}

TEST(HttpMultipartForm, EmptyFormSendsTheClosingLineItAnnounces) {
  MultipartForm form;
  std::string body = WholeBody(form);
  EXPECT_EQ(body, std::string(MultipartForm::kBoundary) + "--\r\n");
  EXPECT_EQ(form.TotalLength(), static_cast<int64_t>(body.size()));
}

}  // namespace
