// The vendor API answer readers on arbitrary bodies: they either read fields or raise MorvelError.
#include <cstddef>
#include <cstdint>
#include <string>

#include "api/api_answers.h"
#include "platform/error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string body(reinterpret_cast<const char*>(data), size);
  try {
    ParsePkgInfo(body);
  } catch (const MorvelError&) {
  }
  try {
    ParseServerInfo(body);
  } catch (const MorvelError&) {
  }
  try {
    std::string url, host, path;
    uint16_t port = 0;
    if (ParseInstallerConfig(body, &url)) SplitImageUrl(url, &host, &port, &path);
  } catch (const MorvelError&) {
  }
  return 0;
}
