// netprobe's analytics logger: it replaces the installer's GetLoggerServer at link time (this object
// comes before the library, so the library's logger is never pulled in) and prints every tracked event
// with its properties as an "event.N" line, so scenarios can check which events the network code sent.
#include <cstdio>
#include <string>

#include "../support/null_logger.h"

namespace {

class RecordingLogger : public NullLogger {
 public:
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

 private:
  int count_ = 0;
  std::string properties_;
};

}  // namespace

ILoggerServer* GetLoggerServer() {
  static RecordingLogger logger;
  return &logger;
}
