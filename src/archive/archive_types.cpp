#include "archive/archive_types.h"

#include <algorithm>
#include <cmath>

namespace vantorel {

uint8_t Percent(double part, double whole) {
  if (whole == 0) return 0;
  const double value = std::nearbyint(part / whole * 100.0);
  if (!(value >= 0 && value <= 255)) return 0;
  return static_cast<uint8_t>(value);
}

int32_t SaturatingAdd(int32_t a, int64_t b) {
  return static_cast<int32_t>(std::clamp<int64_t>(int64_t{a} + b, INT32_MIN, INT32_MAX));
}

}  // namespace vantorel
