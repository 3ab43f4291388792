#pragma once
// printf-style formatting of messages ("%s", "%d", "%u", "%x", "%%") with typed arguments, so a
// wrong argument can never read past the stack as the C function would.
#include <cstdint>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

namespace vantorel {

using FormatArg = std::variant<std::string, int64_t, uint64_t, double>;

std::string FormatMessage(const std::string& format, const std::vector<FormatArg>& args);

namespace detail {
template <typename T>
FormatArg ToFormatArg(const T& value) {
  if constexpr (std::is_same_v<T, bool>) {
    return int64_t{value ? 1 : 0};
  } else if constexpr (std::is_integral_v<T> && std::is_signed_v<T>) {
    return int64_t{value};
  } else if constexpr (std::is_integral_v<T>) {
    return uint64_t{value};
  } else if constexpr (std::is_enum_v<T>) {
    return int64_t{static_cast<int64_t>(value)};
  } else if constexpr (std::is_floating_point_v<T>) {
    return double{value};
  } else {
    return std::string(value);
  }
}
}  // namespace detail

template <typename... Args>
std::string Format(const std::string& format, const Args&... args) {
  return FormatMessage(format, std::vector<FormatArg>{detail::ToFormatArg(args)...});
}

}  // namespace vantorel
