// A ranged GET's answer in arbitrary pieces: whatever arrives, nothing is written outside the range and
// writes continue exactly where the previous one ended.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "download/range_receiver.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const int64_t start = data[0] % 7, end = start + data[1] % 50;
  size_t piece = 1 + data[0] % 13;
  data += 2;
  size -= 2;
  RangeReceiver rx(start, end, 64);
  int64_t expected = start;
  RangeReceiver::WriteFn write = [&](const char*, size_t count, int64_t offset) {
    if (offset != expected || offset + static_cast<int64_t>(count) - 1 > end) std::abort();
    expected += static_cast<int64_t>(count);
    return true;
  };
  rx.BeginResponse();
  size_t at = 0;
  while (at < size) {
    size_t n = rx.ReceiveRoom(piece);
    if (n > size - at) n = size - at;
    std::memcpy(rx.ReceiveSpace(), data + at, n);
    at += n;
    if (rx.OnReceived(n, write) != RangeReceiver::Step::kMore) break;
  }
  rx.OnClosed(write);
  if (rx.Next() != expected && rx.Next() <= end) std::abort();
  return 0;
}
