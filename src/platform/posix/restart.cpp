#include "platform/restart.h"

#include "platform/errors.h"

namespace vantorel::platform {

bool RestartWindows(bool) {
  SetLastError(kErrorCallNotImplemented);
  return false;
}

}  // namespace vantorel::platform
