#include "api/vendor_api.h"

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <memory>
#include <vector>

#include "api/api_answers.h"
#include "app/app_info.h"
#include "endpoints.h"
#include "net/app_environment.h"
#include "net/http_client.h"
#include "platform/encoding.h"
#include "platform/error.h"
#include "platform/system.h"
#include "platform/thread.h"

namespace {

constexpr int32_t kApiTimeoutMs = 5000;
constexpr DWORD kPassPauseMs = 300;
constexpr int kServerInfoPasses = 3;

// The fetch thread of a holder. Its cancel flag is set only when the holder is stopped at exit.
template <class Holder>
class CFetchThread : public CMorvelBasedThread {
 public:
  explicit CFetchThread(Holder* holder) : holder_(holder) { Start(); }
  ~CFetchThread() override {
    Cancel();
    Join();
  }
  void Cancel() {
    cancel_.store(true);
    RequestStop();
    if (wake_) ::SetEvent(wake_.Get());
  }
  // The pause between passes ends at once when the holder is stopped.
  void Pause(DWORD ms) const {
    if (wake_) ::WaitForSingleObject(wake_.Get(), ms);
    else ::Sleep(ms);
  }
  // A cancelled fetch ends by returning, not by raising: it happens during the process's exit, where
  // the thread should do as little as possible.
  bool Cancelled() const { return cancel_.load(); }

 protected:
  unsigned Run() override {
    try {
      holder_->Fetch(*this);
    } catch (...) {
      holder_->SetState(Failed);
    }
    return 0;
  }

