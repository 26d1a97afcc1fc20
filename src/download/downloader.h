// The downloader: from the decision to install to a verified package file on disk.
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "download/download_thread.h"
#include "download/query_url_info.h"
#include "platform/file_stream.h"
#include "platform/thread.h"

class IDownloader {
 public:
  virtual bool Start() = 0;
  virtual bool Pause() = 0;
  virtual bool Resume() = 0;
  virtual bool Stop() = 0;
  virtual int32_t GetProgress() = 0;
  virtual int32_t Poll() = 0;
  virtual void Release() = 0;
  virtual const std::wstring& GetFilePath() = 0;
  virtual std::string GetDownloadUrl() = 0;

 protected:
  virtual ~IDownloader() = default;
};

class CDownloader : public IDownloader, public IUrlInfoSink, public IRangeWriter {
 public:
  enum : int32_t { kCreated = 0, kRunning = 1, kDestroying = 3, kReady = 4, kFailed = 5 };

  CDownloader();
  ~CDownloader() override;

  bool Start() override;
  bool Pause() override { return false; }
  bool Resume() override { return false; }
  bool Stop() override { return false; }
  int32_t GetProgress() override;
  int32_t Poll() override;
  void Release() override { delete this; }
  const std::wstring& GetFilePath() override { return filePath_; }
  std::string GetDownloadUrl() override;

  void OnUrlInfo(const UrlInfo& result) override;
  bool WriteAt(int32_t index, const char* bytes, int32_t count, int64_t offset) override;

  // The package folder: the settings folder of the application-data folder.
  static std::wstring PackageFolder();

 private:
  struct Range {
    std::string url;
    std::unique_ptr<CDownloadThread> worker;
    int64_t start = 0, next = 0, end = -1;
    bool Complete() const { return next > end; }
  };

  bool StartWorkers();
  void DestroyWorkers();
  bool Verify();
  void Remember();
  void ResetForRestart();
  bool TryLocalCopy();
  void TryRememberedCopy();
  void Reuse(const std::wstring& path);
  int32_t FailAndStop();

  std::atomic<int32_t> state_{kCreated};
  CXMutex lock_;
  std::wstring filePath_;
  int64_t total_ = 0;
  std::atomic<int64_t> downloaded_{0};
  std::unique_ptr<CFileStream> file_;
  const int32_t workerCount_ = 2;
  const int32_t workerTimeoutMs_ = 2000;
  const int32_t workerAttempts_ = 20;
  std::unique_ptr<QueryUrlInfoThread> query_;
  std::vector<Range> work_;
  bool wsaStarted_ = false;
};

// A new downloader, or null when it can't be created.
IDownloader* CreateDownloader();
