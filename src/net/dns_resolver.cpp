// rand_s (the system's cryptographic generator) is only declared with this set before <stdlib.h>.
#define _CRT_RAND_S
#include <stdlib.h>

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

#include <vector>

#include "endpoints.h"
#include "net/dns_resolver.h"

namespace {

class ScopedSocket {
 public:
  explicit ScopedSocket(SOCKET s) : s_(s) {}
  ~ScopedSocket() {
    if (s_ != INVALID_SOCKET) ::closesocket(s_);
  }
  ScopedSocket(const ScopedSocket&) = delete;
  ScopedSocket& operator=(const ScopedSocket&) = delete;
  SOCKET Get() const { return s_; }

 private:
  SOCKET s_;
};

// The first DNS server the system is configured with, or empty. One FIXED_INFO record (584 bytes in a
// 32-bit process) holds the first server; with several servers the call asks for a larger buffer,
// which we then give it instead of giving up on the system's servers.
std::string FirstSystemDnsServer() {
  std::vector<unsigned char> buffer(sizeof(FIXED_INFO));
  ULONG size = static_cast<ULONG>(buffer.size());
  DWORD r = ::GetNetworkParams(reinterpret_cast<FIXED_INFO*>(buffer.data()), &size);
  if (r == ERROR_BUFFER_OVERFLOW && size > buffer.size()) {
    buffer.resize(size);
    r = ::GetNetworkParams(reinterpret_cast<FIXED_INFO*>(buffer.data()), &size);
  }
  if (r != ERROR_SUCCESS) return std::string();
  return reinterpret_cast<FIXED_INFO*>(buffer.data())->DnsServerList.IpAddress.String;
}

// An ID nobody off the path can guess: the answer is only taken when it echoes it.
uint16_t UnpredictableId() {
  unsigned int value = 0;
  if (rand_s(&value) != 0) value = ::GetTickCount() ^ (::GetCurrentProcessId() << 16);
  return static_cast<uint16_t>(value);
}

}  // namespace

int QueryDns(const char* server, const char* name, DnsAnswer* answer) {
  if (!name || !answer) return -1;
  *answer = DnsAnswer();

  std::string serverText;
  if (server && IsIpv4Text(server)) {
    serverText = server;
  } else {
    serverText = FirstSystemDnsServer();
    if (!IsIpv4Text(serverText)) serverText = endpoints::kDnsResolvers[0];
  }

  std::vector<uint8_t> query = BuildDnsQuery(UnpredictableId(), name);
  if (query.empty()) return -1;

  ScopedSocket s(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
  if (s.Get() == INVALID_SOCKET) return -1;

  sockaddr_in to = {};
  to.sin_family = AF_INET;
  to.sin_port = ::htons(endpoints::kDnsPort);
  to.sin_addr.s_addr = ::inet_addr(serverText.c_str());
  if (::sendto(s.Get(), reinterpret_cast<const char*>(query.data()), static_cast<int>(query.size()), 0,
               reinterpret_cast<const sockaddr*>(&to), sizeof(to)) != static_cast<int>(query.size())) {
    return -1;
  }

  std::vector<char> buffer(65536);
  const ULONGLONG deadline = ::GetTickCount64() + 3000;
  for (;;) {
    ULONGLONG now = ::GetTickCount64();
    if (now >= deadline) return -1;
    ULONGLONG left = deadline - now;
    fd_set readable, failed;
    FD_ZERO(&readable);
    FD_ZERO(&failed);
    FD_SET(s.Get(), &readable);
    FD_SET(s.Get(), &failed);
    timeval wait = {static_cast<long>(left / 1000), static_cast<long>((left % 1000) * 1000)};
    if (::select(0, &readable, nullptr, &failed, &wait) <= 0) return -1;
    if (FD_ISSET(s.Get(), &failed) || !FD_ISSET(s.Get(), &readable)) return -1;

    sockaddr_in from = {};
    int fromSize = sizeof(from);
    int got = ::recvfrom(s.Get(), buffer.data(), static_cast<int>(buffer.size()), 0,
                         reinterpret_cast<sockaddr*>(&from), &fromSize);
    if (got < 0) return -1;  // also the port-unreachable report Winsock gives UDP sockets
    // Datagrams from anyone but the server and port we asked, or for another ID, are not answers to
    // this query: they are dropped and the wait goes on until the time is up.
    if (from.sin_addr.s_addr != to.sin_addr.s_addr || from.sin_port != to.sin_port) continue;
    if (got < 2 || static_cast<uint8_t>(buffer[0]) != query[0] || static_cast<uint8_t>(buffer[1]) != query[1]) {
      continue;
    }
    int count = ParseDnsAnswer(reinterpret_cast<const uint8_t*>(buffer.data()), static_cast<size_t>(got), query,
                               *answer);
    return count >= 1 ? 0 : -1;
  }
}
