// DNS query building and answer parsing for the installer's own resolver. No Windows headers: fuzzed
// and tested natively. Answers are parsed strictly inside the datagram.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct DnsAnswer {
  uint32_t count = 0;
  uint32_t addresses[20] = {};  // network byte order, as they appear in the answer
};

// The name in label form; false when a label is longer than a DNS label may be (63 bytes). An empty
// label ends the name there ("a..b" asks for "a").
bool EncodeDnsName(const std::string& name, std::vector<uint8_t>& out);
// The whole query message (header, one question for type A class IN); empty when the name can't be encoded.
std::vector<uint8_t> BuildDnsQuery(uint16_t id, const std::string& name);
// Reads the answer to the query `query`: the ID must match, the message must be a response, and every
// name and record must lie inside the datagram. Returns the number of addresses (at most 20), or -1
// for a foreign or malformed message.
int ParseDnsAnswer(const uint8_t* data, size_t size, const std::vector<uint8_t>& query, DnsAnswer& answer);

bool IsIpv4Text(const std::string& text);
std::string FormatIpv4(uint32_t addressNetOrder);
