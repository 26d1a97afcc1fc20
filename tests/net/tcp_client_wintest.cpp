// CTCPClient's own state rules, against a listener on 127.0.0.1 inside the test process.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "net/app_environment.h"
#include "net/tcp_client.h"
#include "platform/error.h"

namespace {

class WinsockEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    WSADATA wsa;
    ::WSAStartup(MAKEWORD(2, 2), &wsa);
  }
  void TearDown() override { ::WSACleanup(); }
};
::testing::Environment* const kWinsock = ::testing::AddGlobalTestEnvironment(new WinsockEnvironment);

// A listening socket on 127.0.0.1 at a port the system picks; connections queue in its backlog.
class Listener {
 public:
  Listener() {
    s_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
    ::bind(s_, reinterpret_cast<sockaddr*>(&a), sizeof(a));
    ::listen(s_, 8);
    int len = sizeof(a);
    ::getsockname(s_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ::ntohs(a.sin_port);
  }
  ~Listener() { ::closesocket(s_); }
  uint16_t Port() const { return port_; }

 private:
  SOCKET s_;
  uint16_t port_ = 0;
};

// A port on 127.0.0.1 where nobody listens: bound and released again.
uint16_t ClosedPort() {
  Listener l;
  return l.Port();
}

DWORD OptionOf(SOCKET s, int option) {
  DWORD value = 12345;
  int len = sizeof(value);
  ::getsockopt(s, SOL_SOCKET, option, reinterpret_cast<char*>(&value), &len);
  return value;
}

std::string ErrorOf(void (*f)(CTCPClient&), CTCPClient& c) {
  try {
    f(c);
  } catch (const MorvelError& e) {
    return e.what();
  }
  return "";
}

TEST(CTCPClient, FreshState) {
  CTCPClient c;
  EXPECT_EQ(c.Host(), "");
  EXPECT_EQ(c.Address(), 0xFFFFFFFFu);
  EXPECT_EQ(c.RecvTimeout(), -1);
  EXPECT_EQ(c.SendTimeout(), -1);
  EXPECT_EQ(c.ConnectFailures(), 0);
  EXPECT_EQ(c.Socket(), INVALID_SOCKET);
  EXPECT_EQ(c.Proxy().type, 0);
  EXPECT_EQ(c.Dns().mode, 0);
}

TEST(CTCPClient, ResolveModes) {
  struct Case {
    int32_t mode;
    const char* host;
    bool ok;
  } cases[] = {
      {0, "127.0.0.1", true},
      {2, "127.0.0.1", false},  // unknown modes fail every resolution
      {-1, "127.0.0.1", false},
  };
  for (const Case& k : cases) {
    CTCPClient c;
    DnsConfig d;
    d.mode = k.mode;
    c.SetDns(d);
    std::string error;
    try {
      c.Resolve(k.host, 80);
    } catch (const MorvelError& e) {
      error = e.what();
    }
    EXPECT_EQ(error, k.ok ? "" : "Can't resolve host name") << k.mode;
    if (k.ok) {
      EXPECT_EQ(c.Address(), ::htonl(INADDR_LOOPBACK));
    }
  }
}

TEST(CTCPClient, TimeoutsDefaultAndChangeOnOpenSocket) {
  Listener l;
  CTCPClient c;
  c.Resolve("127.0.0.1", l.Port());
  c.Connect();
  // -1 leaves the system default: no time-out.
  EXPECT_EQ(OptionOf(c.Socket(), SO_RCVTIMEO), 0u);
  EXPECT_EQ(OptionOf(c.Socket(), SO_SNDTIMEO), 0u);
  c.SetRecvTimeout(1500);
  c.SetSendTimeout(2500);
  EXPECT_EQ(OptionOf(c.Socket(), SO_RCVTIMEO), 1500u);
  EXPECT_EQ(OptionOf(c.Socket(), SO_SNDTIMEO), 2500u);
  // Applied again to the socket of the next connection.
  c.Connect();
  EXPECT_EQ(OptionOf(c.Socket(), SO_RCVTIMEO), 1500u);
  EXPECT_EQ(OptionOf(c.Socket(), SO_SNDTIMEO), 2500u);
  c.Close();
  EXPECT_EQ(c.Socket(), INVALID_SOCKET);
}

TEST(CTCPClient, FailedConnectionsAlternateAndPropagate) {
  CreateAppEnvironment();
  CTCPClient c;
  c.Resolve("127.0.0.1", ClosedPort());
  // No system proxy in the test prefix: both the discovered (odd) and the direct (even) retry fail.
  EXPECT_EQ(ErrorOf([](CTCPClient& x) { x.Connect(); }, c), "Connect failed");
  EXPECT_EQ(c.ConnectFailures(), 1);
  EXPECT_EQ(ErrorOf([](CTCPClient& x) { x.Connect(); }, c), "Connect failed");
  EXPECT_EQ(c.ConnectFailures(), 2);
  EXPECT_EQ(c.Proxy().type, 0);
  // Nothing succeeded, so nothing was recorded.
  EXPECT_EQ(GetAppEnvironment()->GetProxyConfig().type, 0);
  DeleteAppEnvironment();
}

TEST(CTCPClient, ProxyKindsAndUnreachableProxy) {
  Listener target;
  struct Case {
    int32_t type;
    const char* host;
    uint16_t port;
    const char* error;
  } cases[] = {
      {1, "127.0.0.1", ClosedPort(), "Can't connect proxy server"},
      {1, "", 0, "Can't connect proxy server"},
      {3, "127.0.0.1", target.Port(), "Proxy not support"},  // reachable, but not a kind we speak
  };
  for (const Case& k : cases) {
    CTCPClient c;
    c.Resolve("127.0.0.1", target.Port());
    ProxyConfig p;
    p.type = k.type;
    p.host = k.host;
    p.port = k.port;
    c.SetProxy(p);
    DWORD start = ::GetTickCount();
    EXPECT_EQ(ErrorOf([](CTCPClient& x) { x.OpenConnection(); }, c), k.error) << k.type << " " << k.host;
    EXPECT_LT(::GetTickCount() - start, 1500u);  // a proxy attempt is bounded by the 1-second wait
  }
}

TEST(AppEnvironment, RecordsAreSharedAndLastOneWins) {
  CreateAppEnvironment();
  AppEnvironment* env = GetAppEnvironment();
  struct Worker {
    static DWORD WINAPI Run(void* arg) {
      AppEnvironment* e = static_cast<AppEnvironment*>(arg);
      for (int i = 0; i < 200; ++i) {
        ProxyConfig p;
        p.type = 1;
        p.host = "p" + std::to_string(i);
        p.port = static_cast<uint16_t>(i);
        e->RecordProxy(p);
        ProxyConfig seen = e->GetProxyConfig();
        // never a torn copy: host and port always belong together
        if (seen.host != "p" + std::to_string(seen.port)) return 1;
      }
      return 0;
    }
  };
  HANDLE threads[4];
  for (HANDLE& h : threads) h = ::CreateThread(nullptr, 0, Worker::Run, env, 0, nullptr);
  ::WaitForMultipleObjects(4, threads, TRUE, INFINITE);
  for (HANDLE h : threads) {
    DWORD code = 9;
    ::GetExitCodeThread(h, &code);
    EXPECT_EQ(code, 0u);
    ::CloseHandle(h);
  }
  ProxyConfig last;
  last.type = 1;
  last.host = "final";
  last.port = 8080;
  env->RecordProxy(last);
  EXPECT_EQ(env->GetProxyConfig().host, "final");
  DnsConfig d;
  d.mode = 1;
  d.server = "127.0.53.1";
  env->RecordDns(d);
  EXPECT_EQ(env->GetDnsConfig().server, "127.0.53.1");
  DeleteAppEnvironment();
}

}  // namespace
