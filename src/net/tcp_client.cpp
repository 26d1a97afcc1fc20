#include "net/tcp_client.h"

#include <cstring>

#include "endpoints.h"
#include "net/app_environment.h"
#include "net/dns_resolver.h"
#include "net/http_wire.h"
#include "net/proxy_discovery.h"
#include "platform/error.h"

CTCPClient::~CTCPClient() { Close(); }

void CTCPClient::Close() {
  if (socket_ != INVALID_SOCKET) {
    ::closesocket(socket_);
    socket_ = INVALID_SOCKET;
  }
}

void CTCPClient::Resolve(const std::string& host, uint16_t port) {
  host_ = host;
  port_ = port;
  bool found = false;
  uint32_t address = 0;
  if (dns_.mode == 0) {
    const hostent* entry = ::gethostbyname(host.c_str());
    if (entry && entry->h_addrtype == AF_INET && entry->h_length == 4 && entry->h_addr_list[0]) {
      std::memcpy(&address, entry->h_addr_list[0], 4);
      found = true;
    }
  } else if (dns_.mode == 1) {
    DnsAnswer answer;
    if (QueryDns(dns_.server.c_str(), host.c_str(), &answer) == 0 && answer.count > 0) {
      address = answer.addresses[0];
      // From here on the host is the address: a CONNECT through a proxy names it, not the name the
      // system resolver could not find.
      host_ = FormatIpv4(address);
      found = true;
    }
  }
  if (!found) throw MorvelError("Can't resolve host name");
  address_ = address;
  portNet_ = ::htons(port);
}

void CTCPClient::ResolveWithFallback(const std::string& host, uint16_t port) {
  if (AppEnvironment* env = GetAppEnvironment()) dns_ = env->GetDnsConfig();
  try {
    Resolve(host, port);
    return;
  } catch (const MorvelError&) {
  }
  dns_.mode = 1;
  dns_.server = endpoints::kDnsResolvers[0];
  Resolve(host, port);
  // Fetched again: the environment may have been deleted by the exit sequence meanwhile.
  if (AppEnvironment* env = GetAppEnvironment()) env->RecordDns(dns_);
}

namespace {
void ApplyTimeout(SOCKET s, int option, int32_t ms) {
  // -1 means the system default, which for a socket is "no time-out" (0).
  DWORD value = ms < 0 ? 0 : static_cast<DWORD>(ms);
  ::setsockopt(s, SOL_SOCKET, option, reinterpret_cast<const char*>(&value), sizeof(value));
}
}  // namespace

void CTCPClient::SetRecvTimeout(int32_t ms) {
  if (ms == recvTimeoutMs_) return;
  recvTimeoutMs_ = ms;
  if (socket_ != INVALID_SOCKET) ApplyTimeout(socket_, SO_RCVTIMEO, ms);
}

void CTCPClient::SetSendTimeout(int32_t ms) {
  if (ms == sendTimeoutMs_) return;
  sendTimeoutMs_ = ms;
  if (socket_ != INVALID_SOCKET) ApplyTimeout(socket_, SO_SNDTIMEO, ms);
}

void CTCPClient::ApplyTimeouts() {
  if (recvTimeoutMs_ != -1) ApplyTimeout(socket_, SO_RCVTIMEO, recvTimeoutMs_);
  if (sendTimeoutMs_ != -1) ApplyTimeout(socket_, SO_SNDTIMEO, sendTimeoutMs_);
}

void CTCPClient::Connect() {
  if (AppEnvironment* env = GetAppEnvironment()) proxy_ = env->GetProxyConfig();
  try {
    OpenConnection();
    return;
  } catch (const std::exception&) {
  }
  // A worker reuses its client across attempts: odd failures try the system's proxy, even ones go direct.
  ++connectFailures_;
  if (connectFailures_ % 2 == 1) {
    proxy_ = DiscoverProxy("http://" + host_);
  } else {
    proxy_.type = 0;
  }
  OpenConnection();
  if (AppEnvironment* env = GetAppEnvironment()) env->RecordProxy(proxy_);
}

void CTCPClient::OpenConnection() {
  sockaddr_in target = {};
  target.sin_family = AF_INET;
  target.sin_addr.s_addr = address_;
  target.sin_port = portNet_;

  Close();
  socket_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (socket_ == INVALID_SOCKET) throw MorvelError("Can't create socket");

  if (proxy_.type == 0) {
    const sockaddr* to = reinterpret_cast<const sockaddr*>(&target);
    if (::connect(socket_, to, sizeof(target)) != 0 && ::connect(socket_, to, sizeof(target)) != 0) {
      throw MorvelError("Connect failed");
    }
  } else {
    ConnectThroughProxy();
  }

  ApplyTimeouts();

  if (proxy_.type == 0) return;
  if (proxy_.type == 1) {
    if (!OpenTunnel()) throw MorvelError("Proxy failed");
    return;
  }
  throw MorvelError("Proxy not support");
}

// Non-blocking, so that an unreachable proxy costs at most one second before the fallback.
void CTCPClient::ConnectThroughProxy() {
  u_long nonBlocking = 1;
  if (::ioctlsocket(socket_, FIONBIO, &nonBlocking) != 0) throw MorvelError("Can't set not block");

  const hostent* entry = ::gethostbyname(proxy_.host.c_str());
  // A proxy whose name does not resolve is as unreachable as one that does not answer.
  if (!entry || entry->h_addrtype != AF_INET || entry->h_length != 4 || !entry->h_addr_list[0]) {
    throw MorvelError("Can't connect proxy server");
  }
  sockaddr_in proxy = {};
  proxy.sin_family = AF_INET;
  std::memcpy(&proxy.sin_addr.s_addr, entry->h_addr_list[0], 4);
  proxy.sin_port = ::htons(proxy_.port);

  if (::connect(socket_, reinterpret_cast<const sockaddr*>(&proxy), sizeof(proxy)) != 0) {
    fd_set writable, failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(socket_, &writable);
    FD_SET(socket_, &failed);
    timeval wait = {1, 0};
    // Winsock reports a refused non-blocking connect in the error set, not the write set: watching both
    // ends a refused attempt at once instead of after the full second.
    if (::select(0, nullptr, &writable, &failed, &wait) <= 0) throw MorvelError("Can't connect proxy server");
  }
  int error = 0;
  int length = sizeof(error);
  if (::getsockopt(socket_, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) != 0 || error != 0) {
    throw MorvelError("Can't connect proxy server");
  }
  u_long blocking = 0;
  if (::ioctlsocket(socket_, FIONBIO, &blocking) != 0) throw MorvelError("Can't set block");
}

bool CTCPClient::OpenTunnel() {
  std::string request = FormatConnectRequest(host_, port_);
  // The send's result is not examined: a failed send shows as a missing reply.
  ::send(socket_, request.data(), static_cast<int>(request.size()), 0);
  char reply[1024] = {};
  int got = ::recv(socket_, reply, sizeof(reply) - 1, 0);
  if (got <= 0) return false;
  return IsConnectReplyOk(std::string(reply, static_cast<size_t>(got)));
}
