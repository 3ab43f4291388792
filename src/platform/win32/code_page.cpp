#include "platform/code_page.h"

#include <windows.h>

#include <climits>

namespace vantorel::platform {

std::optional<std::string> CodePageToUtf8(std::string_view text, unsigned code_page) {
  if (text.empty())
    return IsValidCodePage(code_page) ? std::optional<std::string>("") : std::nullopt;
  if (text.size() > INT_MAX / 2) return std::nullopt;
  const int length = static_cast<int>(text.size());
  const int wide_length =
      MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, text.data(), length, nullptr, 0);
  if (wide_length <= 0) return std::nullopt;
  std::wstring wide(static_cast<size_t>(wide_length), L'\0');
  MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, text.data(), length, wide.data(),
                      wide_length);
  const int utf8_length =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_length, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(utf8_length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_length, out.data(), utf8_length, nullptr,
                      nullptr);
  return out;
}

}  // namespace vantorel::platform
