#include "telemetry/property_set.h"

int32_t EventSerial(int64_t nowSeconds, int32_t counter) {
  int64_t serial = (nowSeconds % 10000000) * 100 + (counter % 100);
  return static_cast<int32_t>(static_cast<uint32_t>(serial));
}
