#include "net/proxy_discovery.h"

#include <windows.h>
#include <winhttp.h>

#include "platform/encoding.h"

namespace {

// WinHTTP hands out its texts to be released with GlobalFree.
class ScopedGlobalText {
 public:
  explicit ScopedGlobalText(LPWSTR& text) : text_(text) {}
  ~ScopedGlobalText() {
    if (text_) ::GlobalFree(text_);
    text_ = nullptr;
  }
  ScopedGlobalText(const ScopedGlobalText&) = delete;
  ScopedGlobalText& operator=(const ScopedGlobalText&) = delete;

 private:
  LPWSTR& text_;
};

class ScopedInternet {
 public:
  explicit ScopedInternet(HINTERNET h) : h_(h) {}
  ~ScopedInternet() { Close(); }
  ScopedInternet(const ScopedInternet&) = delete;
  ScopedInternet& operator=(const ScopedInternet&) = delete;
  HINTERNET Get() const { return h_; }
  void Close() {
    if (h_) ::WinHttpCloseHandle(h_);
    h_ = nullptr;
  }

 private:
  HINTERNET h_;
};

ProxyConfig AskScript(LPWSTR scriptUrl, const std::string& url) {
  ProxyConfig result;
  ScopedInternet session(::WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                                       WINHTTP_NO_PROXY_BYPASS, WINHTTP_FLAG_ASYNC));
  if (!session.Get()) return result;
  WINHTTP_AUTOPROXY_OPTIONS options = {};
  options.dwFlags = WINHTTP_AUTOPROXY_CONFIG_URL;
  options.lpszAutoConfigUrl = scriptUrl;
  options.fAutoLogonIfChallenged = TRUE;
  WINHTTP_PROXY_INFO info = {};
  std::wstring wideUrl = AnsiToWide(url);
  BOOL ok = ::WinHttpGetProxyForUrl(session.Get(), wideUrl.c_str(), &options, &info);
  session.Close();
  ScopedGlobalText proxy(info.lpszProxy);
  ScopedGlobalText bypass(info.lpszProxyBypass);
  if (ok && info.dwAccessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY && info.lpszProxy) {
    result = ReadProxyList(WideToUtf8(info.lpszProxy));
  }
  return result;
}

}  // namespace

ProxyConfig DiscoverProxy(const std::string& url) {
  ProxyConfig result;
  WINHTTP_CURRENT_USER_IE_PROXY_CONFIG ie = {};
  // The result is not examined: a failure leaves every field empty, which means direct.
  ::WinHttpGetIEProxyConfigForCurrentUser(&ie);
  ScopedGlobalText script(ie.lpszAutoConfigUrl);
  ScopedGlobalText list(ie.lpszProxy);
  ScopedGlobalText bypass(ie.lpszProxyBypass);
  if (ie.lpszAutoConfigUrl) {
    result = AskScript(ie.lpszAutoConfigUrl, url);
  } else if (ie.lpszProxy) {
    result = ReadProxyList(WideToUtf8(ie.lpszProxy));
  }
  return result;
}
