// The URL header query: finds where the package lives (HEAD requests, following redirects), its size
// and the local file name, then hands the result to its owner.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "download/url_rules.h"
#include "platform/thread.h"

struct UrlInfo {
  int64_t size = 0;
  std::wstring fileName;
  std::vector<std::string> urls;  // final URL of every queried URL that answered, in query order
};

// Receives the query's result on the query thread.
class IUrlInfoSink {
 public:
  virtual void OnUrlInfo(const UrlInfo& result) = 0;
  virtual ~IUrlInfoSink() = default;
};

// ParseUrl with its report: a URL that doesn't split sends "初始化失败" and raises "init url failed".
ParsedUrl ParseUrl(const std::string& url);

class QueryUrlInfoThread : public CMorvelBasedThread {
 public:
  // Returns once the thread runs. An empty url takes the URL from the package info.
  QueryUrlInfoThread(const std::string& url, IUrlInfoSink* owner);
  ~QueryUrlInfoThread() override;

  bool IsDone() const { return done_.load(); }
  const UrlInfo& GetResult() const { return result_; }

  // Redirects followed for one URL before the query gives up on it.
  static constexpr int kMaxRedirects = 10;

 protected:
  unsigned Run() override;

 private:
  bool QueryPackageInfoUrls();
  bool QueryOne(const std::string& url, const std::wstring& versionTag);
  std::vector<std::string> HeadFollowingRedirects(std::string* url);
  void Probe();
  void ThrowIfStopped() const;

  std::string givenUrl_;
  IUrlInfoSink* owner_;
  UrlInfo result_;
  std::atomic<bool> started_{false}, done_{false};
  std::string queryHost_, queryPath_;
  uint16_t queryPort_ = 80;
};
