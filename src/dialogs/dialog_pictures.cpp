#include "dialogs/dialog_pictures.h"

#include <array>
#include <cstring>
#include <string>

namespace vantorel {

namespace {

// The standard 16-colour palette, as RGB, and the letter each colour has in the rows.
constexpr std::array<uint32_t, 16> kPalette = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
constexpr char kLetters[] = "kmGonpt.grlybfaw";

uint8_t IndexOf(char letter) {
  const char* at = std::strchr(kLetters, letter);
  return at == nullptr || letter == '\0' ? 7 : static_cast<uint8_t>(at - kLetters);
}

void Put(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// A drawing surface of palette letters; '.' (silver) is the background, which the windows
// treat as transparent (the lower-left pixel's colour).
class Sketch {
 public:
  Sketch(int width, int height) : rows_(height, std::string(width, '.')) {}
  void Dot(int x, int y, char c) {
    if (y >= 0 && y < static_cast<int>(rows_.size()) && x >= 0 &&
        x < static_cast<int>(rows_[0].size()))
      rows_[y][x] = c;
  }
  void Fill(int x0, int y0, int x1, int y1, char c) {
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x) Dot(x, y, c);
  }
  void Frame(int x0, int y0, int x1, int y1, char c) {
    for (int x = x0; x <= x1; ++x) Dot(x, y0, c), Dot(x, y1, c);
    for (int y = y0; y <= y1; ++y) Dot(x0, y, c), Dot(x1, y, c);
  }
  void Disc(int cx, int cy, int r, char c) {
    for (int y = cy - r; y <= cy + r; ++y)
      for (int x = cx - r; x <= cx + r; ++x)
        if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r + r / 2) Dot(x, y, c);
  }
  std::vector<uint8_t> Bitmap() const {
    std::vector<const char*> rows;
    for (const auto& r : rows_) rows.push_back(r.c_str());
    return BitmapFromRows(rows);
  }

 private:
  std::vector<std::string> rows_;
};

// A screen with its base: the computers of the transfer picture.
void Computer(Sketch& s, int x, int y) {
  s.Fill(x, y, x + 12, y + 9, 'k');
  s.Fill(x + 1, y + 1, x + 11, y + 8, 'n');
  s.Fill(x + 2, y + 2, x + 10, y + 7, 'b');
  s.Dot(x + 3, y + 3, 'a');
  s.Dot(x + 4, y + 3, 'a');
  s.Fill(x + 4, y + 10, x + 8, y + 11, 'g');
  s.Fill(x + 1, y + 12, x + 11, y + 13, 'k');
  s.Fill(x + 2, y + 12, x + 10, y + 12, 'w');
}

}  // namespace

std::vector<uint8_t> BitmapFromRows(const std::vector<const char*>& rows) {
  const int height = static_cast<int>(rows.size());
  const int width = height == 0 ? 0 : static_cast<int>(std::strlen(rows[0]));
  const int stride = (width * 4 + 31) / 32 * 4;
  const uint32_t pixels = 14 + 40 + 16 * 4;
  std::vector<uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  Put(out, pixels + static_cast<uint32_t>(stride * height), 4);
  Put(out, 0, 4);
  Put(out, pixels, 4);
  Put(out, 40, 4);
  Put(out, static_cast<uint32_t>(width), 4);
  Put(out, static_cast<uint32_t>(height), 4);
  Put(out, 1, 2);
  Put(out, 4, 2);
  Put(out, 0, 4);
  Put(out, static_cast<uint32_t>(stride * height), 4);
  Put(out, 2835, 4);
  Put(out, 2835, 4);
  Put(out, 16, 4);
  Put(out, 0, 4);
  for (uint32_t rgb : kPalette) Put(out, rgb, 4);  // blue, green, red, 0: RGB little-endian
  for (int y = height - 1; y >= 0; --y) {
    std::vector<uint8_t> row(static_cast<size_t>(stride), 0);
    for (int x = 0; x < width; ++x) {
      uint8_t index = IndexOf(rows[y][x]);
      row[static_cast<size_t>(x / 2)] |= x % 2 == 0 ? index << 4 : index;
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

const std::vector<uint8_t>& CancelGlyph() {
  static const std::vector<uint8_t> glyph = [] {
    Sketch s(32, 16);
    // A red cross, and the same cross in grey for a disabled button.
    for (int i = 0; i < 10; ++i)
      for (int w = 0; w < 2; ++w) {
        s.Dot(3 + i + w, 3 + i, 'r');
        s.Dot(12 - i + w, 3 + i, 'r');
        s.Dot(16 + 3 + i + w, 3 + i, 'g');
        s.Dot(16 + 12 - i + w, 3 + i, 'g');
      }
    for (int i = 0; i < 10; ++i) {
      s.Dot(3 + i + 2, 3 + i, 'm');
      s.Dot(16 + 3 + i + 2, 3 + i, 'w');
    }
    return s.Bitmap();
  }();
  return glyph;
}

const std::vector<uint8_t>& ExtractPicture() {
  static const std::vector<uint8_t> picture = [] {
    Sketch s(36, 37);
    // An open carton with a sheet of paper coming out of it.
    s.Fill(13, 2, 24, 17, 'k');
    s.Fill(14, 3, 23, 16, 'w');
    for (int y = 5; y <= 13; y += 2) s.Fill(16, y, 21, y, 'g');
    s.Fill(5, 15, 31, 35, 'k');
    s.Fill(6, 16, 30, 34, 'o');
    s.Fill(6, 16, 30, 19, 'y');
    s.Fill(17, 20, 19, 34, 'y');
    s.Fill(2, 12, 8, 15, 'o');
    s.Frame(1, 11, 8, 15, 'k');
    s.Fill(28, 12, 34, 15, 'o');
    s.Frame(28, 11, 35, 15, 'k');
    return s.Bitmap();
  }();
  return picture;
}

const std::vector<uint8_t>& TransferPicture() {
  static const std::vector<uint8_t> picture = [] {
    Sketch s(37, 36);
    Computer(s, 1, 2);
    Computer(s, 23, 20);
    // The wire between them, with the data on its way.
    s.Fill(7, 16, 8, 27, 'k');
    s.Fill(7, 26, 22, 27, 'k');
    for (int x = 10; x <= 20; x += 4) s.Fill(x, 24, x + 1, 25, 'r');
    return s.Bitmap();
  }();
  return picture;
}

const std::vector<uint8_t>& InformationPicture() {
  static const std::vector<uint8_t> picture = [] {
    Sketch s(32, 32);
    s.Disc(15, 15, 14, 'k');
    s.Disc(15, 15, 13, 'b');
    s.Disc(15, 15, 11, 'b');
    s.Fill(14, 7, 17, 9, 'w');
    s.Fill(14, 12, 17, 23, 'w');
    s.Fill(12, 12, 13, 13, 'w');
    s.Fill(12, 22, 19, 23, 'w');
    return s.Bitmap();
  }();
  return picture;
}

}  // namespace vantorel
