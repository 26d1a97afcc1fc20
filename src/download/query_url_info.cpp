#include "download/query_url_info.h"

#include <winsock2.h>
#include <windows.h>

#include "api/vendor_api.h"
#include "download/download_events.h"
#include "endpoints.h"
#include "net/http_client.h"
#include "platform/encoding.h"
#include "platform/error.h"
#include "platform/files.h"
#include "telemetry/logger_server.h"

namespace {

constexpr DWORD kPackageInfoWaitMs = 10000;
constexpr int32_t kHeadTimeoutMs = 3000;
constexpr int kHeadAttempts = 10;
// Probing the network while the package info is pending: one round per this many milliseconds, so
// the wait does not turn into a stream of connections to the support host.
constexpr DWORD kProbePauseMs = 100;

bool ConnectOnce(const char* host) {
  hostent* he = ::gethostbyname(host);
  if (!he) he = ::gethostbyname(host);
  if (!he || he->h_addrtype != AF_INET || !he->h_addr_list[0]) return false;
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_port = htons(endpoints::kHttpPort);
  memcpy(&target.sin_addr, he->h_addr_list[0], sizeof target.sin_addr);
  for (int attempt = 0; attempt < 2; ++attempt) {
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) return false;
    bool ok = ::connect(s, reinterpret_cast<sockaddr*>(&target), sizeof target) == 0;
    ::closesocket(s);
    if (ok) return true;
  }
  return false;
}

std::wstring OwnFileName() {
  wchar_t path[MAX_PATH] = {};
  DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return std::wstring();
  return GetFileNamePart(path);
}

}  // namespace

void SendDownloadError(const std::string& errorType, const std::string& errorStatus) {
  GetLoggerServer()->ClearProperties();
  GetLoggerServer()->SetStringProperty("error_type", errorType);
  GetLoggerServer()->SetStringProperty("error_status", errorStatus);
  GetLoggerServer()->TrackEvent("vSoftDownloadError");
}

ParsedUrl ParseUrl(const std::string& url) {
  ParsedUrl parsed;
  if (SplitUrl(url, &parsed) != UrlSplit::kOk) {
    SendDownloadError(kQueryThreadError, "初始化失败");
    throw MorvelError("init url failed");
  }
  return parsed;
}

QueryUrlInfoThread::QueryUrlInfoThread(const std::string& url, IUrlInfoSink* owner)
    : givenUrl_(url), owner_(owner) {
  Start();
  while (!started_.load()) ::Sleep(5);
}

QueryUrlInfoThread::~QueryUrlInfoThread() {
  RequestStop();
  Join();
}

void QueryUrlInfoThread::ThrowIfStopped() const {
  if (StopRequested()) throw MorvelError("user query stop thread");
}

unsigned QueryUrlInfoThread::Run() {
  started_.store(true);
  try {
    bool ok;
    if (!givenUrl_.empty()) {
      ok = QueryOne(givenUrl_, std::wstring());
    } else {
      ok = QueryPackageInfoUrls();
      if (!ok && !StopRequested()) ok = QueryOne(BuiltInPackageUrl(endpoints::kCdnHost, false), std::wstring());
      else if (!ok) ok = true;  // stopped: nothing to report
    }
    if (!ok) SendDownloadError(kQueryThreadError, "获取包信息失败");
  } catch (...) {
  }
  try {
    owner_->OnUrlInfo(result_);
  } catch (...) {
  }
  done_.store(true);
  return 0;
}

bool QueryUrlInfoThread::QueryPackageInfoUrls() {
  IPkgInfo* info = GetPkgInfo();
  if (!info) return false;
  DWORD begin = ::GetTickCount();
  while (info->GetState() == Pending) {
    ThrowIfStopped();
    if (::GetTickCount() - begin >= kPackageInfoWaitMs) return false;
    Probe();
    if (info->GetState() == Pending) ::Sleep(kProbePauseMs);
  }
  if (info->GetState() != Ready) return false;
  const char* version = info->GetVersionCode();
  std::wstring tag = version ? Utf8ToWide(version) : std::wstring();
  for (int32_t i = 0; i < info->GetUrlCount(); ++i) {
    ThrowIfStopped();
    const char* url = info->GetUrl(i);
    QueryOne(url ? url : "", tag);
  }
  return !result_.urls.empty();
}

void QueryUrlInfoThread::Probe() {
  const char* endpointsToTry[] = {endpoints::kSupportHost, endpoints::kApiServerIpv4};
  for (const char* host : endpointsToTry) {
    ThrowIfStopped();
    if (ConnectOnce(host)) return;
  }
  SendDownloadError(kQueryThreadError, "网络失败");
  throw MorvelError("network connect error");
}

bool QueryUrlInfoThread::QueryOne(const std::string& urlIn, const std::wstring& versionTag) {
  if (urlIn.empty()) return false;
  ParsedUrl parsed = ParseUrl(urlIn);
  queryHost_ = parsed.host;
  queryPort_ = parsed.port;
  queryPath_ = parsed.path;
  std::string url = urlIn;
  std::vector<std::string> lines = HeadFollowingRedirects(&url);
  if (lines.empty()) {
    SendDownloadError(kQueryThreadError, "获取头信息失败");
    throw MorvelError("http get url header information error");
  }
  if (result_.fileName.empty()) {
    // The name becomes a file in the package folder that runs elevated: a server-given name is kept
    // only when it is a plain file name.
    std::wstring name = SanitizeFileName(AnsiToWide(HeaderFileNameRaw(lines)));
    if (name.empty()) name = FallbackPackageName(OwnFileName(), versionTag);
    result_.fileName = name;
  }
  if (result_.size <= 0) result_.size = HeaderContentLength(lines);
  if (result_.size <= 0) {
    result_.fileName.clear();
    return false;
  }
  result_.urls.push_back(url);
  return true;
}

std::vector<std::string> QueryUrlInfoThread::HeadFollowingRedirects(std::string* url) {
  for (int redirects = 0;; ++redirects) {
    ParsedUrl target = ParseUrl(*url);
    std::vector<std::string> lines;
    for (int attempt = 1; attempt <= kHeadAttempts; ++attempt) {
      ThrowIfStopped();
      CTCPHttp http(target.host, target.port);
      http.SetRecvTimeout(kHeadTimeoutMs);
      http.SetSendTimeout(kHeadTimeoutMs);
      try {
        lines = http.Head(target.host, target.path).lines;
      } catch (...) {
        lines.clear();
      }
      if (!lines.empty()) break;
      if (attempt < kHeadAttempts) {
        ::Sleep(100);
      } else {
        SendDownloadError(kQueryThreadError, "重试次数过多");
      }
    }
    std::string next;
    if (lines.empty() || !IsRedirectStatus(HeaderStatus(lines)) ||
        !RedirectTarget(lines, queryHost_, queryPort_, &next)) {
      return lines;
    }
    // A chain of redirects that never ends (or loops) must not keep the query alive forever.
    if (redirects >= kMaxRedirects) return std::vector<std::string>();
    *url = next;
  }
}
