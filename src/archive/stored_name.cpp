#include "archive/stored_name.h"

#include <array>
#include <string_view>

#include "routines/strings.h"

namespace vantorel {
namespace {

bool IsStripped(char c) {
  return c == ' ' || c == '.';
}

}  // namespace

bool IsDeviceName(const std::string& name) {
  // Windows reads the device from the text before the first "." or ":", ignoring the blanks
  // before the extension, so "nul", "NUL.txt", "Nul .log", "aux." and "COM1:" all name devices.
  std::string_view base(name);
  base = base.substr(0, base.find_first_of(".:"));
  while (!base.empty() && IsStripped(base.back())) base.remove_suffix(1);
  const std::string upper = UpperCase(std::string(base));

  static constexpr std::array<std::string_view, 6> kPlain = {"CON", "PRN",    "AUX",
                                                             "NUL", "CONIN$", "CONOUT$"};
  for (std::string_view device : kPlain) {
    if (upper == device) return true;
  }
  if (upper.size() != 4 || (upper.compare(0, 3, "COM") != 0 && upper.compare(0, 3, "LPT") != 0)) {
    return false;
  }
  const unsigned char digit = static_cast<unsigned char>(upper[3]);
  // The ANSI superscripts one, two and three count as digits to the device namer.
  return (digit >= '1' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
}

bool HasFieldSeparator(const std::string& name) {
  return name.find(';') != std::string::npos;
}

}  // namespace vantorel
