// One download worker: ranged GETs of one byte range, written into the package file through the owner.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>

#include "download/range_receiver.h"
#include "net/tcp_client.h"
#include "platform/thread.h"

// What a worker writes into: the downloader's serialised file writes.
class IRangeWriter {
 public:
  virtual bool WriteAt(int32_t index, const char* bytes, int32_t count, int64_t offset) = 0;
  virtual ~IRangeWriter() = default;
};

class CDownloadThread : public CMorvelBasedThread, public CTCPClient {
 public:
  enum : int32_t { kRunning = 1, kStopRequested = 3, kComplete = 4, kFailed = 5 };

  // Parses and resolves the URL (raising on failure) and starts the worker.
  CDownloadThread(const std::string& url, int32_t timeoutMs, int32_t maxAttempts, int64_t start, int64_t end,
                  IRangeWriter* owner, int32_t index);
  ~CDownloadThread() override;

  int32_t GetState() const { return state_.load(); }
  int64_t Next() const { return next_.load(); }

 protected:
  unsigned Run() override;

 private:
  bool SendRequest();
  // true when the range completed; false for a failed attempt. Sets state 5 itself for a write failure
  // or a redirect to a bad URL.
  bool Receive();
  bool Stopping() const { return state_.load() == kStopRequested; }
  void Fail(const char* status);

  std::atomic<int32_t> state_{kRunning};
  std::string host_, path_, url_;
  uint16_t port_ = 80;
  int32_t maxAttempts_;
  RangeReceiver rx_;
  std::atomic<int64_t> next_;
  IRangeWriter* owner_;
  int32_t index_;
};
