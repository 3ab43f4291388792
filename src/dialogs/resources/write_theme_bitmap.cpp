// Build tool of the win64 tree, compiled for and run on the build machine: writes the drawing of
// the install dialogs' picture as the .bmp file that the resource script compiles in.
//   write_theme_bitmap OUTPUT.bmp
#include <cstdio>

#include "dialogs/theme_bitmap.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: write_theme_bitmap OUTPUT.bmp\n");
    return 2;
  }
  const std::vector<uint8_t>& bmp = vantorel::InstallThemeBitmap();
  std::FILE* out = std::fopen(argv[1], "wb");
  bool ok = out != nullptr && std::fwrite(bmp.data(), 1, bmp.size(), out) == bmp.size();
  if (out != nullptr && std::fclose(out) != 0) ok = false;
  if (!ok) {
    std::perror(argv[1]);
    std::remove(argv[1]);
    return 1;
  }
  return 0;
}
