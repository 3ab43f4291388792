#include "framework/format.h"

#include <cstdio>

namespace vantorel {
namespace {

std::string AsText(const FormatArg& arg) {
  struct Visitor {
    std::string operator()(const std::string& s) const { return s; }
    std::string operator()(int64_t v) const { return std::to_string(v); }
    std::string operator()(uint64_t v) const { return std::to_string(v); }
    std::string operator()(double v) const {
      char buffer[64];
      std::snprintf(buffer, sizeof buffer, "%g", v);
      return buffer;
    }
  };
  return std::visit(Visitor{}, arg);
}

std::string AsHex(const FormatArg& arg) {
  char buffer[32];
  if (auto* v = std::get_if<int64_t>(&arg)) {
    std::snprintf(buffer, sizeof buffer, "%llX", static_cast<unsigned long long>(*v));
    return buffer;
  }
  if (auto* v = std::get_if<uint64_t>(&arg)) {
    std::snprintf(buffer, sizeof buffer, "%llX", static_cast<unsigned long long>(*v));
    return buffer;
  }
  return AsText(arg);
}

}  // namespace

std::string FormatMessage(const std::string& format, const std::vector<FormatArg>& args) {
  std::string out;
  size_t next = 0;
  for (size_t i = 0; i < format.size(); ++i) {
    char c = format[i];
    if (c != '%' || i + 1 >= format.size()) {
      out += c;
      continue;
    }
    char spec = format[++i];
    if (spec == '%') {
      out += '%';
      continue;
    }
    if (spec != 's' && spec != 'd' && spec != 'u' && spec != 'x' && spec != 'X') {
      // Not a conversion we know: keep it as written.
      out += '%';
      out += spec;
      continue;
    }
    if (next >= args.size()) {
      // A missing argument leaves the placeholder visible instead of reading garbage.
      out += '%';
      out += spec;
      continue;
    }
    const FormatArg& arg = args[next++];
    out += (spec == 'x' || spec == 'X') ? AsHex(arg) : AsText(arg);
  }
  return out;
}

}  // namespace vantorel
