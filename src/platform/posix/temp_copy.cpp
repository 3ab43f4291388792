#include "platform/temp_copy.h"

#include "platform/errors.h"

namespace vantorel::platform {

bool IsHandOverArgument(const std::string& argument) {
  return argument.starts_with("/HANDOVER:");
}

bool RunTemporaryCopy(const std::string&, uint32_t&) {
  SetLastError(kErrorCallNotImplemented);
  return false;
}

bool ReleaseOriginal(const std::string&, uint32_t, uint32_t) {
  SetLastError(kErrorCallNotImplemented);
  return false;
}

}  // namespace vantorel::platform
