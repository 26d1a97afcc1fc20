#include "download/range_receiver.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/text.h"

namespace {

// A package file in memory and a receiver for one range of it; responses are fed in pieces the way
// the socket would deliver them.
class RangeFixture {
 public:
  RangeFixture(int64_t fileSize, int64_t start, int64_t end, size_t capacity = 1 << 20)
      : file(static_cast<size_t>(fileSize), '.'), rx(start, end, capacity) {
    write = [this](const char* bytes, size_t count, int64_t offset) {
      writes.push_back({offset, static_cast<int64_t>(count)});
      if (failWrites) return false;
      if (offset < 0 || offset + static_cast<int64_t>(count) > static_cast<int64_t>(file.size())) {
        outOfFile = true;
        return false;
      }
      std::memcpy(&file[static_cast<size_t>(offset)], bytes, count);
      return true;
    };
  }

  // Feeds `bytes` in receives of at most `piece` bytes; returns the last step.
  RangeReceiver::Step Feed(const std::string& bytes, size_t piece = 1024) {
    RangeReceiver::Step step = RangeReceiver::Step::kMore;
    size_t at = 0;
    while (at < bytes.size() && step == RangeReceiver::Step::kMore) {
      size_t n = std::min(rx.ReceiveRoom(piece), bytes.size() - at);
      std::memcpy(rx.ReceiveSpace(), bytes.data() + at, n);
      at += n;
      step = rx.OnReceived(n, write);
    }
    return step;
  }

  std::string file;
  RangeReceiver rx;
  RangeReceiver::WriteFn write;
  std::vector<std::pair<int64_t, int64_t>> writes;
  bool failWrites = false, outOfFile = false;
};

std::string Answer206(int64_t start, int64_t end, const std::string& body) {
  return "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes " + FormatInt64(start) + "-" + FormatInt64(end) +
         "/999\r\nContent-Length: " + FormatInt64(static_cast<int64_t>(body.size())) + "\r\n\r\n" + body;
}

std::string Pattern(size_t n, char seed) {
  std::string s(n, 0);
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>(seed + i % 23);
  return s;
}

using Step = RangeReceiver::Step;

}  // namespace

TEST(RangeReceiver, WritesTheRangeAtItsOffsetInOneWrite) {
  RangeFixture f(30, 10, 19);
  std::string body = Pattern(10, 'a');
  f.rx.BeginResponse();
  EXPECT_EQ(f.Feed(Answer206(10, 19, body), 7), Step::kComplete);
  EXPECT_EQ(f.file.substr(10, 10), body);
  EXPECT_EQ(f.file.substr(0, 10), std::string(10, '.'));
  EXPECT_EQ(f.file.substr(20), std::string(10, '.'));
  ASSERT_EQ(f.writes.size(), 1u);
  EXPECT_EQ(f.rx.Next(), 20);
}

TEST(RangeReceiver, OneByteRange) {
  RangeFixture f(5, 3, 3);
  f.rx.BeginResponse();
  EXPECT_EQ(f.Feed(Answer206(3, 3, "Z")), Step::kComplete);
  EXPECT_EQ(f.file, "...Z.");
}

TEST(RangeReceiver, HeaderSplitAcrossReceivesLosesNothing) {
  // Every split point of the header, including inside the blank line.
  std::string body = Pattern(40, 'k');
  std::string answer = Answer206(0, 39, body);
  size_t headerLen = answer.size() - body.size();
  for (size_t split = 1; split <= headerLen + 1; ++split) {
    RangeFixture f(40, 0, 39);
    f.rx.BeginResponse();
    ASSERT_EQ(f.Feed(answer.substr(0, split), split), Step::kMore) << split;
    ASSERT_EQ(f.Feed(answer.substr(split)), Step::kComplete) << split;
    EXPECT_EQ(f.file, body) << split;
  }
}

TEST(RangeReceiver, BytesPastTheRangeEndAreNeverWritten) {
  // A server sending more than asked for (here: the whole rest of the file) must not overwrite the
  // next range.
  RangeFixture f(20, 0, 9);
  std::string tail = std::string(10, 'X');
  f.file.replace(10, 10, tail);
  f.rx.BeginResponse();
  EXPECT_EQ(f.Feed(Answer206(0, 19, Pattern(20, 'a')), 3), Step::kComplete);
  EXPECT_EQ(f.file.substr(0, 10), Pattern(10, 'a'));
  EXPECT_EQ(f.file.substr(10), tail);
  EXPECT_FALSE(f.outOfFile);
}

