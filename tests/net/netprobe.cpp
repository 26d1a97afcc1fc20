// The network tests' client: runs one of the installer's network operations against the fixture
// servers of a scenario and prints what happened as key=value lines (values escaped as in C), for
// test_net_scenarios.py to compare. Runs under Wine inside the test network namespace.
//   netprobe [--timeout MS] [--record-proxy T,HOST,PORT] [--record-dns MODE,SERVER] [--repeat N]
//            OP ARGS...
//   OP: get HOST PORT HOSTFIELD PATH | head HOST PORT HOSTFIELD PATH
//       | post HOST PORT HOSTFIELD PATH NAME=VALUE... | resolve HOST PORT | connect HOST PORT
//       | query SERVER NAME | discover URL | tunnel HOST PORT T,PROXYHOST,PROXYPORT
//       | reconnect HOST PORT N   (one client, N Connect calls, as a download worker retries)
#include <winsock2.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "net/app_environment.h"
#include "net/dns_resolver.h"
#include "net/http_client.h"
#include "net/proxy_discovery.h"
#include "platform/text.h"

namespace {

std::string Escape(const std::string& s) {
  std::string out;
  for (unsigned char c : s) {
    if (c == '\\') out += "\\\\";
    else if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else if (c < 0x20 || c >= 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof(hex), "\\x%02x", c);
      out += hex;
    } else out += static_cast<char>(c);
  }
  return out;
}

void Put(const std::string& key, const std::string& value) {
  std::printf("%s=%s\n", key.c_str(), Escape(value).c_str());
}

std::string ProxyText(const ProxyConfig& p) { return FormatInt64(p.type) + "," + p.host + "," + FormatInt64(p.port); }
std::string DnsText(const DnsConfig& d) { return FormatInt64(d.mode) + "," + d.server; }

ProxyConfig ParseProxy(const std::string& text) {
  std::vector<std::string> f = SplitAny(text, ",");
  ProxyConfig p;
  if (f.size() >= 1) p.type = static_cast<int32_t>(ParseInt64(f[0]));
  if (f.size() >= 2) p.host = f[1];
  if (f.size() >= 3) p.port = static_cast<uint16_t>(ParseInt64(f[2]));
  return p;
}

std::string Join(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& l : lines) out += (out.empty() ? "" : "\n") + l;
  return out;
}

void PutClient(const std::string& prefix, const CTCPClient& c) {
  Put(prefix + "host", c.Host());
  Put(prefix + "proxy", ProxyText(c.Proxy()));
  Put(prefix + "dns", DnsText(c.Dns()));
  Put(prefix + "failures", FormatInt64(c.ConnectFailures()));
}

