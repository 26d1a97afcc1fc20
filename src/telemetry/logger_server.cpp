#include "telemetry/logger_server.h"

#include <windows.h>

#include <shellapi.h>

#include "endpoints.h"
#include "platform/encoding.h"
#include "platform/error.h"
#include "platform/files.h"
#include "platform/text.h"
#include "telemetry/c_logger_server.h"
#include "telemetry/sdk_keys.h"

namespace {

// Events of the whole process are numbered by one counter, changed only under a logger's mutex.
std::atomic<uint32_t> g_eventCounter{0};

// The logger that handed its crash callback to the SDK. The SDK calls the callback without any
// context, so this is how the callback finds its logger (in the installer: the one GetLoggerServer
// returns).
std::atomic<CLoggerServer*> g_crashTarget{nullptr};

// 0: this thread waits for the logger's locks without limit. Otherwise the tick count after which the
// crash callback running on this thread stops waiting.
thread_local ULONGLONG t_lockDeadline = 0;

template <class Fn>
void Bind(HMODULE module, const char* name, Fn& slot) {
  slot = reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

template <class Fn>
void BindRequired(HMODULE module, const char* name, Fn& slot, const char* failure) {
  Bind(module, name, slot);
  if (!slot) throw MorvelError(failure);
}

}  // namespace

// Holds a logger mutex for one operation. Ordinary callers wait without limit, as the SDK must never be
// entered by two threads at once. The crash callback waits only until its deadline: the crash may have
// stopped a thread that holds the mutex, and a callback that waited for ever would hang the SDK's crash
// handling and with it the process. What it can't lock in time is dropped.
class CLoggerServer::OpLock {
 public:
  explicit OpLock(CXMutex& mutex) : mutex_(mutex) {
    if (t_lockDeadline == 0) {
      mutex_.Lock();
      held_ = true;
    } else {
      ULONGLONG now = ::GetTickCount64();
      held_ = mutex_.TryLockFor(now < t_lockDeadline ? static_cast<DWORD>(t_lockDeadline - now) : 0);
    }
  }
  ~OpLock() {
    if (held_) mutex_.Unlock();
  }
  OpLock(const OpLock&) = delete;
  OpLock& operator=(const OpLock&) = delete;
  explicit operator bool() const { return held_; }