TEST(RangeReceiver, AnswersThatAreNotTheRequestedRangeWriteNothing) {
  const struct {
    const char* what;
    std::string answer;
  } cases[] = {
      {"200 with the whole file", "HTTP/1.1 200 OK\r\nContent-Length: 20\r\n\r\n" + Pattern(20, 'a')},
      {"404 page", "HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nnot found"},
      {"500 page", "HTTP/1.1 500 Internal Server Error\r\n\r\noops"},
      {"206 at another offset", Answer206(0, 9, Pattern(10, 'a'))},
      {"206 without Content-Range", "HTTP/1.1 206 Partial Content\r\nContent-Length: 10\r\n\r\n" + Pattern(10, 'a')},
      {"206 with a malformed Content-Range", "HTTP/1.1 206 Partial\r\nContent-Range: bytes */20\r\n\r\n" + Pattern(10, 'a')},
      {"3xx without Location", "HTTP/1.1 302 Found\r\nContent-Length: 0\r\n\r\n"},
      {"not HTTP at all", "garbage\r\n\r\n" + Pattern(10, 'a')},
  };
  for (const auto& c : cases) {
    RangeFixture f(20, 10, 19);
    f.rx.BeginResponse();
    EXPECT_EQ(f.Feed(c.answer), Step::kFailed) << c.what;
    EXPECT_EQ(f.rx.OnClosed(f.write), Step::kFailed) << c.what;
    EXPECT_TRUE(f.writes.empty()) << c.what;
    EXPECT_EQ(f.file, std::string(20, '.')) << c.what;
    EXPECT_EQ(f.rx.Next(), 10) << c.what;
  }
}

TEST(RangeReceiver, DropResumesFromTheFirstMissingByte) {
  const int64_t size = 600000;
  std::string content = Pattern(static_cast<size_t>(size), 'A');
  RangeFixture f(size, 0, size - 1);
  f.rx.BeginResponse();
  std::string whole = Answer206(0, size - 1, content);
  std::string first = whole.substr(0, whole.size() - content.size() + 300000);
  EXPECT_EQ(f.Feed(first), Step::kMore);
  EXPECT_EQ(f.rx.OnClosed(f.write), Step::kFailed);
  EXPECT_EQ(f.rx.Next(), 300000);  // the retry asks from here
  EXPECT_TRUE(f.file.compare(0, 300000, content, 0, 300000) == 0);  // written before the retry

  f.rx.BeginResponse();
  // A retry answered from the wrong offset is refused; the right one completes the file.
  EXPECT_EQ(f.Feed(Answer206(0, size - 1, content)), Step::kFailed);
  f.rx.BeginResponse();
  EXPECT_EQ(f.Feed(Answer206(300000, size - 1, content.substr(300000))), Step::kComplete);
  EXPECT_TRUE(f.file == content);
}

TEST(RangeReceiver, FullBufferIsWrittenInLargePieces) {
  RangeFixture f(10000, 0, 9999, 4096);
  std::string content = Pattern(10000, 'q');
  f.rx.BeginResponse();
  EXPECT_EQ(f.Feed(Answer206(0, 9999, content)), Step::kComplete);
  EXPECT_TRUE(f.file == content);
  for (size_t i = 0; i + 1 < f.writes.size(); ++i) EXPECT_EQ(f.writes[i].second, 4096) << i;
}

TEST(RangeReceiver, RedirectNamesTheLocation) {
  RangeFixture f(20, 0, 19);
  f.rx.BeginResponse();
  EXPECT_EQ(f.Feed("HTTP/1.1 302 Found\r\nLocation:  http://cdn2.vexra.test/p.exe\r\n\r\n"), Step::kRedirect);
  EXPECT_EQ(f.rx.RedirectUrl(), "http://cdn2.vexra.test/p.exe");
  EXPECT_TRUE(f.writes.empty());
}

TEST(RangeReceiver, WriteFailureEndsTheWorker) {
  RangeFixture f(20, 0, 19);
  f.failWrites = true;
  f.rx.BeginResponse();
  EXPECT_EQ(f.Feed(Answer206(0, 19, Pattern(20, 'a'))), Step::kWriteFailed);
}

TEST(RangeReceiver, HeaderWithoutEndIsBounded) {
  RangeFixture f(20, 0, 19);
  f.rx.BeginResponse();
  std::string endless = "HTTP/1.1 206 Partial\r\n" + std::string(RangeReceiver::kMaxHeader + 10, 'h');
  EXPECT_EQ(f.Feed(endless), Step::kFailed);
  EXPECT_TRUE(f.writes.empty());
}

TEST(ContentRangeStartsAt, Forms) {
  const struct {
    const char* line;
    int64_t start;
    bool ok;
  } cases[] = {{"Content-Range: bytes 500000-1000000/1000001", 500000, true},
               {"content-range:bytes 0-0/1", 0, true},
               {"Content-Range: bytes 1-0/1", 0, false},
               {"Content-Range: items 0-0/1", 0, false},
               {"Content-Range: bytes -5/1", 0, false},
               {"Content-Range: bytes 7/9", 7, false}};
  for (const auto& c : cases) {
    EXPECT_EQ(ContentRangeStartsAt({"HTTP/1.1 206 Partial", c.line}, c.start), c.ok) << c.line;
  }
}
