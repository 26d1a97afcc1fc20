#include "download/download_thread.h"

#include "download/download_events.h"
#include "download/query_url_info.h"
#include "download/url_rules.h"

namespace {

constexpr int kReceiveChunk = 1024;
constexpr int kMaxConnectFailures = 10;

}  // namespace

CDownloadThread::CDownloadThread(const std::string& url, int32_t timeoutMs, int32_t maxAttempts, int64_t start,
                                 int64_t end, IRangeWriter* owner, int32_t index)
    : url_(url), maxAttempts_(maxAttempts), rx_(start, end), next_(start), owner_(owner), index_(index) {
  ParsedUrl target = ParseUrl(url);
  host_ = target.host;
  port_ = target.port;
  path_ = target.path;
  ResolveWithFallback(host_, port_);
  SetRecvTimeout(timeoutMs);
  SetSendTimeout(timeoutMs);
  Start();
}

CDownloadThread::~CDownloadThread() {
  state_.store(kStopRequested);
  RequestStop();
  Join();
  Close();
}

void CDownloadThread::Fail(const char* status) {
  if (status) SendDownloadError(kDownloadThreadError, status);
  int32_t running = kRunning;
  state_.compare_exchange_strong(running, kFailed);
}

unsigned CDownloadThread::Run() {
  ::Sleep(10);
  int connectFailures = 0;
  try {
    for (int attempt = 0; attempt < maxAttempts_; ++attempt) {
      if (Stopping()) return 0;
      try {
        Connect();
      } catch (...) {
        if (++connectFailures > kMaxConnectFailures) {
          Fail("连接错误");
          return 0;
        }
        ::Sleep(10);
        continue;
      }
      connectFailures = 0;
      bool complete = SendRequest() && Receive();
      Close();
      if (state_.load() != kRunning) return 0;  // stopped, or failed for good inside Receive
      if (complete) {
        state_.store(kComplete);
        return 0;
      }
      ::Sleep(500);
    }
    Fail("重试超过最大次数");
  } catch (...) {
    Fail(nullptr);
  }
  return 0;
}

bool CDownloadThread::SendRequest() {
  std::string request = BuildRangeRequest(host_, path_, rx_.Next(), rx_.End());
  size_t sent = 0;
  while (sent < request.size()) {
    if (Stopping()) return false;
    int piece = static_cast<int>(std::min<size_t>(kReceiveChunk, request.size() - sent));
    int n = ::send(Socket(), request.data() + sent, piece, 0);
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}

bool CDownloadThread::Receive() {
  RangeReceiver::WriteFn write = [this](const char* bytes, size_t count, int64_t offset) {
    return owner_->WriteAt(index_, bytes, static_cast<int32_t>(count), offset);
  };
  rx_.BeginResponse();
  for (;;) {
    if (Stopping()) return false;
    int room = static_cast<int>(rx_.ReceiveRoom(kReceiveChunk));
    int n = ::recv(Socket(), rx_.ReceiveSpace(), room, 0);
    RangeReceiver::Step step =
        n > 0 ? rx_.OnReceived(static_cast<size_t>(n), write) : rx_.OnClosed(write);
    next_.store(rx_.Next());
    switch (step) {
      case RangeReceiver::Step::kMore:
        if (n <= 0) return false;
        continue;
      case RangeReceiver::Step::kComplete:
        return true;
      case RangeReceiver::Step::kFailed:
        return false;
      case RangeReceiver::Step::kWriteFailed:
        Fail("写文件出错");
        return false;
      case RangeReceiver::Step::kRedirect: {
        // Each redirect costs an attempt, so a redirect loop ends with the attempts.
        ParsedUrl target = ParseUrl(rx_.RedirectUrl());  // a bad Location reports and fails the worker
        host_ = target.host;
        port_ = target.port;
        path_ = target.path;
        Resolve(host_, port_);
        return false;
      }
    }
  }
}
