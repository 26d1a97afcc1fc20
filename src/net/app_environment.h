// The process-wide environment record: UI scale and DPI ratio, the channel, and the network settings
// every connection starts from, all guarded by one mutex.
#pragma once
#include <string>

#include "net/net_config.h"
#include "platform/thread.h"

class AppEnvironment {
 public:
  void SetChannel(const std::string& channel);
  std::string GetChannel();

  // Copies taken under the lock; a connection or resolution starts from these.
  ProxyConfig GetProxyConfig();
  DnsConfig GetDnsConfig();
  // Store the setting that made a fallback succeed and, once per process, send "vNetworkCheck".
  void RecordProxy(const ProxyConfig& proxy);
  void RecordDns(const DnsConfig& dns);

  double scale = 1.0;      // UI scale factor
  double dpiRatio = 1.0;   // system DPI ratio

 private:
  CXMutex mutex_;
  ProxyConfig proxy_;
  DnsConfig dns_;
  std::string channel_;
};

// Created by WinMain as its second step and deleted at the end of its exit sequence.
AppEnvironment* GetAppEnvironment();
void CreateAppEnvironment();
void DeleteAppEnvironment();
