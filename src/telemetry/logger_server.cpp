#include "telemetry/logger_server.h"

#include <windows.h>

#include <map>

#include "platform/thread.h"
#include "telemetry/property_set.h"

namespace {

// Each sending thread stages its own properties, so that two threads reporting at the same time never
// mix their events' properties. A thread sees exactly what it set since its own last ClearProperties.
class StagingArea {
 public:
  template <class F>
  void With(F&& f) {
    CXMutexLock lock(mutex_);
    f(sets_[::GetCurrentThreadId()]);
  }

 private:
  CXMutex mutex_;
  std::map<DWORD, PropertySet> sets_;
};

// The logger in its "without SDK" state: it accepts every call, stages properties and sends nothing.
class CLoggerServer : public ILoggerServer {
 public:
  bool ReportAction(const std::string&, const std::string&, const std::string&) override { return false; }
  bool ReportLifecycle(int32_t, const std::string&, const std::string&, const std::string&, const std::string&,
                       const std::vector<std::string>&) override {
    return false;
  }
  bool TrackEvent(const std::string&) override { return false; }
  void ClearProperties() override {
    staging_.With([](PropertySet& s) { s.Clear(); });
  }
  void SetIntProperty(const std::string& name, int32_t value) override {
    staging_.With([&](PropertySet& s) { s.SetInt(name, value); });
  }
  void SetBoolProperty(const std::string& name, bool value) override {
    staging_.With([&](PropertySet& s) { s.SetBool(name, value); });
  }
  void SetStringProperty(const std::string& name, const std::string& value) override {
    staging_.With([&](PropertySet& s) { s.SetText(name, value); });
  }
  bool ReportLaunch(int32_t, const std::string&, const std::string&, const std::string&) override {
    return false;
  }
  std::string BuildHttpData(void*, const std::string&) override { return std::string(); }
  std::string DecryptData(const std::string&) override { return std::string(); }
  std::string GetMid() override { return std::string(); }
  std::string GetMidEx(int32_t) override { return std::string(); }
  void Init() override {}
  bool Release() override { return true; }
  bool OpenUrl(const std::string&) override { return false; }
  bool OpenAsUser(const std::string&, const std::string&, const std::string&, const std::string&, int) override {
    return false;
  }

 private:
  StagingArea staging_;
};

}  // namespace

ILoggerServer* GetLoggerServer() {
  static CLoggerServer logger;
  return &logger;
}
