#include "net/proxy_list.h"

#include "platform/text.h"

ProxyConfig ReadProxyList(const std::string& listUtf8, const ProxyConfig& start) {
  ProxyConfig result = start;
  for (const std::string& entry : SplitAny(listUtf8, ";")) {
    size_t eq = entry.find('=');
    size_t colon = entry.find(':');
    std::string scheme = eq == std::string::npos ? std::string() : entry.substr(0, eq);
    size_t hostStart = eq == std::string::npos ? 0 : eq + 1;
    size_t hostEnd = colon == std::string::npos ? entry.size() : colon;
    std::string host = hostEnd > hostStart ? entry.substr(hostStart, hostEnd - hostStart) : std::string();
    // Without ":" the whole entry is the port text, which reads as 0.
    std::string portText = colon == std::string::npos ? entry : entry.substr(colon + 1);
    uint16_t port = static_cast<uint16_t>(ParseInt64(portText));
    if (host.empty()) continue;
    if (scheme == "http" || scheme.empty()) {
      result.type = 1;
      result.host = host;
      result.port = port;
    }
  }
  return result;
}
