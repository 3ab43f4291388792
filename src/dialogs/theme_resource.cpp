// The dialogs' picture as the Windows programs carry it: a BITMAP resource.
#include "dialogs/theme_bitmap.h"
#include "platform/byte_order.h"
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
  using platform::Le16;
  using platform::Le32;
  const uint8_t* r = resource.data();
  if (resource.size() < 12) return {};
  const uint32_t header = Le32(r);
  uint64_t palette = 0;  // bytes between the header and the pixels
  if (header == 12) {    // the OS/2 core header: 3-byte palette entries
    const uint32_t bits = Le16(r + 10);
    if (bits <= 8) palette = 3ull << bits;
  } else if (header >= 40 && resource.size() >= 40) {
    const uint32_t bits = Le16(r + 14), compression = Le32(r + 16), used = Le32(r + 32);
    palette = 4ull * (used != 0 ? used : bits <= 8 ? 1u << bits : 0u);
    if (header == 40 && (compression == 3 || compression == 6))  // the colour masks follow
      palette += compression == 3 ? 12 : 16;
  } else {
    return {};
  }
  const uint64_t pixels = 14 + header + palette;
  if (pixels > 14 + resource.size()) return {};
  std::vector<uint8_t> file(14);
  file[0] = 'B';
  file[1] = 'M';
  platform::PutLe32(&file[2], static_cast<uint32_t>(14 + resource.size()));
  platform::PutLe32(&file[10], static_cast<uint32_t>(pixels));
  file.insert(file.end(), resource.begin(), resource.end());
  return file;
}

}  // namespace vantorel
