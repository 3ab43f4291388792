#include "platform/errors.h"

#include <windows.h>

namespace vantorel::platform {

uint32_t LastError() {
  return ::GetLastError();
}
void SetLastError(uint32_t code) {
  ::SetLastError(code);
}

}  // namespace vantorel::platform
