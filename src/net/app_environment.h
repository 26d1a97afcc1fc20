// The process-wide environment record: UI scale and DPI ratio, the channel, and (added by the network
// code) the proxy and DNS settings, all guarded by one mutex.
#pragma once
#include <string>

#include "platform/thread.h"

class AppEnvironment {
 public:
  void SetChannel(const std::string& channel);
  std::string GetChannel();

  double scale = 1.0;      // UI scale factor
  double dpiRatio = 1.0;   // system DPI ratio

 private:
  CXMutex mutex_;
  std::string channel_;
};

// Created by WinMain as its second step and deleted at the end of its exit sequence.
AppEnvironment* GetAppEnvironment();
void CreateAppEnvironment();
void DeleteAppEnvironment();
