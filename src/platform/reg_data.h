#pragma once
// Registry value data as the system stores it (type number and raw bytes) and the key-path and
// name rules shared by both registry backends.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace vantorel::platform {

// The system's value type numbers.
enum : uint32_t {
  kRegNone = 0,
  kRegSz = 1,
  kRegExpandSz = 2,
  kRegBinary = 3,
  kRegDWord = 4,
  kRegMultiSz = 7,
};

ValueType ValueTypeOf(uint32_t type);

// Registry names compare without regard to case (ASCII letters; the 8-bit characters above
// 127 compare as they are).
bool EqualNoCase(std::string_view a, std::string_view b);
struct NoCaseLess {
  bool operator()(const std::string& a, const std::string& b) const;
};

// The non-empty components of a key path: leading, trailing and doubled "\" are dropped.
std::vector<std::string> SplitKeyPath(std::string_view path);
// The components joined with "\", the form the system's key calls take.
std::string NormalizeKeyPath(std::string_view path);

// A string as REG_SZ data: its bytes and one terminating NUL.
std::vector<uint8_t> EncodeString(std::string_view text);
// The text of REG_SZ data: up to the first NUL (data written without one is taken whole).
std::string DecodeString(const std::vector<uint8_t>& data);
// Each string and its NUL, then the closing NUL. An empty string in the list would end the list
// early when read back, so it is refused (false).
bool EncodeMultiString(const std::vector<std::string>& list, std::vector<uint8_t>& data);
std::vector<std::string> DecodeMultiString(const std::vector<uint8_t>& data);
std::vector<uint8_t> EncodeDWord(uint32_t value);
// False unless the data is exactly four bytes.
bool DecodeDWord(const std::vector<uint8_t>& data, uint32_t& value);

}  // namespace vantorel::platform
