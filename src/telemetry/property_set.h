// Pending event properties: three sets keyed by name, ordered byte by byte. The first value set for a
// name stays until the set is cleared. No Windows headers.
#pragma once
#include <cstdint>
#include <map>
#include <string>

struct PropertySet {
  std::map<std::string, int32_t> ints;
  std::map<std::string, bool> bools;
  std::map<std::string, std::string> texts;

  void Clear() {
    ints.clear();
    bools.clear();
    texts.clear();
  }
  void SetInt(const std::string& name, int32_t value) { ints.emplace(name, value); }
  void SetBool(const std::string& name, bool value) { bools.emplace(name, value); }
  void SetText(const std::string& name, const std::string& value) { texts.emplace(name, value); }
};

// (seconds since 1970 mod 10000000) * 100 + (counter mod 100), truncated to 32 bits.
int32_t EventSerial(int64_t nowSeconds, int32_t counter);
