// The queries over a version block (VS_VERSIONINFO) that the PE reader hands out, on the block
// alone: the root, the translations, and the string table of every translation it lists. The
// input is the block.
#include <cstdio>

#include "platform/version.h"
#include "support.h"

namespace {

void Query(const std::vector<uint8_t>& block, const std::string& path) {
  std::vector<uint8_t> value;
  if (vantorel::platform::VerQueryValue(block, path, value) && value.size() > block.size()) {
    vantorel::fuzz::Finding("the value of " + path + " is larger than its block");
  }
  std::string text;
  vantorel::platform::VerQueryText(block, path, text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vantorel;
  const std::vector<uint8_t> block(data, data + size);
  platform::FixedFileInfo fixed;
  platform::VerQueryFixedFileInfo(block, fixed);
  for (const char* path : {"\\", "\\VarFileInfo", "\\\\StringFileInfo\\", "\\a\\b\\c\\d\\e"}) {
    Query(block, path);
  }

  std::vector<uint8_t> translations;
  if (platform::VerQueryValue(block, "\\VarFileInfo\\Translation", translations)) {
    // At most a few: each pair costs a walk of the block.
    for (size_t at = 0; at + 4 <= translations.size() && at < 4 * 8; at += 4) {
      char prefix[32];
      std::snprintf(prefix, sizeof prefix, "\\StringFileInfo\\%02X%02X%02X%02X\\",
                    translations[at + 1], translations[at], translations[at + 3],
                    translations[at + 2]);
      for (const char* key : {"FileVersion", "CompanyName", "ProductVersion"}) {
        Query(block, prefix + std::string(key));
      }
    }
  }
  return 0;
}
