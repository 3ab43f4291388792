// Version information read from the file's own PE resources: the native builder has no system
// service for it.
#include "platform/version.h"

#include <algorithm>

#include "platform/errors.h"
#include "platform/files.h"
#include "platform/pe_version.h"

namespace vantorel::platform {
namespace {
bool ReadBlock(const std::string& path, std::vector<uint8_t>& block) {
  File file = File::Open(path, Access::Read, kShareRead | kShareWrite, Disposition::OpenExisting);
  if (!file.IsOpen()) return false;
  if (!ReadPeVersionResource(file, block)) {
    SetLastError(kErrorBadFormat);
    return false;
  }
  return true;
}
}  // namespace

uint32_t GetFileVersionInfoSize(const std::string& path) {
  std::vector<uint8_t> block;
  return ReadBlock(path, block) ? static_cast<uint32_t>(block.size()) : 0;
}

bool GetFileVersionInfo(const std::string& path, uint32_t size, std::vector<uint8_t>& block) {
  std::vector<uint8_t> read;
  if (!ReadBlock(path, read)) return false;
  // As the system does: the caller's size bounds the copy, the rest stays zero.
  block.assign(size, 0);
  std::copy_n(read.begin(), std::min<size_t>(size, read.size()), block.begin());
  return true;
}

bool VerQueryValue(const std::vector<uint8_t>& block, const std::string& sub_block,
                   std::vector<uint8_t>& value) {
  return QueryVersionBlock(block, sub_block, value);
}

}  // namespace vantorel::platform
