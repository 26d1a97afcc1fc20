// The analytics logger: deploys the vendor SDK, binds its exports, starts it and turns the interface's
// operations into SDK records. GetLoggerServer() holds the installer's one instance; tests build their
// own with an SdkPlace of their choosing.
#pragma once
#include <windows.h>

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/thread.h"
#include "telemetry/logger_server.h"
#include "telemetry/property_set.h"
#include "telemetry/sdk_deploy.h"
#include "telemetry/yelk_api.h"

class CLoggerServer : public ILoggerServer {
 public:
  explicit CLoggerServer(const SdkPlace& place);
  ~CLoggerServer();
  CLoggerServer(const CLoggerServer&) = delete;
  CLoggerServer& operator=(const CLoggerServer&) = delete;

  bool ReportAction(const std::string& view, const std::string& action, const std::string& detail) override;
  bool ReportLifecycle(int32_t kind, const std::string& module, const std::string& stage, const std::string& detail,
                       const std::string& detail2, const std::vector<std::string>& files) override;
  bool TrackEvent(const std::string& name) override;
  void ClearProperties() override;
  void SetIntProperty(const std::string& name, int32_t value) override;
  void SetBoolProperty(const std::string& name, bool value) override;
  void SetStringProperty(const std::string& name, const std::string& value) override;
  bool ReportLaunch(int32_t value, const std::string& text2, const std::string& text3,
                    const std::string& text4) override;
  std::string BuildHttpData(void* opaque, const std::string& payload) override;
  std::string DecryptData(const std::string& data) override;
  std::string GetMid() override;
  std::string GetMidEx(int32_t value) override;
  void Init() override;
  bool Release() override;
  bool OpenUrl(const std::string& url) override;
  bool OpenAsUser(const std::string& verb, const std::string& file, const std::string& parameters,
                  const std::string& directory, int showCommand) override;

  const std::wstring& SdkLibraryPath() const { return sdkPath_; }
  const std::wstring& AsUserLibraryPath() const { return asUserPath_; }

  // How long the crash callback waits, in all, for the logger's locks (see OnCrash).
  static constexpr DWORD kCrashLockBudgetMs = 3000;

 private:
  struct StartupBlock {
    void* handle = nullptr;  // written by yelkCreate
    yelk::CreateFn create = nullptr;
    yelk::SetApplyKeyFn setApplyKey = nullptr;
    yelk::SetMidVersionFn setMidVersion = nullptr;
    yelk::SetAppInfoFn setAppInfo = nullptr;
    yelk::SetCertificateFn setPubCertificate = nullptr;
    yelk::SetCertificateFn setPriCertificate = nullptr;
    yelk::EnableSandboxFn enableSandbox = nullptr;
    yelk::EnableCrashReportFn enableCrashReport = nullptr;
    yelk::FreeFn free = nullptr;
    yelk::SetHostInfoFn setHostInfo = nullptr;
    yelk::SetSensorUrlFn setSensorUrl = nullptr;
    yelk::SetNetProtocolFn setNetProtocol = nullptr;
    yelk::SetUrlVersionFn setUrlVersion = nullptr;
  };
  struct RecordBlock {
    yelk::CltCreateFn create = nullptr;
    yelk::CltWriteEventFn writeEvent = nullptr;
    yelk::CltWriteIntPropertyFn writeIntProperty = nullptr;
    yelk::CltWriteBoolPropertyFn writeBoolProperty = nullptr;
    yelk::CltWriteStringPropertyFn writeStringProperty = nullptr;
    yelk::CltWriteIntFn writeInt = nullptr;
    yelk::CltWriteDataFn writeData = nullptr;
    yelk::CltRecordFn commit = nullptr;
    yelk::CltRecordFn free = nullptr;
  };
  struct ServiceBlock {
    yelk::BuildHttpDataFn buildHttpData = nullptr;
    yelk::DecryptDataFn decryptData = nullptr;
    yelk::DataFreeFn dataFree = nullptr;
    yelk::MidFn mid = nullptr;
    yelk::MidExFn midEx = nullptr;
    yelk::OpenUrlFn openUrl = nullptr;
  };
  struct AsUserHolder {
    yelk::ShellExecAsUserFn shellExecAsUser = nullptr;
  };
  class OpLock;

  void Deploy(const SdkPlace& place);
  void BindAndStart(HMODULE sdk);
  void RunStartupSequence(StartupBlock& block);
  void BindServices(HMODULE sdk);
  void LoadAsUserLibrary();
  bool Active() const;
  // Creates a record of `type`, lets `fill` write it, commits and frees it. Locked.
  template <class Fill>
  bool WriteRecord(int type, Fill&& fill);
  void WriteText(void* record, int field, const std::string& text);
  std::string TakeBuffer(void* buffer, int length);
  PropertySet PendingCopy();

  static void __cdecl OnCrash(int code, const wchar_t* dumpPath);

  std::wstring sdkPath_, asUserPath_;
  CXMutex mutex_;
  std::unique_ptr<StartupBlock> startup_;
  std::unique_ptr<RecordBlock> records_;
  std::unique_ptr<ServiceBlock> services_;
  std::unique_ptr<AsUserHolder> asUser_;

  // Pending properties, one set per sending thread, so that two threads reporting at the same time
  // never mix their events' properties: a thread's event carries exactly what that thread set since
  // its own last ClearProperties. The map itself is guarded by its own mutex, never held across an
  // SDK call.
  CXMutex stagingMutex_;
  std::map<DWORD, PropertySet> staging_;
};
