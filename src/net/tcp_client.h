// The one socket-level client of the installer: name resolution with a fallback to the installer's own
// resolver, and connection set-up with a fallback between the process-wide proxy setting, the system's
// proxy and a direct connection. CTCPHttp and the download worker derive from it and talk on Socket().
#pragma once
#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <string>

#include "net/net_config.h"

class CTCPClient {
 public:
  CTCPClient() = default;
  virtual ~CTCPClient();
  CTCPClient(const CTCPClient&) = delete;
  CTCPClient& operator=(const CTCPClient&) = delete;

  // Resolves `host` with this client's DnsConfig; raises "Can't resolve host name".
  void Resolve(const std::string& host, uint16_t port);
  // Starts from the process-wide DnsConfig; on failure asks the first public resolver and, when that
  // answers, records the DNS setting process-wide.
  void ResolveWithFallback(const std::string& host, uint16_t port);

  void SetRecvTimeout(int32_t ms);
  void SetSendTimeout(int32_t ms);

  // Opens the connection (directly or through a CONNECT tunnel) with the proxy fallback; raises on failure.
  void Connect();
  void Close();

  SOCKET Socket() const { return socket_; }
  const std::string& Host() const { return host_; }
  uint32_t Address() const { return address_; }  // network byte order
  uint16_t Port() const { return port_; }
  int32_t ConnectFailures() const { return connectFailures_; }
  const ProxyConfig& Proxy() const { return proxy_; }
  const DnsConfig& Dns() const { return dns_; }
  int32_t RecvTimeout() const { return recvTimeoutMs_; }
  int32_t SendTimeout() const { return sendTimeoutMs_; }

  // One attempt with the current proxy setting (no fallback); public so tests can drive single attempts.
  void OpenConnection();
  void SetProxy(const ProxyConfig& proxy) { proxy_ = proxy; }
  void SetDns(const DnsConfig& dns) { dns_ = dns; }

 private:
  void ConnectThroughProxy();
  void ApplyTimeouts();
  bool OpenTunnel();

  std::string host_;
  uint32_t address_ = 0xFFFFFFFFu;
  uint16_t port_ = 0;
  uint16_t portNet_ = 0xFFFF;
  int32_t recvTimeoutMs_ = -1;
  int32_t sendTimeoutMs_ = -1;
  int32_t connectFailures_ = 0;
  SOCKET socket_ = INVALID_SOCKET;
  ProxyConfig proxy_;
  DnsConfig dns_;
};