// One run of the operation; returns false when it raised.
bool RunOnce(const std::string& prefix, const std::vector<std::string>& a, int timeoutMs) {
  const std::string& op = a[0];
  // "-" stands for an empty Host field (an empty argument does not survive every shell on the way).
  auto field = [&](size_t i) { return a[i] == "-" ? std::string() : a[i]; };
  DWORD start = ::GetTickCount();
  auto elapsed = [&] { Put(prefix + "elapsed_ms", FormatInt64(::GetTickCount() - start)); };
  CTCPClient* client = nullptr;
  try {
    if (op == "query") {
      DnsAnswer answer;
      int r = QueryDns(a[1] == "-" ? nullptr : a[1].c_str(), a[2].c_str(), &answer);
      elapsed();
      Put(prefix + "result", FormatInt64(r));
      std::string list;
      for (uint32_t i = 0; i < answer.count; ++i) list += (i ? "," : "") + FormatIpv4(answer.addresses[i]);
      Put(prefix + "addresses", list);
      return true;
    }
    if (op == "discover") {
      ProxyConfig p = DiscoverProxy(a[1]);
      elapsed();
      Put(prefix + "proxy", ProxyText(p));
      return true;
    }
    uint16_t port = static_cast<uint16_t>(ParseInt64(a[2]));
    if (op == "reconnect") {
      CTCPClient c;
      c.ResolveWithFallback(a[1], port);
      for (int n = 0; n < static_cast<int>(ParseInt64(a[3])); ++n) {
        std::string attempt = prefix + "attempt." + FormatInt64(n) + ".";
        try {
          c.Connect();
          Put(attempt + "error", "");
        } catch (const std::exception& e) {
          Put(attempt + "error", e.what());
        }
        Put(attempt + "proxy", ProxyText(c.Proxy()));
        Put(attempt + "failures", FormatInt64(c.ConnectFailures()));
        c.Close();
      }
      elapsed();
      return true;
    }
    if (op == "resolve" || op == "connect" || op == "tunnel") {
      CTCPClient* c = new CTCPClient();
      client = c;
      if (timeoutMs >= 0) {
        c->SetRecvTimeout(timeoutMs);
        c->SetSendTimeout(timeoutMs);
      }
      c->ResolveWithFallback(a[1], port);
      if (op == "connect") c->Connect();
      if (op == "tunnel") {
        c->SetProxy(ParseProxy(a[3]));
        c->OpenConnection();
      }
    } else {
      CTCPHttp* h = new CTCPHttp(a[1], port);
      client = h;
      if (timeoutMs >= 0) {
        h->SetRecvTimeout(timeoutMs);
        h->SetSendTimeout(timeoutMs);
      }
      if (op == "get") {
        Put(prefix + "body", h->GetBody(field(3), a[4]));
      } else if (op == "head") {
        HttpResponseHead head = h->Head(field(3), a[4]);
        Put(prefix + "status", head.statusCode);
        Put(prefix + "lines", Join(head.lines));
      } else if (op == "post") {
        MultipartForm form;
        for (size_t i = 5; i < a.size(); ++i) {
          size_t eq = a[i].find('=');
          form.AddField(a[i].substr(0, eq), eq == std::string::npos ? "" : a[i].substr(eq + 1));
        }
        Put(prefix + "body", h->PostForm(field(3), a[4], form));
      } else if (op == "headers") {  // GET, then the header as read and whatever body reading gives
        HttpResponseHead head = h->SendGet(field(3), a[4]);
        Put(prefix + "status", head.statusCode);
        Put(prefix + "lines", Join(head.lines));
        Put(prefix + "length", FormatInt64(head.contentLength));
        CSocketChannel channel(h->Socket());
        Put(prefix + "body", ReadBody(channel, head));
      }
    }
    elapsed();
    PutClient(prefix, *client);
    delete client;
    return true;
  } catch (const std::exception& e) {
    elapsed();
    Put(prefix + "error", e.what());
    if (client) PutClient(prefix, *client);
    delete client;
    return false;
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  int timeoutMs = -1;
  int repeat = 1;
  CreateAppEnvironment();
  size_t i = 0;
  for (; i + 1 < args.size() && args[i].rfind("--", 0) == 0; i += 2) {
    if (args[i] == "--timeout") timeoutMs = static_cast<int>(ParseInt64(args[i + 1]));
    else if (args[i] == "--repeat") repeat = static_cast<int>(ParseInt64(args[i + 1]));
    else if (args[i] == "--record-proxy") GetAppEnvironment()->RecordProxy(ParseProxy(args[i + 1]));
    else if (args[i] == "--record-dns") {
      std::vector<std::string> f = SplitAny(args[i + 1], ",");
      DnsConfig d;
      d.mode = f.empty() ? 0 : static_cast<int32_t>(ParseInt64(f[0]));
      if (f.size() > 1) d.server = f[1];
      GetAppEnvironment()->RecordDns(d);
    }
  }
  std::vector<std::string> op(args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
  if (op.empty()) {
    std::fprintf(stderr, "netprobe: no operation\n");
    return 2;
  }
  WSADATA wsa;
  ::WSAStartup(MAKEWORD(2, 2), &wsa);
  for (int n = 0; n < repeat; ++n) RunOnce(FormatInt64(n) + ".", op, timeoutMs);
  Put("env.proxy", ProxyText(GetAppEnvironment()->GetProxyConfig()));
  Put("env.dns", DnsText(GetAppEnvironment()->GetDnsConfig()));
  std::fflush(stdout);
  DeleteAppEnvironment();
  ::WSACleanup();
  return 0;
}
