// netprobe's analytics logger: it replaces the installer's GetLoggerServer at link time (this object
// comes before the library, so the library's logger is never pulled in) and prints every tracked event
// with its properties as an "event.N" line, so scenarios can check which events the network code sent.
#include <cstdio>
#include <string>

#include "telemetry/logger_server.h"

namespace {

class RecordingLogger : public ILoggerServer {
 public:
  bool ReportAction(const std::string&, const std::string&, const std::string&) override { return true; }
  bool ReportLifecycle(int32_t, const std::string&, const std::string&, const std::string&, const std::string&,
                       const std::vector<std::string>&) override {
    return true;
  }
  bool TrackEvent(const std::string& name) override {
    // One line: the name, then name=value properties in the order they were set.
    std::printf("event.%d=%s%s\n", count_++, name.c_str(), properties_.c_str());
    std::fflush(stdout);
    return true;
  }
  void ClearProperties() override { properties_.clear(); }
  void SetIntProperty(const std::string& name, int32_t value) override {
    properties_ += "|" + name + "=" + std::to_string(value);
  }
  void SetBoolProperty(const std::string& name, bool value) override {
    properties_ += "|" + name + "=" + (value ? "true" : "false");
  }
  void SetStringProperty(const std::string& name, const std::string& value) override {
    properties_ += "|" + name + "=" + value;
  }
  bool ReportLaunch(int32_t, const std::string&, const std::string&, const std::string&) override { return true; }
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
  int count_ = 0;
  std::string properties_;
};

}  // namespace

ILoggerServer* GetLoggerServer() {
  static RecordingLogger logger;
  return &logger;
}
