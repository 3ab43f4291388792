#include "platform/code_page.h"

#include <iconv.h>

#include <cerrno>
#include <string>

namespace vantorel::platform {

std::optional<std::string> CodePageToUtf8(std::string_view text, unsigned code_page) {
  const std::string from = "CP" + std::to_string(code_page);
  iconv_t cd = iconv_open("UTF-8", from.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  struct Close {
    iconv_t cd;
    ~Close() { iconv_close(cd); }
  } close{cd};
  std::string out;
  std::string in(text);
  char* src = in.data();
  size_t left = in.size();
  char buffer[4096];
  while (left > 0) {
    char* dst = buffer;
    size_t room = sizeof buffer;
    const size_t done = iconv(cd, &src, &left, &dst, &room);
    out.append(buffer, static_cast<size_t>(dst - buffer));
    if (done == static_cast<size_t>(-1) && errno != E2BIG) return std::nullopt;
  }
  // A lead byte at the very end may wait in the converter's state.
  char* dst = buffer;
  size_t room = sizeof buffer;
  if (iconv(cd, nullptr, nullptr, &dst, &room) == static_cast<size_t>(-1)) return std::nullopt;
  out.append(buffer, static_cast<size_t>(dst - buffer));
  return out;
}

}  // namespace vantorel::platform
