#include "net/dns_message.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr size_t kHeaderSize = 12;
constexpr size_t kMaxAnswers = 20;
constexpr int kMaxPointerJumps = 16;  // a name needs far fewer; a loop of pointers hits this bound
constexpr size_t kMaxNameBytes = 255;

uint16_t Read16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }

// The length the name starting at `pos` occupies in place, or 0 when it is malformed: outside the
// datagram, a reserved label type, a pointer outside the message, too many jumps or too long a name.
size_t NameLengthInPlace(const uint8_t* data, size_t size, size_t pos) {
  size_t inPlace = 0;
  size_t nameBytes = 0;
  int jumps = 0;
  bool jumped = false;
  for (;;) {
    if (pos >= size) return 0;
    uint8_t b = data[pos];
    if (b >= 0xC0) {
      if (pos + 1 >= size) return 0;
      if (!jumped) inPlace += 2;
      if (++jumps > kMaxPointerJumps) return 0;
      size_t target = (static_cast<size_t>(b & 0x3F) << 8) | data[pos + 1];
      if (target >= size) return 0;
      jumped = true;
      pos = target;
      continue;
    }
    if (b >= 0x40) return 0;  // 0x40-0xBF are reserved label types
    if (!jumped) inPlace += 1u + b;
    if (b == 0) return inPlace;
    nameBytes += 1u + b;
    if (nameBytes > kMaxNameBytes) return 0;
    pos += 1u + b;
  }
}

}  // namespace

bool EncodeDnsName(const std::string& name, std::vector<uint8_t>& out) {
  std::string dotted = name + ".";
  size_t start = 0;
  for (size_t i = 0; i < dotted.size(); ++i) {
    if (dotted[i] != '.') continue;
    size_t len = i - start;
    // A label's length byte has six bits; longer labels would read as a pointer on the other side.
    if (len > 63) return false;
    out.push_back(static_cast<uint8_t>(len));
    if (len == 0) return true;  // an empty label ends the name: "a..b" asks for "a"
    out.insert(out.end(), dotted.begin() + static_cast<std::ptrdiff_t>(start),
               dotted.begin() + static_cast<std::ptrdiff_t>(i));
    start = i + 1;
  }
  out.push_back(0);
  return true;
}

std::vector<uint8_t> BuildDnsQuery(uint16_t id, const std::string& name) {
  std::vector<uint8_t> q = {static_cast<uint8_t>(id >> 8), static_cast<uint8_t>(id & 0xFF),
                            0x01, 0x00,  // recursion desired
                            0, 1, 0, 0, 0, 0, 0, 0};
  if (!EncodeDnsName(name, q)) return {};
  if (q.size() - kHeaderSize > kMaxNameBytes) return {};
  const uint8_t tail[] = {0, 1, 0, 1};  // type A, class IN
  q.insert(q.end(), tail, tail + 4);
  return q;
}

namespace {

int ParseRecords(const uint8_t* data, size_t size, const std::vector<uint8_t>& query, DnsAnswer& answer) {
  if (query.size() < kHeaderSize + 5 || size < query.size()) return -1;
  // Only a response to our own query: same ID, the response bit set. Anyone on the path can send a
  // datagram; without these checks they could answer for the vendor's hosts.
  if (data[0] != query[0] || data[1] != query[1] || (data[2] & 0x80) == 0) return -1;
  size_t pos = query.size();  // header and the question as it was sent
  size_t count = Read16(data + 6);
  if (count > kMaxAnswers) count = kMaxAnswers;
  for (size_t i = 0; i < count; ++i) {
    size_t nameLen = NameLengthInPlace(data, size, pos);
    if (nameLen == 0) return -1;
    pos += nameLen;
    if (size - pos < 10) return -1;
    uint16_t type = Read16(data + pos);
    size_t dataLen = Read16(data + pos + 8);
    pos += 10;
    if (size - pos < dataLen) return -1;
    if (type == 1) {
      if (dataLen < 4) return -1;
      uint32_t addr;  // network byte order: the bytes exactly as they stand in the message
      std::memcpy(&addr, data + pos, 4);
      answer.addresses[answer.count++] = addr;
    } else if (type == 5) {
      // The CNAME before an alias's A records carries a name, which must fit its record.
      size_t inPlace = NameLengthInPlace(data, size, pos);
      if (inPlace == 0 || inPlace > dataLen) return -1;
    }
    pos += dataLen;
  }
  return answer.count >= 1 ? static_cast<int>(answer.count) : -1;
}

}  // namespace

int ParseDnsAnswer(const uint8_t* data, size_t size, const std::vector<uint8_t>& query, DnsAnswer& answer) {
  answer = DnsAnswer();
  int r = ParseRecords(data, size, query, answer);
  // A message that goes bad part-way gives nothing: no addresses from a malformed answer.
  if (r < 0) answer = DnsAnswer();
  return r;
}

bool IsIpv4Text(const std::string& text) {
  int parts = 0;
  size_t i = 0;
  while (true) {
    size_t start = i;
    int value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9' && i - start < 3) {
      value = value * 10 + (text[i] - '0');
      ++i;
    }
    if (i == start || value > 255) return false;
    ++parts;
    if (i == text.size()) return parts == 4;
    if (text[i] != '.' || parts == 4) return false;
    ++i;
  }
}

std::string FormatIpv4(uint32_t addressNetOrder) {
  const uint8_t* b = reinterpret_cast<const uint8_t*>(&addressNetOrder);
  char text[16];
  std::snprintf(text, sizeof(text), "%u.%u.%u.%u", b[0], b[1], b[2], b[3]);
  return text;
}
