#include "platform/terminal.h"

#include <windows.h>

namespace vantorel::platform {

bool IsTerminal(int stream) {
  HANDLE handle = ::GetStdHandle(stream == 1 ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
  DWORD mode = 0;
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode);
}

}  // namespace vantorel::platform
