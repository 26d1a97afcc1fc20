// MD5 (RFC 1321) and its text form: 32 lower-case hexadecimal digits. No Windows headers.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

class Md5 {
 public:
  Md5();
  void Update(const void* data, size_t size);
  std::string FinishHex();  // the object is spent afterwards

 private:
  void Block(const uint8_t* p);
  uint32_t state_[4];
  uint64_t length_ = 0;
  uint8_t buffer_[64];
  size_t used_ = 0;
};

// Empty for no bytes (a size of 0 or less), never the digest of nothing.
std::string Md5Hex(const void* data, int64_t size);
