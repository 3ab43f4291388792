// The helpers over VerQueryValue, the same for both backends.
#include "platform/byte_order.h"
#include "platform/version.h"

namespace vantorel::platform {

bool VerQueryFixedFileInfo(const std::vector<uint8_t>& block, FixedFileInfo& info) {
  std::vector<uint8_t> value;
  if (!VerQueryValue(block, "\\", value) || value.size() < kFixedFileInfoSize) return false;
  uint32_t* fields[] = {&info.signature,       &info.struc_version,      &info.file_version_ms,
                        &info.file_version_ls, &info.product_version_ms, &info.product_version_ls,
                        &info.file_flags_mask, &info.file_flags,         &info.file_os,
                        &info.file_type,       &info.file_subtype,       &info.file_date_ms,
                        &info.file_date_ls};
  for (size_t i = 0; i < std::size(fields); ++i) *fields[i] = Le32(value.data() + 4 * i);
  return info.signature == kFixedFileInfoSignature;
}

bool VerQueryText(const std::vector<uint8_t>& block, const std::string& sub_block,
                  std::string& text) {
  std::vector<uint8_t> value;
  if (!VerQueryValue(block, sub_block, value)) return false;
  size_t length = 0;
  while (length < value.size() && value[length] != 0) ++length;
  text.assign(value.begin(), value.begin() + length);
  return true;
}

}  // namespace vantorel::platform
