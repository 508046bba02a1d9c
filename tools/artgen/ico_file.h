#pragma once
// Writes a Windows icon file whose images are DIBs with AND masks, the form resource compilers
// embed unchanged and every Windows version draws.
#include <cstdint>
#include <vector>

#include "canvas.h"

namespace artgen {

struct IconImage {
    const Canvas* image = nullptr;  // ARGB32, square, at most 255 pixels; not owned
    int bitsPerPixel = 32;          // 8 (palette), 24, or 32 (with alpha)
};

// Pixels less than half opaque are transparent in the AND mask (all depths) and black in the
// colour bits of 8- and 24-bit images; 32-bit images keep their alpha as well.
// Throws std::invalid_argument for an unsupported depth or size.
[[nodiscard]] std::vector<std::uint8_t> EncodeIco(const std::vector<IconImage>& images);

// Reduces colours to at most `maxColours` by median cut, each weighted by how often it occurs.
// The palette is ordered; the same input always gives the same palette.
[[nodiscard]] std::vector<Rgb> MedianCutPalette(const std::vector<Rgb>& pixels, std::size_t maxColours);

// The index of the palette entry nearest to `colour` (squared distance, lowest index on a tie).
[[nodiscard]] std::size_t NearestIndex(const std::vector<Rgb>& palette, Rgb colour);

}  // namespace artgen
