#include "net/app_environment.h"

#include "telemetry/logger_server.h"

namespace {
AppEnvironment* g_environment = nullptr;
// Once per process, not per record: a deleted and re-created environment must not report again.
bool g_proxyReported = false;
bool g_dnsReported = false;

void SendNetworkCheck(const char* networkType, int32_t connType, const std::string& host) {
  ILoggerServer* logger = GetLoggerServer();
  logger->ClearProperties();
  logger->SetStringProperty("network_type", networkType);
  logger->SetIntProperty("conn_type", connType);
  logger->SetStringProperty("host_name", host);
  logger->TrackEvent("vNetworkCheck");
}
}  // namespace

void AppEnvironment::SetChannel(const std::string& channel) {
  CXMutexLock lock(mutex_);
  channel_ = channel;
}

std::string AppEnvironment::GetChannel() {
  CXMutexLock lock(mutex_);
  return channel_;
}

ProxyConfig AppEnvironment::GetProxyConfig() {
  CXMutexLock lock(mutex_);
  return proxy_;
}

DnsConfig AppEnvironment::GetDnsConfig() {
  CXMutexLock lock(mutex_);
  return dns_;
}

// The event goes out under the environment's lock so that two threads recording at once send it
// exactly once; the logger's own lock is taken after ours and never the other way round.
void AppEnvironment::RecordProxy(const ProxyConfig& proxy) {
  CXMutexLock lock(mutex_);
  if (!g_proxyReported) {
    SendNetworkCheck("网络代理", proxy.type, proxy.host);
    g_proxyReported = true;
  }
  proxy_ = proxy;
}

void AppEnvironment::RecordDns(const DnsConfig& dns) {
  CXMutexLock lock(mutex_);
  if (!g_dnsReported) {
    SendNetworkCheck("DNS解析", dns.mode, dns.server);
    g_dnsReported = true;
  }
  dns_ = dns;
}

AppEnvironment* GetAppEnvironment() { return g_environment; }

void CreateAppEnvironment() {
  if (!g_environment) g_environment = new AppEnvironment();
}

void DeleteAppEnvironment() {
  delete g_environment;
  g_environment = nullptr;
}
