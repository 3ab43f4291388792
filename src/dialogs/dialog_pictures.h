#pragma once
// The small pictures of the install forms, drawn by code like the theme picture so that the
// programs carry no binary that was not built from source: the Cancel glyph, the extraction and
// transfer pictures of the copy form and the information sign of the status window.
#include <cstdint>
#include <vector>

namespace vantorel {

// A 16-colour .bmp file made from rows of palette letters (see dialog_pictures.cpp); every row
// must be as long as the first.
std::vector<uint8_t> BitmapFromRows(const std::vector<const char*>& rows);

// Two glyphs side by side, 16 x 16 each: enabled and greyed.
const std::vector<uint8_t>& CancelGlyph();
// A box being unpacked, 36 x 37.
const std::vector<uint8_t>& ExtractPicture();
// Two computers and a wire, 37 x 36.
const std::vector<uint8_t>& TransferPicture();
// An "i" in a blue circle, 32 x 32.
const std::vector<uint8_t>& InformationPicture();

}  // namespace vantorel
