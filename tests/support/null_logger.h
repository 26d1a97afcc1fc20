// A logger for tests that accepts every call and keeps nothing; test loggers derive from it and
// override only what they record.
#pragma once
#include <string>
#include <vector>

#include "telemetry/logger_server.h"

class NullLogger : public ILoggerServer {
 public:
  bool ReportAction(const std::string&, const std::string&, const std::string&) override { return true; }
  bool ReportLifecycle(int32_t, const std::string&, const std::string&, const std::string&, const std::string&,
                       const std::vector<std::string>&) override {
    return true;
  }
  bool TrackEvent(const std::string&) override { return true; }
  void ClearProperties() override {}
  void SetIntProperty(const std::string&, int32_t) override {}
  void SetBoolProperty(const std::string&, bool) override {}
  void SetStringProperty(const std::string&, const std::string&) override {}
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
};
