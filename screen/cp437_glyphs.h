// The code page 437 character set as 8x16 bitmaps: row 0 at the top, bit 7 the
// leftmost pixel.
#pragma once

#include <array>
#include <cstdint>

namespace screen {

inline constexpr int glyph_width = 8;
inline constexpr int glyph_height = 16;
using glyph_rows = std::array<std::uint8_t, glyph_height>;

extern const std::array<glyph_rows, 256> cp437_glyphs;

}  // namespace screen
