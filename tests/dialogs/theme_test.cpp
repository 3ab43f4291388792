// The dialogs' picture: its drawing, and the BITMAP resource the Windows programs carry.
#include <gtest/gtest.h>

#include "dialogs/theme_bitmap.h"
#include "platform/byte_order.h"
#include "platform/resources.h"

namespace vantorel {
namespace {

uint32_t Dword(const std::vector<uint8_t>& b, size_t at) {
  return platform::Le32(b.data() + at);
}

// The bytes of a BITMAP resource: a header of `header` bytes with the given fields, then `rest`
// bytes of palette and pixels.
std::vector<uint8_t> Resource(uint32_t header, uint16_t bits, uint32_t compression, uint32_t used,
                              size_t rest) {
  std::vector<uint8_t> b(header + rest, 0);
  auto put = [&](size_t at, uint32_t v, int n) {
    for (int i = 0; i < n; ++i) b[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> 8 * i);
  };
  put(0, header, 4);
  if (header == 12) {
    put(10, bits, 2);
  } else {
    put(14, bits, 2);
    put(16, compression, 4);
    put(32, used, 4);
  }
  return b;
}

// A resource holds the bitmap without its file header; the header made for it must point at the
// pixels past whatever palette or colour masks the header kind implies.
TEST(ThemeBitmap, FileHeaderForResourceBytes) {
  struct Case {
    const char* what;
    std::vector<uint8_t> resource;
    uint32_t pixels;  // 0: no bitmap
  } cases[] = {
      {"core header, 8 bits: 3-byte entries", Resource(12, 8, 0, 0, 800), 14 + 12 + 768},
      {"core header, 24 bits", Resource(12, 24, 0, 0, 30), 14 + 12},
      {"info header, 4 bits", Resource(40, 4, 0, 0, 100), 14 + 40 + 64},
      {"info header, 8 bits, 2 colours used", Resource(40, 8, 0, 2, 100), 14 + 40 + 8},
      {"info header, 24 bits", Resource(40, 24, 0, 0, 12), 14 + 40},
      {"info header, 16 bits with colour masks", Resource(40, 16, 3, 0, 20), 14 + 40 + 12},
      {"info header, 32 bits with alpha mask", Resource(40, 32, 6, 0, 20), 14 + 40 + 16},
      {"version 5 header: masks inside it", Resource(124, 32, 3, 0, 16), 14 + 124},
      {"too short for any header", std::vector<uint8_t>(11, 12), 0},
      {"unknown header size", Resource(20, 8, 0, 0, 40), 0},
      {"palette beyond the data", Resource(40, 8, 0, 0, 100), 0},
      {"colours used beyond the data", Resource(40, 24, 0, 0xFFFFFFFF, 100), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<uint8_t> file = BitmapFileFromResource(c.resource);
    if (c.pixels == 0) {
      EXPECT_TRUE(file.empty());
      continue;
    }
    ASSERT_EQ(file.size(), 14 + c.resource.size());
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(Dword(file, 2), file.size());
    EXPECT_EQ(Dword(file, 6), 0u);
    EXPECT_EQ(Dword(file, 10), c.pixels);
    EXPECT_TRUE(std::equal(c.resource.begin(), c.resource.end(), file.begin() + 14));
  }
  // The drawing itself survives the trip through a resource byte for byte.
  const std::vector<uint8_t>& drawn = InstallThemeBitmap();
  EXPECT_EQ(BitmapFileFromResource(std::vector<uint8_t>(drawn.begin() + 14, drawn.end())), drawn);
}

TEST(ThemeBitmap, ProgramsStartWithTheirResource) {
  std::vector<uint8_t> resource;
  bool carried =
      platform::LoadResourceData(platform::ResourceType::Bitmap, kThemeBitmapResource, resource);
#ifdef _WIN32
  // The dialogs library brings the resource written from the drawing into every program.
  ASSERT_TRUE(carried);
  EXPECT_EQ(BitmapFileFromResource(resource), InstallThemeBitmap());
#else
  EXPECT_FALSE(carried) << "posix programs carry no resources";
#endif
  EXPECT_EQ(LoadInstallThemeBitmap(), InstallThemeBitmap());
  EXPECT_FALSE(
      platform::LoadResourceData(platform::ResourceType::Bitmap, "NOSUCHBITMAP", resource));
}

}  // namespace
}  // namespace vantorel
