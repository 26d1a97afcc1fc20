// An IByteChannel over a byte string: what the "server" sends is `incoming`, what the client sends is
// collected in `sent`. At the end of `incoming` it reports a close, or an error when `failAtEnd` is set.
#pragma once
#include <algorithm>
#include <cstring>
#include <string>

#include "net/http_wire.h"

class MemoryChannel : public IByteChannel {
 public:
  explicit MemoryChannel(std::string incoming, bool failAtEnd = false)
      : incoming_(std::move(incoming)), failAtEnd_(failAtEnd) {}
  int Send(const char* data, int size) override {
    if (sendResult_ != 1) return sendResult_;
    int n = std::min(size, sendPiece_);
    sent.append(data, static_cast<size_t>(n));
    return n;
  }
  int Recv(char* data, int size) override {
    ++recvCalls;
    if (pos_ >= incoming_.size()) return failAtEnd_ ? -1 : 0;
    size_t n = std::min(static_cast<size_t>(size), incoming_.size() - pos_);
    std::memcpy(data, incoming_.data() + pos_, n);
    pos_ += n;
    return static_cast<int>(n);
  }
  std::string Rest() const { return incoming_.substr(pos_); }
  void FailSends(int result) { sendResult_ = result; }  // 0 or negative
  void SendInPiecesOf(int n) { sendPiece_ = n; }

  std::string sent;
  int recvCalls = 0;

 private:
  std::string incoming_;
  size_t pos_ = 0;
  bool failAtEnd_;
  int sendResult_ = 1;
  int sendPiece_ = 1 << 30;
};
