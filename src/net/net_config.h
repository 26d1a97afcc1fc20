// The two network settings every connection starts from. Shared by the TCP client and the process-wide
// environment record, so kept free of Windows headers.
#pragma once
#include <cstdint>
#include <string>

// type 0: direct connection; 1: HTTP proxy that tunnels with CONNECT; 2 and 3: other proxy kinds, which
// the client refuses.
struct ProxyConfig {
  int32_t type = 0;
  std::string host;
  uint16_t port = 0;
};

// mode 0: the system resolver; 1: the installer's own DNS-over-UDP resolver asking `server`
// (dotted-decimal IPv4). Any other mode makes every resolution fail.
struct DnsConfig {
  int32_t mode = 0;
  std::string server;
};
