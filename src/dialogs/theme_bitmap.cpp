#include "dialogs/theme_bitmap.h"

#include <array>
#include <cstdlib>

namespace vantorel {

namespace {

// The standard 16-colour palette, as RGB.
constexpr std::array<uint32_t, 16> kPalette = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
enum : uint8_t {
  kBlack = 0,
  kOlive = 3,
  kNavy = 4,
  kTeal = 6,
  kSilver = 7,
  kGray = 8,
  kYellow = 11,
  kBlue = 12,
  kAqua = 14,
  kWhite = 15,
};

using Canvas = std::array<std::array<uint8_t, kThemeBitmapWidth>, kThemeBitmapHeight>;

void Put(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// A night-blue sky that lightens downwards, a few stars, and a carton standing on a disc: the
// package being unpacked.
Canvas Draw() {
  static constexpr int kBayer[4][4] = {
      {0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
  Canvas c{};
  for (int y = 0; y < kThemeBitmapHeight; ++y)
    for (int x = 0; x < kThemeBitmapWidth; ++x) {
      const int level = y * 17 / kThemeBitmapHeight;  // 0..16
      c[y][x] = level > kBayer[y % 4][x % 4] ? kBlue : kNavy;
    }
  const int stars[][2] = {{14, 20}, {80, 12}, {100, 46}, {36, 58}, {62, 30}, {22, 96}, {92, 88}};
  for (const auto& s : stars) {
    c[s[1]][s[0]] = kWhite;
    c[s[1] - 1][s[0]] = kSilver;
    c[s[1] + 1][s[0]] = kSilver;
    c[s[1]][s[0] - 1] = kSilver;
    c[s[1]][s[0] + 1] = kSilver;
  }
  // The disc the carton stands on.
  const int disc_x = 58, disc_y = 232;
  for (int y = disc_y - 16; y <= disc_y + 16; ++y)
    for (int x = 4; x < kThemeBitmapWidth - 4; ++x) {
      const int dx = x - disc_x, dy = (y - disc_y) * 3;
      const int d = dx * dx + dy * dy;
      if (d <= 50 * 50) c[y][x] = d <= 46 * 46 ? (dy < 0 ? kAqua : kTeal) : kWhite;
    }
  // The carton: front face, lid and side.
  const int left = 30, right = 78, top = 170, bottom = 226;
  for (int y = top; y <= bottom; ++y)
    for (int x = left; x <= right; ++x)
      c[y][x] = (x == left || x == right || y == top || y == bottom) ? kBlack : kYellow;
  for (int d = 1; d <= 14; ++d) {
    for (int x = left + d; x <= right + d; ++x)
      c[top - d][x] = (d == 14 || x == left + d) ? kBlack : kOlive;
    for (int y = top - d; y <= bottom - d; ++y)
      c[y][right + d] = (d == 14 || y == bottom - d) ? kBlack : kOlive;
  }
  // Tape across the front, and an arrow rising out of the open lid.
  for (int y = top + 1; y < bottom; ++y) c[y][(left + right) / 2] = kOlive;
  for (int y = 112; y < 150; ++y)
    for (int x = 58; x < 66; ++x) c[y][x] = kWhite;
  for (int r = 0; r < 14; ++r)
    for (int x = 62 - r; x < 62 + r; ++x) c[98 + r][x] = kWhite;
  for (int x = 0; x < kThemeBitmapWidth; ++x) c[kThemeBitmapHeight - 1][x] = kGray;
  return c;
}

std::vector<uint8_t> Encode(const Canvas& c) {
  const int row_bytes = ((kThemeBitmapWidth + 1) / 2 + 3) / 4 * 4;
  const uint32_t pixels = 14 + 40 + 16 * 4;
  const uint32_t image_size = static_cast<uint32_t>(row_bytes * kThemeBitmapHeight);
  std::vector<uint8_t> out;
  out.reserve(pixels + image_size);
  out.push_back('B');
  out.push_back('M');
  Put(out, pixels + image_size, 4);
  Put(out, 0, 4);
  Put(out, pixels, 4);
  Put(out, 40, 4);
  Put(out, kThemeBitmapWidth, 4);
  Put(out, kThemeBitmapHeight, 4);
  Put(out, 1, 2);  // planes
  Put(out, 4, 2);  // bits per pixel
  Put(out, 0, 4);  // BI_RGB
  Put(out, image_size, 4);
  Put(out, 2835, 4);  // 72 dpi
  Put(out, 2835, 4);
  Put(out, 16, 4);
  Put(out, 16, 4);
  for (uint32_t rgb : kPalette) {
    out.push_back(static_cast<uint8_t>(rgb));        // blue
    out.push_back(static_cast<uint8_t>(rgb >> 8));   // green
    out.push_back(static_cast<uint8_t>(rgb >> 16));  // red
    out.push_back(0);
  }
  for (int y = kThemeBitmapHeight - 1; y >= 0; --y) {
    std::vector<uint8_t> row(static_cast<size_t>(row_bytes), 0);
    for (int x = 0; x < kThemeBitmapWidth; ++x)
      row[static_cast<size_t>(x / 2)] |= static_cast<uint8_t>(x % 2 == 0 ? c[y][x] << 4 : c[y][x]);
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

}  // namespace

const std::vector<uint8_t>& InstallThemeBitmap() {
  static const std::vector<uint8_t> bytes = Encode(Draw());
  return bytes;
}

}  // namespace vantorel
