#pragma once
// A 24-bit picture held in the layout Windows draws from directly (a bottom-up DIB), so painting
// needs no conversion and assigning a picture is a plain copy.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace platform {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bits;  // B,G,R per pixel; rows bottom-up, each padded to 4 bytes

    [[nodiscard]] static int StrideFor(int width) { return (width * 3 + 3) & ~3; }
    [[nodiscard]] int Stride() const { return StrideFor(width); }
    [[nodiscard]] bool Empty() const { return width <= 0 || height <= 0; }
    // (x, y) counted from the top-left pixel, as a viewer sees it. Precondition: inside the picture.
    [[nodiscard]] Rgb PixelAt(int x, int y) const;
    void SetPixel(int x, int y, Rgb colour);
    // The colour a transparent picture control leaves out.
    [[nodiscard]] Rgb BottomLeft() const { return PixelAt(0, height - 1); }

    friend bool operator==(const Picture&, const Picture&) = default;
};

[[nodiscard]] Picture MakePicture(int width, int height, Rgb fill);

// Reads an uncompressed 24-bit BMP (file header included), bottom-up rows, no palette.
// Anything else gives nothing: the launcher ships only such pictures.
[[nodiscard]] std::optional<Picture> ParseBmp(std::span<const std::uint8_t> file);

// Writes the same format, for tools and tests.
[[nodiscard]] std::vector<std::uint8_t> EncodeBmp(const Picture& picture);

}  // namespace platform
