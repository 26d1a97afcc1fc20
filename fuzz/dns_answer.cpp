// Fuzzes the DNS answer parser. The query is rebuilt with the ID the input starts with, so inputs get
// past the ID check and exercise the record and name reading.
#include <cstdint>
#include <vector>

#include "net/dns_message.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  uint16_t id = static_cast<uint16_t>((data[0] << 8) | data[1]);
  std::vector<uint8_t> query = BuildDnsQuery(id, "cdn.vexra.test");
  // Copy into an exactly sized buffer so ASan sees any read past the datagram.
  std::vector<uint8_t> datagram(data, data + size);
  DnsAnswer answer;
  int r = ParseDnsAnswer(datagram.data(), datagram.size(), query, answer);
  if (r > 20 || (r < 0 && answer.count != 0) || (r > 0 && answer.count != static_cast<uint32_t>(r))) __builtin_trap();
  return 0;
}
