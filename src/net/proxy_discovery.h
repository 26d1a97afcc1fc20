// The system's HTTP proxy for a URL, as the current user's Internet settings give it (WinHTTP).
#pragma once
#include <string>

#include "net/net_config.h"
#include "net/proxy_list.h"

// `url` is "http://" followed by the host being connected; direct when nothing is configured or found.
ProxyConfig DiscoverProxy(const std::string& url);
