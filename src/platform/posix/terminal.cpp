#include "platform/terminal.h"

#include <unistd.h>

namespace vantorel::platform {

bool IsTerminal(int stream) {
  return ::isatty(stream == 1 ? STDOUT_FILENO : STDERR_FILENO) == 1;
}

}  // namespace vantorel::platform
