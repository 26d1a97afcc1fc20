#include "download/downloader.h"

#include <winsock2.h>
#include <windows.h>

#include "api/vendor_api.h"
#include "app/app_info.h"
#include "app/install_settings.h"
#include "download/download_events.h"
#include "download/url_rules.h"
#include "endpoints.h"
#include "platform/encoding.h"
#include "platform/error.h"
#include "platform/files.h"
#include "platform/system.h"
#include "telemetry/logger_server.h"

namespace {

std::wstring OwnModuleName() {
  wchar_t path[MAX_PATH] = {};
  DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  return n == 0 || n >= MAX_PATH ? std::wstring() : GetFileNamePart(path);
}

std::wstring ProductVersionOf(const std::wstring& file) {
  IAppInfo* info = GetAppInfo();
  return info ? info->GetProductVersion(file) : std::wstring();
}

void SendDownloadResult(const char* status, int32_t downloadTime) {
  GetLoggerServer()->ClearProperties();
  GetLoggerServer()->SetStringProperty("soft_download_status", status);
  GetLoggerServer()->SetIntProperty("download_time", downloadTime);
  GetLoggerServer()->TrackEvent("pSoftDownloadResult");
}

}  // namespace

IDownloader* CreateDownloader() {
  try {
    return new CDownloader();
  } catch (...) {
    return nullptr;
  }
}

std::wstring CDownloader::PackageFolder() { return GetSettingsFolder(); }

CDownloader::CDownloader() {
  WSADATA wsa;
  wsaStarted_ = ::WSAStartup(MAKEWORD(1, 1), &wsa) == 0;
}

CDownloader::~CDownloader() {
  state_.store(kDestroying);
  query_.reset();
  DestroyWorkers();
  file_.reset();
  if (wsaStarted_) ::WSACleanup();
}

bool CDownloader::Start() {
  int32_t s = state_.load();
  if (s == kRunning || s == kReady) return true;
  GetLoggerServer()->ClearProperties();
  GetLoggerServer()->TrackEvent("vSoftDownloadStart");
  if (!work_.empty()) {
    bool ok = StartWorkers();
    if (ok) state_.store(kRunning);
    return ok;
  }
  query_.reset();
  try {
    query_.reset(new QueryUrlInfoThread(std::string(), this));
  } catch (...) {
    query_.reset();
    return false;
  }
  state_.store(kRunning);
  return true;
}

int32_t CDownloader::GetProgress() {
  if (total_ <= 0) return 0;
  return static_cast<int32_t>(downloaded_.load() * 100 / total_);
}

std::string CDownloader::GetDownloadUrl() {
  if (query_ && query_->IsDone() && !query_->GetResult().urls.empty()) return query_->GetResult().urls[0];
  return BuiltInPackageUrl(endpoints::kCdnHost, Is64BitWindows());
}

void CDownloader::OnUrlInfo(const UrlInfo& result) {
  if (result.size <= 0 || result.urls.empty()) {
    SendDownloadError(kDownloadThreadError, "参数错误");
    try {
      TryRememberedCopy();
    } catch (...) {
    }
    return;
  }
  try {
    if (TryLocalCopy()) return;
    total_ = result.size;
    if (filePath_.empty()) {
      std::wstring name = result.fileName.empty() ? OwnModuleName() : result.fileName;
      std::wstring channelName = ChannelPackageName(ProductVersionOf(L""));
      filePath_ = PackageFolder() + (channelName.empty() ? name : channelName);
    }
    {
      CXMutexLock lock(lock_);
      file_.reset(new CFileStream(filePath_, CFileStream::kModeCreate));
      if (!file_->SetSize(total_)) throw MorvelError("set file size failed");
    }
    for (size_t i = 0; i < static_cast<size_t>(workerCount_); ++i) {
      ByteRange r = SplitRanges(total_, workerCount_)[i];
      Range range;
      range.url = result.urls[0];
      range.start = range.next = r.start;
      range.end = r.end;
      work_.push_back(std::move(range));
    }
    StartWorkers();
  } catch (...) {
  }
}

bool CDownloader::StartWorkers() {
  for (size_t i = 0; i < work_.size(); ++i) {
    Range& r = work_[i];
    if (r.Complete()) continue;
    try {
      r.worker.reset(new CDownloadThread(r.url, workerTimeoutMs_, workerAttempts_, r.next, r.end, this,
                                         static_cast<int32_t>(i)));
    } catch (...) {
      SendDownloadError(kDownloadThreadError, "创建线程出错");
      DestroyWorkers();
      return false;
    }
  }
  return true;
}

