// The dialogs' picture as the Windows programs carry it: a BITMAP resource.
#include "dialogs/theme_bitmap.h"
#include "platform/resources.h"

namespace vantorel {

std::vector<uint8_t> LoadInstallThemeBitmap() {
  std::vector<uint8_t> resource;
  if (platform::LoadResourceData(platform::ResourceType::Bitmap, kThemeBitmapResource, resource)) {
    std::vector<uint8_t> file = BitmapFileFromResource(resource);
    if (!file.empty()) return file;
  }
  return InstallThemeBitmap();
}

std::vector<uint8_t> BitmapFileFromResource(const std::vector<uint8_t>& resource) {
  auto get = [&](size_t at, int bytes) {
    uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = value << 8 | resource[at + static_cast<size_t>(i)];
    return value;
  };
  if (resource.size() < 12) return {};
  const uint32_t header = get(0, 4);
  uint64_t palette = 0;  // bytes between the header and the pixels
  if (header == 12) {    // the OS/2 core header: 3-byte palette entries
    const uint32_t bits = get(10, 2);
    if (bits <= 8) palette = 3ull << bits;
  } else if (header >= 40 && resource.size() >= 40) {
    const uint32_t bits = get(14, 2), compression = get(16, 4), used = get(32, 4);
    palette = 4ull * (used != 0 ? used : bits <= 8 ? 1u << bits : 0u);
    if (header == 40 && (compression == 3 || compression == 6))  // the colour masks follow
      palette += compression == 3 ? 12 : 16;
  } else {
    return {};
  }
  const uint64_t pixels = 14 + header + palette;
  if (pixels > 14 + resource.size()) return {};
  std::vector<uint8_t> file;
  file.reserve(14 + resource.size());
  auto put = [&file](uint32_t value) {
    for (int i = 0; i < 4; ++i) file.push_back(static_cast<uint8_t>(value >> (8 * i)));
  };
  file.push_back('B');
  file.push_back('M');
  put(static_cast<uint32_t>(14 + resource.size()));
  put(0);
  put(static_cast<uint32_t>(pixels));
  file.insert(file.end(), resource.begin(), resource.end());
  return file;
}

}  // namespace vantorel
