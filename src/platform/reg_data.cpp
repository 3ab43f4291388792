#include "platform/reg_data.h"

#include <algorithm>
#include <cctype>

#include "platform/byte_order.h"

namespace vantorel::platform {
namespace {

char Fold(char c) {
  return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

}  // namespace

const char* RootName(Root root) {
  switch (root) {
    case Root::ClassesRoot:
      return "HKEY_CLASSES_ROOT";
    case Root::CurrentConfig:
      return "HKEY_CURRENT_CONFIG";
    case Root::CurrentUser:
      return "HKEY_CURRENT_USER";
    case Root::DynData:
      return "HKEY_DYN_DATA";
    case Root::LocalMachine:
      return "HKEY_LOCAL_MACHINE";
    case Root::Users:
      return "HKEY_USERS";
  }
  return "";
}

ValueType ValueTypeOf(uint32_t type) {
  switch (type) {
    case kRegNone:
      return ValueType::None;
    case kRegSz:
      return ValueType::String;
    case kRegExpandSz:
      return ValueType::ExpandString;
    case kRegBinary:
      return ValueType::Binary;
    case kRegDWord:
      return ValueType::DWord;
    case kRegMultiSz:
      return ValueType::MultiString;
    default:
      return ValueType::Other;
  }
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return Fold(x) == Fold(y); });
}

bool NoCaseLess::operator()(const std::string& a, const std::string& b) const {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(Fold(x)) < static_cast<unsigned char>(Fold(y));
  });
}

std::vector<std::string> SplitKeyPath(std::string_view path) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string_view::npos) end = path.size();
    if (end > start) parts.emplace_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

std::string NormalizeKeyPath(std::string_view path) {
  std::string out;
  for (const std::string& part : SplitKeyPath(path)) {
    if (!out.empty()) out += '\\';
    out += part;
  }
  return out;
}

std::vector<uint8_t> EncodeString(std::string_view text) {
  std::vector<uint8_t> data(text.begin(), text.end());
  data.push_back(0);
  return data;
}

std::string DecodeString(const std::vector<uint8_t>& data) {
  auto end = std::find(data.begin(), data.end(), uint8_t{0});
  return std::string(data.begin(), end);
}

bool EncodeMultiString(const std::vector<std::string>& list, std::vector<uint8_t>& data) {
  data.clear();
  for (const std::string& s : list) {
    if (s.empty() || s.find('\0') != std::string::npos) return false;
    data.insert(data.end(), s.begin(), s.end());
    data.push_back(0);
  }
  data.push_back(0);
  return true;
}

std::vector<std::string> DecodeMultiString(const std::vector<uint8_t>& data) {
  std::vector<std::string> list;
  auto it = data.begin();
  while (it != data.end() && *it != 0) {
    auto end = std::find(it, data.end(), uint8_t{0});
    list.emplace_back(it, end);
    it = end == data.end() ? end : end + 1;
  }
  return list;
}

std::vector<uint8_t> EncodeDWord(uint32_t value) {
  return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
          static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
}

bool DecodeDWord(const std::vector<uint8_t>& data, uint32_t& value) {
  if (data.size() != 4) return false;
  value = Le32(data.data());
  return true;
}

}  // namespace vantorel::platform