void CDownloader::DestroyWorkers() {
  for (Range& r : work_) r.worker.reset();
}

bool CDownloader::WriteAt(int32_t index, const char* bytes, int32_t count, int64_t offset) {
  CXMutexLock lock(lock_);
  if (!file_ || index < 0 || static_cast<size_t>(index) >= work_.size() || count <= 0) return false;
  Range& r = work_[static_cast<size_t>(index)];
  // A write must continue the range exactly where it stands and stay inside it; anything else would
  // put bytes where another range (or nothing) belongs.
  if (offset != r.next || offset + count - 1 > r.end) return false;
  if (file_->SeekTo(offset) != offset) return false;
  if (file_->Write(bytes, count) != count) return false;
  downloaded_ += count;
  r.next += count;
  return true;
}

int32_t CDownloader::FailAndStop() {
  DestroyWorkers();
  state_.store(kFailed);
  return kFailed;
}

int32_t CDownloader::Poll() {
  int32_t s = state_.load();
  if (s != kRunning) return s;
  if (!query_) return FailAndStop();
  if (!query_->IsDone()) return kRunning;
  s = state_.load();  // a reused copy sets the state from the query thread
  if (s != kRunning) return s;
  if (work_.empty()) {
    state_.store(kFailed);
    return kFailed;
  }
  bool working = false;
  for (Range& r : work_) {
    if (r.Complete()) continue;
    if (!r.worker) return FailAndStop();
    if (!r.worker->WaitFor(1)) {
      working = true;
      continue;
    }
    return FailAndStop();
  }
  if (working) return kRunning;
  try {
    {
      CXMutexLock lock(lock_);
      file_.reset();
    }
    if (Verify()) {
      DestroyWorkers();
      int64_t creation = 0, access = 0, lastWrite = 0, elapsed = 0;
      {
        CFileStream times(filePath_, CFileStream::kModeReadShared);
        if (times.GetFileTimes(&creation, &access, &lastWrite) && lastWrite > creation) elapsed = lastWrite - creation;
      }
      SendDownloadResult("下载成功", static_cast<int32_t>(elapsed));
      Remember();
      state_.store(kReady);
    } else {
      ResetForRestart();
    }
  } catch (...) {
    // Runs on the progress page's timer thread: nothing may escape.
    DestroyWorkers();
    state_.store(kFailed);
  }
  return state_.load();
}

bool CDownloader::Verify() {
  if (filePath_.empty()) return false;
  IPkgInfo* info = GetPkgInfo();
  const char* md5 = info ? info->GetMd5() : nullptr;
  if (!md5) return true;
  return Md5HexOfFile(filePath_) == md5;
}

void CDownloader::Remember() {
  IPkgInfo* info = GetPkgInfo();
  const char* md5 = info ? info->GetMd5() : nullptr;
  std::string digest = md5 ? std::string(md5) : Md5HexOfFile(filePath_);
  if (!digest.empty() && !filePath_.empty()) GetInstallSettings().RememberPackage(Utf8ToWide(digest), filePath_, false);
}

void CDownloader::ResetForRestart() {
  state_.store(kFailed);
  DestroyWorkers();
  {
    CXMutexLock lock(lock_);
    file_.reset(new CFileStream(filePath_, CFileStream::kModeCreate));
    file_->SetSize(total_);
    for (Range& r : work_) r.next = r.start;
  }
  downloaded_ = 0;
}

bool CDownloader::TryLocalCopy() {
  IPkgInfo* info = GetPkgInfo();
  const char* version = info ? info->GetVersionCode() : nullptr;
  std::wstring remembered = GetInstallSettings().PackagePath();
  if (!version || remembered.empty()) return false;
  if (!IsVersionAtLeast(ProductVersionOf(remembered), Utf8ToWide(version))) return false;
  Reuse(remembered);
  return true;
}

void CDownloader::TryRememberedCopy() {
  std::wstring remembered = GetInstallSettings().PackagePath();
  if (remembered.empty()) return;
  IAppInfo* app = GetAppInfo();
  if (app && !app->GetInstalledExePath().empty()) {
    if (!IsVersionAtLeast(ProductVersionOf(remembered), app->GetInstalledVersion())) return;
  }
  Reuse(remembered);
}

void CDownloader::Reuse(const std::wstring& path) {
  filePath_ = path;
  state_.store(kReady);
  SendDownloadResult("存在本地文件", -1);
}