 private:
  Holder* holder_;
  std::atomic<bool> cancel_{false};
  ScopedHandle wake_{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

// What both holders share: the fetch state, the lock, the record the fetch thread publishes once, and
// the thread itself.
template <class Interface, class Record, class Self>
class CHolder : public Interface {
 public:
  ~CHolder() override { thread_.reset(); }
  int32_t GetState() override { return state_.load(); }

  void SetState(int32_t s) { state_.store(s); }
  void Cancel() { state_.store(Failed); }
  // Cancels the fetch and waits at most `ms` for its thread; true when it has ended.
  bool StopFetch(DWORD ms) {
    thread_->Cancel();
    return thread_->WaitFor(ms);
  }

 protected:
  // Called by the derived constructor, once the whole holder exists.
  void StartFetch() { thread_.reset(new CFetchThread<Self>(static_cast<Self*>(this))); }
  // The copy under the lock comes first; the state is written after it, as one store.
  void Publish(const Record& parsed) {
    {
      CXMutexLock lock(mutex_);
      record_ = parsed;
    }
    state_.store(Ready);
  }

  std::atomic<int32_t> state_{Pending};
  CXMutex mutex_;
  Record record_;

 private:
  std::unique_ptr<CFetchThread<Self>> thread_;
};

class CPkgInfo : public CHolder<IPkgInfo, PkgInfoRecord, CPkgInfo> {
 public:
  CPkgInfo() { StartFetch(); }

  int64_t GetSize() override { return record_.size; }
  int64_t GetInstallationSize() override { return record_.installationSize; }
  const char* GetVersionCode() override { return Locked(record_.versionCode); }
  int32_t GetUrlCount() override {
    CXMutexLock lock(mutex_);
    return static_cast<int32_t>(record_.urls.size());
  }
  const char* GetUrl(int32_t index) override {
    CXMutexLock lock(mutex_);
    if (index < 0 || index >= static_cast<int32_t>(record_.urls.size())) return nullptr;
    return record_.urls[static_cast<size_t>(index)].c_str();
  }
  const char* GetMd5() override { return Locked(record_.md5); }
  void Clear() override {
    record_.softwareCode.clear();
    record_.versionCode.clear();
    record_.md5.clear();
    record_.size = 0;
    record_.installationSize = 0;
    record_.urls.clear();
  }

  void Fetch(const CFetchThread<CPkgInfo>& thread) {
    std::string version = WideToUtf8(GetAppInfo() ? GetAppInfo()->GetProductVersion(L"") : std::wstring());
    std::string path = BuildPkgInfoPath(version, Is64BitWindows());
    std::string body;
    // Without an answer nothing downstream can work, so this keeps trying until the process ends; the
    // readers decide how long they wait.
    for (int pass = 0; body.empty(); ++pass) {
      if (pass > 0) thread.Pause(kPassPauseMs);
      if (thread.Cancelled()) return Cancel();
      body = RequestApiBody(endpoints::kApiHost, path, kApiTimeoutMs);
      if (!body.empty()) break;
      if (thread.Cancelled()) return Cancel();
      body = RequestApiBody(endpoints::kApiServerIpv4, path, kApiTimeoutMs);
    }
    Publish(ParsePkgInfo(body));  // one URL at most, so its order needs no sorting
  }

 private:
  const char* Locked(const std::string& text) {
    CXMutexLock lock(mutex_);
    return text.empty() ? nullptr : text.c_str();
  }
};

class CServerInfo : public CHolder<IServerInfo, ServerInfoRecord, CServerInfo> {
 public:
  CServerInfo() { StartFetch(); }

  const std::string& GetWelcomeUrl() override { return record_.welcomeUrl; }
  const std::string& GetAdvertisingAccountName() override { return record_.advertisingAccountName; }
  bool GetTarnelOcpc() override { return record_.tarnelOcpc; }
  const std::string& GetAppId() override { return record_.appId; }
  const std::string& GetAppName() override { return record_.appName; }
  void ClearWelcomeUrl() override { record_.welcomeUrl.clear(); }

  void Fetch(const CFetchThread<CServerInfo>& thread) {
    AppEnvironment* env = GetAppEnvironment();
    std::string channel = env ? env->GetChannel() : std::string();
    if (channel.empty()) {
      state_.store(Ready);
      return;
    }
    std::string path = BuildServerInfoPath(channel);
    std::string body;
    for (int pass = 0; pass < kServerInfoPasses && body.empty(); ++pass) {
      if (pass > 0) thread.Pause(kPassPauseMs);
      body = RequestApiBody(endpoints::kApiHost, path, kApiTimeoutMs);
      if (body.empty() && thread.Cancelled()) return Cancel();
    }
    Publish(ParseServerInfo(body));  // an empty body fails the parse
  }
};

template <class Holder>
Holder* CreateHolder() {
  try {
    return new Holder();
  } catch (...) {
    return nullptr;
  }
}

}  // namespace

std::string RequestApiBody(const std::string& endpoint, const std::string& path, int32_t timeoutMs) {
  try {
    CTCPHttp http(endpoint, endpoints::kHttpPort);
    if (timeoutMs >= 0) {
      http.SetRecvTimeout(timeoutMs);
      http.SetSendTimeout(timeoutMs);
    }
    return http.GetBody(endpoint, path);
  } catch (...) {
    return std::string();
  }
}

// At process exit a holder's thread gets 1 ms to notice its cancel flag. A thread still blocked in a
// connect or receive is left to the end of the process together with its holder: terminating it
// could leave a C runtime or loader lock held and hang the rest of the exit, and freeing the holder
// under a running thread would let it write into freed memory.
template <class Holder>
class HolderAtExit {
 public:
  explicit HolderAtExit(Holder* holder) : holder_(holder) {}
  ~HolderAtExit() {
    if (holder_ && holder_->StopFetch(1)) delete holder_;
  }
  Holder* Get() const { return holder_; }

 private:
  Holder* holder_;
};

IPkgInfo* GetPkgInfo() {
  static HolderAtExit<CPkgInfo> holder(CreateHolder<CPkgInfo>());
  return holder.Get();
}

IServerInfo* GetServerInfo() {
  static HolderAtExit<CServerInfo> holder(CreateHolder<CServerInfo>());
  return holder.Get();
}

std::string FetchBannerImage(const std::string& apiHost) {
  if (apiHost.empty()) return std::string();
  try {
    std::string body = RequestApiBody(apiHost, BuildInstallerConfigPath(), -1);
    std::string url, host, path;
    uint16_t port = 80;
    if (body.empty() || !ParseInstallerConfig(body, &url) || url.empty()) return std::string();
    if (!SplitImageUrl(url, &host, &port, &path)) return std::string();
    CTCPHttp http(host, port);
    return http.GetBody(host, path);
  } catch (...) {
    return std::string();
  }
}
