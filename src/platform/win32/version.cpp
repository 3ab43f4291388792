#include "platform/version.h"

#include "platform/win32/windows_api.h"

// Our functions share their names with these macros of windows.h.
#undef GetFileVersionInfoSize
#undef GetFileVersionInfo
#undef VerQueryValue

#include <algorithm>

namespace vantorel::platform {

uint32_t GetFileVersionInfoSize(const std::string& path) {
  DWORD handle = 0;
  return ::GetFileVersionInfoSizeA(path.c_str(), &handle);
}

bool GetFileVersionInfo(const std::string& path, uint32_t size, std::vector<uint8_t>& block) {
  block.assign(size, 0);
  if (size == 0) return false;
  return ::GetFileVersionInfoA(path.c_str(), 0, size, block.data()) != FALSE;
}

bool VerQueryValue(const std::vector<uint8_t>& block, const std::string& sub_block,
                   std::vector<uint8_t>& value) {
  value.clear();
  if (block.empty()) return false;
  // VerQueryValueA converts texts into the spare room of the block it is given, so it works on a
  // copy and the caller's block stays as read.
  std::vector<uint8_t> scratch(block);
  void* data = nullptr;
  UINT length = 0;
  if (!::VerQueryValueA(scratch.data(), sub_block.c_str(), &data, &length)) return false;
  const auto* begin = static_cast<const uint8_t*>(data);
  const uint8_t* limit = scratch.data() + scratch.size();
  if (begin == nullptr || begin < scratch.data() || begin > limit) return false;
  value.assign(begin, begin + std::min<size_t>(length, limit - begin));
  return true;
}

}  // namespace vantorel::platform
