// The analytics interface every part of the installer reports through. Callers fetch it anew with
// GetLoggerServer() at each use and ignore every result.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

class ILoggerServer {
 public:
  virtual bool ReportAction(const std::string& view, const std::string& action, const std::string& detail) = 0;
  virtual bool ReportLifecycle(int32_t kind, const std::string& module, const std::string& stage,
                               const std::string& detail, const std::string& detail2,
                               const std::vector<std::string>& files) = 0;
  virtual bool TrackEvent(const std::string& name) = 0;
  virtual void ClearProperties() = 0;
  virtual void SetIntProperty(const std::string& name, int32_t value) = 0;
  virtual void SetBoolProperty(const std::string& name, bool value) = 0;
  virtual void SetStringProperty(const std::string& name, const std::string& value) = 0;
  virtual bool ReportLaunch(int32_t value, const std::string& text2, const std::string& text3,
                            const std::string& text4) = 0;
  virtual std::string BuildHttpData(void* opaque, const std::string& payload) = 0;
  virtual std::string DecryptData(const std::string& data) = 0;
  virtual std::string GetMid() = 0;
  virtual std::string GetMidEx(int32_t value) = 0;
  virtual void Init() = 0;
  virtual bool Release() = 0;
  virtual bool OpenUrl(const std::string& url) = 0;
  virtual bool OpenAsUser(const std::string& verb, const std::string& file, const std::string& parameters,
                          const std::string& directory, int showCommand) = 0;
};

// Built on the first call (deploying and starting the vendor SDK); never null.
ILoggerServer* GetLoggerServer();
