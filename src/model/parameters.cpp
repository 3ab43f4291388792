#include "model/parameters.h"

#include <cfenv>
#include <cmath>
#include <limits>

namespace vantorel {

int32_t PercentOf(double part, double whole) {
  if (whole == 0) return 0;
  double value = part / whole * 100.0;
  if (!std::isfinite(value) || value > std::numeric_limits<int32_t>::max() ||
      value < std::numeric_limits<int32_t>::min())
    return 0;
  // nearbyint in the default rounding mode takes halves to the even neighbour.
  return static_cast<int32_t>(std::nearbyint(value));
}

}  // namespace vantorel
