#pragma once
// The picture of the install dialogs (the resource INSTALLTHEME1): 117 x 290 pixels, 16 colours,
// drawn by code so that the program carries no binary that was not built from source. The
// Windows programs carry it as a BITMAP resource written from this drawing at build time, so that
// a publisher can put a picture of their own in its place with any resource editor.
#include <cstdint>
#include <vector>

namespace vantorel {

inline constexpr int kThemeBitmapWidth = 117;
inline constexpr int kThemeBitmapHeight = 290;
inline constexpr char kThemeBitmapResource[] = "INSTALLTHEME1";

// The drawing as a complete .bmp file (file header, info header, 16-entry palette, 4-bit rows
// bottom-up).
const std::vector<uint8_t>& InstallThemeBitmap();

// The picture the install component starts with: the program's INSTALLTHEME1 resource, or the
// drawing where the program carries none (the posix programs, test programs).
std::vector<uint8_t> LoadInstallThemeBitmap();

// A .bmp file made of the bytes of a BITMAP resource, which lack the 14-byte file header; empty
// when the bytes are not a bitmap the header can be made for.
std::vector<uint8_t> BitmapFileFromResource(const std::vector<uint8_t>& resource);

}  // namespace vantorel
