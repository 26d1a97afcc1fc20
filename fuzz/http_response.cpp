// Fuzzes the response side of the HTTP client: the byte-by-byte header reader, then the body reader
// (Content-Length or chunked) exactly as GetBody and PostForm use them, over an in-memory connection.
#include <cstdint>
#include <cstring>
#include <string>

#include "net/http_wire.h"
#include "platform/error.h"

namespace {
class InputChannel : public IByteChannel {
 public:
  InputChannel(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  int Send(const char*, int size) override { return size; }
  int Recv(char* out, int size) override {
    if (pos_ >= size_) return 0;
    size_t n = size_ - pos_ < static_cast<size_t>(size) ? size_ - pos_ : static_cast<size_t>(size);
    std::memcpy(out, data_ + pos_, n);
    pos_ += n;
    return static_cast<int>(n);
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  InputChannel channel(data, size);
  try {
    HttpResponseHead head = ReadHeaders(channel);
    // A small limit keeps the runs fast; the limit logic is the same at any size.
    std::string body = ReadBody(channel, head, 1 << 20);
    if (head.contentLength > 0 && body.size() != static_cast<size_t>(head.contentLength)) __builtin_trap();
  } catch (const MorvelError&) {
  }
  return 0;
}
