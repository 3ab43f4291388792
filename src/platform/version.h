#pragma once
// Version information of program files: the GetFileVersionInfoSizeA / GetFileVersionInfoA /
// VerQueryValueA trio. The win32 backend is the system's own; the posix backend reads the
// RT_VERSION resource of a PE file itself, so the native builder sees the same values.
#include <cstdint>
#include <string>
#include <vector>

namespace vantorel::platform {

// VS_FIXEDFILEINFO, the value of the root block "\".
struct FixedFileInfo {
  uint32_t signature = 0;  // 0xFEEF04BD
  uint32_t struc_version = 0;
  uint32_t file_version_ms = 0;
  uint32_t file_version_ls = 0;
  uint32_t product_version_ms = 0;
  uint32_t product_version_ls = 0;
  uint32_t file_flags_mask = 0;
  uint32_t file_flags = 0;
  uint32_t file_os = 0;
  uint32_t file_type = 0;
  uint32_t file_subtype = 0;
  uint32_t file_date_ms = 0;
  uint32_t file_date_ls = 0;
};
inline constexpr size_t kFixedFileInfoSize = 52;
inline constexpr uint32_t kFixedFileInfoSignature = 0xFEEF04BD;

// The size of a buffer that holds `path`'s version information; 0 when the file has none (or is
// missing, or is not a program file).
uint32_t GetFileVersionInfoSize(const std::string& path);

// Reads the version information of `path` into `block`, which is resized to `size` (the result
// of GetFileVersionInfoSize). False when the file has none.
bool GetFileVersionInfo(const std::string& path, uint32_t size, std::vector<uint8_t>& block);

// The value of `sub_block` in a block from GetFileVersionInfo, as VerQueryValueA gives it: "\" is
// the VS_FIXEDFILEINFO, "\VarFileInfo\Translation" the language and code-page pairs,
// "\StringFileInfo\040904E4\FileVersion" a text in the ANSI code page (with its terminating zero
// when the resource counts one). Keys compare without regard to case. False when absent.
bool VerQueryValue(const std::vector<uint8_t>& block, const std::string& sub_block,
                   std::vector<uint8_t>& value);

// Convenience over VerQueryValue: the root block decoded; false when it is absent or too short
// or does not carry the signature.
bool VerQueryFixedFileInfo(const std::vector<uint8_t>& block, FixedFileInfo& info);
// Convenience over VerQueryValue: a text value up to its first zero.
bool VerQueryText(const std::vector<uint8_t>& block, const std::string& sub_block,
                  std::string& text);

}  // namespace vantorel::platform
