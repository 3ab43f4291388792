#pragma once
// The picture of the install dialogs (the resource INSTALLTHEME1): 117 x 290 pixels, 16 colours,
// drawn by code so that the program carries no binary that was not built from source.
#include <cstdint>
#include <vector>

namespace vantorel {

inline constexpr int kThemeBitmapWidth = 117;
inline constexpr int kThemeBitmapHeight = 290;

// A complete .bmp file (file header, info header, 16-entry palette, 4-bit rows bottom-up).
const std::vector<uint8_t>& InstallThemeBitmap();

}  // namespace vantorel
