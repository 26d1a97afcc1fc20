// Builds DNS answer datagrams for tests: the header and question echo the query, records follow with
// their owner as a pointer to the question's name unless a test gives raw owner bytes.
#pragma once
#include <cstdint>
#include <cstring>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "net/dns_message.h"

class DnsBuilder {
 public:
  DnsBuilder(uint16_t id, const std::string& name) : query_(BuildDnsQuery(id, name)), id_(id) {}
  const std::vector<uint8_t>& Query() const { return query_; }

  DnsBuilder& A(const std::string& dotted) {
    std::vector<uint8_t> data;
    std::stringstream ss(dotted);
    std::string part;
    while (std::getline(ss, part, '.')) data.push_back(static_cast<uint8_t>(std::stoi(part)));
    return Record(1, data);
  }
  DnsBuilder& Cname(const std::string& target) {
    std::vector<uint8_t> data;
    EncodeDnsName(target, data);
    return Record(5, data);
  }
  DnsBuilder& Record(uint16_t type, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> r = nextOwner_.empty() ? std::vector<uint8_t>{0xC0, 12} : nextOwner_;
    nextOwner_.clear();
    uint8_t fixed[10] = {static_cast<uint8_t>(type >> 8), static_cast<uint8_t>(type), 0, 1, 0, 0, 0x0E, 0x10,
                         static_cast<uint8_t>(data.size() >> 8), static_cast<uint8_t>(data.size())};
    r.insert(r.end(), fixed, fixed + 10);
    r.insert(r.end(), data.begin(), data.end());
    records_.push_back(r);
    return *this;
  }
  // The next record's owner name, as raw bytes.
  DnsBuilder& RawOwner(const std::vector<uint8_t>& owner) {
    nextOwner_ = owner;
    return *this;
  }
  // Points the raw owner (a pointer with offset 0 placeholder) at itself: a loop.
  DnsBuilder& LoopOwner() {
    loopSelf_ = true;
    return *this;
  }
  DnsBuilder& Id(uint16_t id) {
    id_ = id;
    return *this;
  }
  DnsBuilder& Flags(uint8_t a, uint8_t b) {
    flags_[0] = a;
    flags_[1] = b;
    return *this;
  }
  DnsBuilder& Count(uint16_t n) {
    count_ = n;
    countSet_ = true;
    return *this;
  }

  std::vector<uint8_t> Build() const {
    std::vector<uint8_t> m = query_;
    m[0] = static_cast<uint8_t>(id_ >> 8);
    m[1] = static_cast<uint8_t>(id_);
    m[2] = flags_[0];
    m[3] = flags_[1];
    uint16_t n = countSet_ ? count_ : static_cast<uint16_t>(records_.size());
    m[6] = static_cast<uint8_t>(n >> 8);
    m[7] = static_cast<uint8_t>(n);
    for (const auto& r : records_) {
      size_t at = m.size();
      m.insert(m.end(), r.begin(), r.end());
      if (loopSelf_ && r[0] == 0xC0 && r[1] == 0) {
        m[at] = static_cast<uint8_t>(0xC0 | (at >> 8));
        m[at + 1] = static_cast<uint8_t>(at);
      }
    }
    return m;
  }

 private:
  std::vector<uint8_t> query_;
  std::vector<std::vector<uint8_t>> records_;
  std::vector<uint8_t> nextOwner_;
  uint16_t id_;
  uint8_t flags_[2] = {0x81, 0x80};
  uint16_t count_ = 0;
  bool countSet_ = false;
  bool loopSelf_ = false;
};
