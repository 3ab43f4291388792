#include "platform/errors.h"

#include <windows.h>

namespace vantorel::platform {

uint32_t LastError() {
  return ::GetLastError();
}
void SetLastError(uint32_t code) {
  ::SetLastError(code);
}

std::string ErrorText(uint32_t code) {
  char* buffer = nullptr;
  const DWORD n = ::FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&buffer), 0,
      nullptr);
  std::string text(buffer != nullptr ? buffer : "", n);
  if (buffer != nullptr) ::LocalFree(buffer);
  // The system ends its texts with a full stop and a line break; a message goes on after it.
  while (!text.empty() &&
         (text.back() == '\r' || text.back() == '\n' || text.back() == ' ' || text.back() == '.')) {
    text.pop_back();
  }
  for (char& c : text) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return text.empty() ? "Unknown error" : text;
}

}  // namespace vantorel::platform
