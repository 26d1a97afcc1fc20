// The installer's own resolver: one UDP query for the A records of a name, one answer within 3 seconds.
#pragma once
#include <string>

#include "net/dns_message.h"

// 0 on success (at least one address), -1 otherwise. `server` may be null or not an address: the
// system's DNS servers are asked then, or the built-in public resolvers when there are none.
int QueryDns(const char* server, const char* name, DnsAnswer* answer);
