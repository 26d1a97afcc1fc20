# Development, tests and the demo: reserved test names (RFC 6761 ".test") and loopback addresses only.
# The hermetic test network maps these names in its per-scenario hosts file.
set(VEXRA_API_HOST         "api.vexra.test")
set(VEXRA_API_SERVER_IPV4  "127.0.10.1")
set(VEXRA_CDN_HOST         "cdn.vexra.test")
set(VEXRA_SUPPORT_HOST     "support.vexra.test")
set(VEXRA_ANALYTICS_HOST   "analytics.vexra.test")
set(VEXRA_ATTRIBUTION_HOST "attribution.vexra.test")
set(VEXRA_WEB_HOST         "www.vexra.test")
set(VEXRA_DNS_RESOLVERS    "127.0.53.1" "127.0.53.2" "127.0.53.3" "127.0.53.4" "127.0.53.5" "127.0.53.6")
set(VEXRA_HTTP_PORT        80)
set(VEXRA_DNS_PORT         53)
