// Reading a WinHTTP proxy list ("http=p1:81;https=p2:82" or "p3:83"). No Windows headers.
#pragma once
#include <string>

#include "net/net_config.h"

// The last entry for scheme "http" or without scheme that names a host gives type 1; otherwise `start`.
ProxyConfig ReadProxyList(const std::string& listUtf8, const ProxyConfig& start = ProxyConfig());
