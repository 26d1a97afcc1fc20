// The receive side of one ranged GET: finds the end of the response header, decides whether the body
// is the requested range, and hands the range's bytes to the file in large writes. No Windows headers.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class RangeReceiver {
 public:
  // Writes `count` bytes at file offset `offset`; false when the file write failed.
  using WriteFn = std::function<bool(const char* bytes, size_t count, int64_t offset)>;

  enum class Step {
    kMore,         // keep receiving
    kComplete,     // the range is complete and written
    kFailed,       // this attempt failed; the next one resumes at Next()
    kRedirect,     // a 3xx answer named RedirectUrl(); the next attempt asks there
    kWriteFailed,  // the file write failed: the worker gives up
  };

  // A header that has not ended within this many bytes is not an HTTP answer we can use.
  static constexpr size_t kMaxHeader = 64 * 1024;

  RangeReceiver(int64_t start, int64_t end, size_t capacity = 1 << 20);

  // Starts a new response (a new attempt); the request asked for Next()..End().
  void BeginResponse();
  // Where the next receive may put its bytes, and how many (at most `maxReceive`).
  char* ReceiveSpace() { return buffer_.data() + buffered_; }
  size_t ReceiveRoom(size_t maxReceive) const;
  // `count` bytes arrived in ReceiveSpace().
  Step OnReceived(size_t count, const WriteFn& write);
  // The connection closed, failed or timed out: what arrived of the body is kept.
  Step OnClosed(const WriteFn& write);

  int64_t Next() const { return next_; }
  int64_t End() const { return end_; }
  int64_t Written() const { return written_; }
  bool Complete() const { return next_ > end_; }
  const std::string& RedirectUrl() const { return redirect_; }

 private:
  Step ExamineHeader(size_t headerEnd);
  bool WriteOut(const WriteFn& write);

  std::vector<char> buffer_;
  size_t buffered_ = 0;
  int64_t base_, next_, end_, written_ = 0;
  bool headerPending_ = true;
  std::string redirect_;
};

// Whether a 206 answer's header lines carry "Content-Range: bytes <start>-..." for exactly `start`.
bool ContentRangeStartsAt(const std::vector<std::string>& lines, int64_t start);