 private:
  CXMutex& mutex_;
  bool held_ = false;
};

CLoggerServer::CLoggerServer(const SdkPlace& place) {
  try {
    Deploy(place);
  } catch (const std::exception&) {
    // Deployment, binding or start-up failed: the logger stays silent for the whole run.
  }
}

CLoggerServer::~CLoggerServer() {
  CLoggerServer* self = this;
  g_crashTarget.compare_exchange_strong(self, nullptr);
  services_.reset();
  records_.reset();
  if (startup_ && startup_->handle && startup_->free) startup_->free(startup_->handle);
  startup_.reset();
  asUser_.reset();
  // The SDK libraries stay loaded: SDK threads may still run until the process ends.
}

void CLoggerServer::Deploy(const SdkPlace& place) {
  CopySdkArchive(place.module, place.resourceId, SdkArchiveCopyPath(place));
  PrepareSdkFolder(place.sdkFolder);
  UnpackSdkArchive(SdkArchiveCopyPath(place), place.sdkFolder);

  sdkPath_ = place.sdkFolder + L"Yelk.dll";
  HMODULE sdk = ::LoadLibraryW(sdkPath_.c_str());
  if (!sdk) throw MorvelError("Load YELK.dll failed");
  BindAndStart(sdk);
  BindServices(sdk);

  asUserPath_ = place.sdkFolder + L"TaskAsUser.dll";
  LoadAsUserLibrary();
}

void CLoggerServer::BindAndStart(HMODULE sdk) {
  try {
    auto block = std::make_unique<StartupBlock>();
    BindRequired(sdk, "yelkCreate", block->create, "Get yelkCreate address failed");
    BindRequired(sdk, "yelkSetApplyKey", block->setApplyKey, "Get yelkSetAppKey address failed");
    Bind(sdk, "yelkSetMidVersion", block->setMidVersion);
    BindRequired(sdk, "yelkSetAppInfo", block->setAppInfo, "Get yelkSetAppInfo address failed");
    BindRequired(sdk, "yelkSetPubCertificate", block->setPubCertificate, "Get yelkSetPubCertificate address failed");
    BindRequired(sdk, "yelkSetPriCcertificate", block->setPriCertificate, "Get yelkSetPriCcertificate address failed");
    Bind(sdk, "yelkEnableSandbox", block->enableSandbox);
    Bind(sdk, "yelkEnableCrashReport", block->enableCrashReport);
    Bind(sdk, "yelkFree", block->free);
    BindRequired(sdk, "yelkSetHostInfo", block->setHostInfo, "Get yelkSetHostInfo address failed");
    BindRequired(sdk, "yelkSetSensorUrl", block->setSensorUrl, "Get yelkSetSensorUrl failed");
    Bind(sdk, "yelkSetNetProtocol", block->setNetProtocol);
    Bind(sdk, "yelkSetURLVersion", block->setUrlVersion);
    RunStartupSequence(*block);
    startup_ = std::move(block);

    auto records = std::make_unique<RecordBlock>();
    BindRequired(sdk, "yelkCLTCreate", records->create, "Get yelkCLTCreate address error");
    BindRequired(sdk, "yelkCLTSensorWriteEvent", records->writeEvent, "Get yelkCLTSensorWriteEvent address error");
    BindRequired(sdk, "yelkCLTSensorWriteIntProperties", records->writeIntProperty,
                 "Get yelkCLTSensorWriteIntProperties address error");
    BindRequired(sdk, "yelkCLTSensorWriteBoolProperties", records->writeBoolProperty,
                 "Get yelkCLTSensorWriteBoolProperties address error");
    BindRequired(sdk, "yelkCLTSensorWriteStringProperties", records->writeStringProperty,
                 "Get yelkCLTSensorWriteStringProperties address error");
    BindRequired(sdk, "yelkCLTWriteInt", records->writeInt, "Get yelkCLTWriteInt address error");
    BindRequired(sdk, "yelkCLTWriteData", records->writeData, "Get yelkCLTWriteData address error");
    BindRequired(sdk, "yelkCLTCommit", records->commit, "Get yelkCLTCommit address error");
    BindRequired(sdk, "yelkCLTFree", records->free, "Get yelkCLTFree address error");
    records_ = std::move(records);
  } catch (const std::exception&) {
    // The blocks not kept yet stay missing; services are bound all the same.
  }
}

void CLoggerServer::RunStartupSequence(StartupBlock& block) {
  if (block.create(&block.handle) != 0) throw MorvelError("create YELK handle failed");
  if (block.setApplyKey(sdkkeys::kAppId, sdkkeys::kAppKey) != 0) throw MorvelError("SetAppkey failed");
  if (block.setAppInfo(sdkkeys::kAppInfoName, 0, 0) != 0) throw MorvelError("SetAppInfo failed");
  if (block.setHostInfo(endpoints::kAnalyticsHost, sdkkeys::kAnalyticsPort) != 0)
    throw MorvelError("SetHostInfo failed");
  if (block.setSensorUrl(sdkkeys::kSensorUrl) != 0) throw MorvelError("SetSensorUrl failed");
  if (block.setMidVersion) block.setMidVersion(sdkkeys::kMidVersion);
  block.setPubCertificate(sdkkeys::kPublicKey);
  block.setPriCertificate(sdkkeys::kPrivateKey);
  if (block.enableCrashReport) {
    g_crashTarget.store(this);
    block.enableCrashReport(&CLoggerServer::OnCrash, &block);
  }
}

void CLoggerServer::BindServices(HMODULE sdk) {
  auto services = std::make_unique<ServiceBlock>();
  Bind(sdk, "yelkBuildHttpData", services->buildHttpData);
  Bind(sdk, "yelkDecryptData", services->decryptData);
  Bind(sdk, "yelkDataFree", services->dataFree);
  Bind(sdk, "yelkMid", services->mid);
  Bind(sdk, "yelkMidEx", services->midEx);
  Bind(sdk, "yelkOpenUrl", services->openUrl);
  services_ = std::move(services);
}

void CLoggerServer::LoadAsUserLibrary() {
  HMODULE library = ::LoadLibraryW(asUserPath_.c_str());
  if (!library) throw MorvelError("Load TaskAsUser.dll failed");
  auto holder = std::make_unique<AsUserHolder>();
  Bind(library, "ShellExecAsUser", holder->shellExecAsUser);
  asUser_ = std::move(holder);
}

bool CLoggerServer::Active() const { return startup_ && startup_->handle && records_; }

template <class Fill>
bool CLoggerServer::WriteRecord(int type, Fill&& fill) {
  OpLock lock(mutex_);
  if (!lock || !Active()) return false;
  void* record = nullptr;
  if (records_->create(startup_->handle, type, &record) != 0) return false;
  fill(record);
  records_->commit(record);  // its result changes nothing: a record is never retried
  records_->free(record);
  return true;
}

void CLoggerServer::WriteText(void* record, int field, const std::string& text) {
  if (!text.empty()) records_->writeData(record, field, text.data(), static_cast<int>(text.size()));
}

bool CLoggerServer::ReportAction(const std::string& view, const std::string& action, const std::string& detail) {
  return WriteRecord(2, [&](void* record) {
    WriteText(record, 10, view);
    WriteText(record, 11, action);
    WriteText(record, 12, detail);
  });
}

bool CLoggerServer::ReportLifecycle(int32_t kind, const std::string& module, const std::string& stage,
                                    const std::string& detail, const std::string& detail2,
                                    const std::vector<std::string>& files) {
  return WriteRecord(4, [&](void* record) {
    records_->writeInt(record, 50, kind);
    WriteText(record, 51, module);
    WriteText(record, 52, stage);
    WriteText(record, 53, detail);
    WriteText(record, 54, detail2);
    for (const std::string& path : files)  // in the system code page, as the SDK expects
      if (!path.empty() && FileExists(AnsiToWide(path))) WriteText(record, 55, path);
  });
}

bool CLoggerServer::ReportLaunch(int32_t value, const std::string& text2, const std::string& text3,
                                 const std::string& text4) {
  return WriteRecord(1, [&](void* record) {
    records_->writeInt(record, 1, value);
    WriteText(record, 2, text2);
    WriteText(record, 3, text3);
    WriteText(record, 4, text4);
  });
}

PropertySet CLoggerServer::PendingCopy() {
  OpLock lock(stagingMutex_);
  if (!lock) return PropertySet();
  auto found = staging_.find(::GetCurrentThreadId());
  return found == staging_.end() ? PropertySet() : found->second;
}

bool CLoggerServer::TrackEvent(const std::string& name) {
  return WriteRecord(6, [&](void* record) {
    int32_t serial = EventSerial(NowSeconds(), static_cast<int32_t>(g_eventCounter.fetch_add(1) % 100));
    records_->writeEvent(record, name.c_str(), serial);
    // By set, then by name (the maps are ordered byte by byte); the staged values stay pending.
    PropertySet pending = PendingCopy();
    for (const auto& p : pending.ints) records_->writeIntProperty(record, p.first.c_str(), p.second);
    for (const auto& p : pending.bools) records_->writeBoolProperty(record, p.first.c_str(), p.second ? 1 : 0);
    for (const auto& p : pending.texts) records_->writeStringProperty(record, p.first.c_str(), p.second.c_str());
  });
}

void CLoggerServer::ClearProperties() {
  OpLock lock(stagingMutex_);
  if (lock) staging_[::GetCurrentThreadId()].Clear();
}

void CLoggerServer::SetIntProperty(const std::string& name, int32_t value) {
  OpLock lock(stagingMutex_);
  if (lock) staging_[::GetCurrentThreadId()].SetInt(name, value);
}

void CLoggerServer::SetBoolProperty(const std::string& name, bool value) {
  OpLock lock(stagingMutex_);
  if (lock) staging_[::GetCurrentThreadId()].SetBool(name, value);
}

void CLoggerServer::SetStringProperty(const std::string& name, const std::string& value) {
  OpLock lock(stagingMutex_);
  if (lock) staging_[::GetCurrentThreadId()].SetText(name, value);
}

std::string CLoggerServer::TakeBuffer(void* buffer, int length) {
  std::string result;
  if (buffer && length > 0) result.assign(static_cast<const char*>(buffer), static_cast<size_t>(length));
  // Given back whenever the SDK handed one out, also with a length of 0, so nothing leaks.
  if (buffer && services_->dataFree) services_->dataFree(buffer);
  return result;
}

std::string CLoggerServer::BuildHttpData(void* opaque, const std::string& payload) {
  OpLock lock(mutex_);
  if (!lock || !services_ || !services_->buildHttpData) return std::string();
  int length = 0;
  void* built = services_->buildHttpData(opaque, payload.data(), static_cast<int>(payload.size()), &length, 0,
                                         sdkkeys::kHttpUrlVersion);
  return TakeBuffer(built, length);
}

std::string CLoggerServer::DecryptData(const std::string& data) {
  OpLock lock(mutex_);
  if (!lock || !services_ || !services_->decryptData) return std::string();
  int length = 0;
  void* plain = services_->decryptData(data.data(), static_cast<int>(data.size()), &length);
  return TakeBuffer(plain, length);
}

std::string CLoggerServer::GetMid() {
  OpLock lock(mutex_);
  if (!lock || !services_ || !services_->mid) return std::string();
  const char* mid = services_->mid();
  return mid ? std::string(mid) : std::string();
}

std::string CLoggerServer::GetMidEx(int32_t value) {
  OpLock lock(mutex_);
  if (!lock || !services_ || !services_->midEx) return std::string();
  const char* mid = services_->midEx(value);
  return mid ? std::string(mid) : std::string();
}

void CLoggerServer::Init() {
  OpLock lock(mutex_);
  if (!lock) return;
  try {
    if (!startup_) throw MorvelError("YELK not init");
    if (!startup_->handle) RunStartupSequence(*startup_);
  } catch (const std::exception&) {
  }
}

bool CLoggerServer::Release() {
  OpLock lock(mutex_);
  if (lock && startup_ && startup_->handle && startup_->free) {
    startup_->free(startup_->handle);
    startup_->handle = nullptr;
  }
  return true;
}

bool CLoggerServer::OpenUrl(const std::string& url) {
  if (!services_ || !services_->openUrl || url.empty()) return false;
  services_->openUrl(url.c_str());
  return true;
}

bool CLoggerServer::OpenAsUser(const std::string& verb, const std::string& file, const std::string& parameters,
                               const std::string& directory, int showCommand) {
  if (asUser_) {
    if (!asUser_->shellExecAsUser || verb.empty() || file.empty()) return false;
    return asUser_->shellExecAsUser(verb.c_str(), file.c_str(), parameters.c_str(), directory.c_str(),
                                    showCommand) != 0;
  }
  // Without the as-user library the file is opened by this process, always with "open" and nothing else
  // the caller asked for: the launch then happens with the installer's (elevated) rights.
  std::wstring target = Utf8ToWide(file);
  ::ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  return false;
}

// The SDK calls this on a thread of its own after a crash. All four steps together wait at most
// kCrashLockBudgetMs for the logger's locks; a step that can't get them in time is dropped, so the
// callback always returns to the SDK, even when the crashed thread died holding the lock or another
// thread is stuck inside the SDK.
void __cdecl CLoggerServer::OnCrash(int, const wchar_t* dumpPath) {
  CLoggerServer* logger = g_crashTarget.load();
  if (!logger) return;
  ULONGLONG previous = t_lockDeadline;
  t_lockDeadline = ::GetTickCount64() + kCrashLockBudgetMs;
  logger->ReportLifecycle(1, "0001", "0001", "", "", {WideToAnsi(dumpPath ? dumpPath : L"")});
  logger->ReportLifecycle(4, "0001", "0002", "", "", {});
  logger->ClearProperties();
  logger->TrackEvent("vSoftDump");
  logger->ClearProperties();
  logger->SetStringProperty("event_name", "软件崩溃");
  logger->TrackEvent("vSoftQuit");
  t_lockDeadline = previous;
}

ILoggerServer* GetLoggerServer() {
  static CLoggerServer logger(InstallerSdkPlace());
  return &logger;
}
