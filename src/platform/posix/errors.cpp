#include "platform/errors.h"

namespace vantorel::platform {
namespace {
thread_local uint32_t g_last_error = kErrorSuccess;
}

uint32_t LastError() {
  return g_last_error;
}
void SetLastError(uint32_t code) {
  g_last_error = code;
}

}  // namespace vantorel::platform
