#include "platform/picture.h"

#include <cstring>

namespace platform {
namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;

std::uint32_t ReadU32(std::span<const std::uint8_t> data, std::size_t at) {
    return static_cast<std::uint32_t>(data[at]) | static_cast<std::uint32_t>(data[at + 1]) << 8 |
           static_cast<std::uint32_t>(data[at + 2]) << 16 | static_cast<std::uint32_t>(data[at + 3]) << 24;
}

std::uint16_t ReadU16(std::span<const std::uint8_t> data, std::size_t at) {
    return static_cast<std::uint16_t>(data[at] | data[at + 1] << 8);
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void PutU16(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

std::size_t Offset(const Picture& picture, int x, int y) {
    const int row = picture.height - 1 - y;  // stored bottom-up
    return static_cast<std::size_t>(row) * static_cast<std::size_t>(picture.Stride()) +
           static_cast<std::size_t>(x) * 3;
}

}  // namespace

Rgb Picture::PixelAt(int x, int y) const {
    const std::size_t at = Offset(*this, x, y);
    return Rgb{bits[at + 2], bits[at + 1], bits[at]};
}

void Picture::SetPixel(int x, int y, Rgb colour) {
    const std::size_t at = Offset(*this, x, y);
    bits[at] = colour.b;
    bits[at + 1] = colour.g;
    bits[at + 2] = colour.r;
}

Picture MakePicture(int width, int height, Rgb fill) {
    Picture picture{width, height, {}};
    picture.bits.assign(static_cast<std::size_t>(picture.Stride()) * static_cast<std::size_t>(height), 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) picture.SetPixel(x, y, fill);
    return picture;
}

std::optional<Picture> ParseBmp(std::span<const std::uint8_t> file) {
    if (file.size() < kFileHeaderSize + kInfoHeaderSize || file[0] != 'B' || file[1] != 'M') return std::nullopt;
    const std::uint32_t dataOffset = ReadU32(file, 10);
    const std::uint32_t headerSize = ReadU32(file, 14);
    const auto width = static_cast<std::int32_t>(ReadU32(file, 18));
    const auto height = static_cast<std::int32_t>(ReadU32(file, 22));
    const std::uint16_t planes = ReadU16(file, 26);
    const std::uint16_t bitCount = ReadU16(file, 28);
    const std::uint32_t compression = ReadU32(file, 30);
    const std::uint32_t paletteSize = ReadU32(file, 46);
    if (headerSize < kInfoHeaderSize || planes != 1 || bitCount != 24 || compression != 0 || paletteSize != 0)
        return std::nullopt;
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384) return std::nullopt;  // bottom-up only

    Picture picture{width, height, {}};
    const std::size_t size = static_cast<std::size_t>(picture.Stride()) * static_cast<std::size_t>(height);
    if (dataOffset > file.size() || file.size() - dataOffset < size) return std::nullopt;
    picture.bits.assign(file.begin() + dataOffset, file.begin() + static_cast<std::ptrdiff_t>(dataOffset + size));
    return picture;
}

std::vector<std::uint8_t> EncodeBmp(const Picture& picture) {
    const auto dataSize = static_cast<std::uint32_t>(picture.bits.size());
    std::vector<std::uint8_t> out;
    out.reserve(kFileHeaderSize + kInfoHeaderSize + dataSize);
    out.push_back('B');
    out.push_back('M');
    PutU32(out, static_cast<std::uint32_t>(kFileHeaderSize + kInfoHeaderSize) + dataSize);
    PutU32(out, 0);
    PutU32(out, static_cast<std::uint32_t>(kFileHeaderSize + kInfoHeaderSize));
    PutU32(out, static_cast<std::uint32_t>(kInfoHeaderSize));
    PutU32(out, static_cast<std::uint32_t>(picture.width));
    PutU32(out, static_cast<std::uint32_t>(picture.height));
    PutU16(out, 1);
    PutU16(out, 24);
    PutU32(out, 0);  // BI_RGB
    PutU32(out, dataSize);
    PutU32(out, 2835);  // 72 dpi, as most editors write
    PutU32(out, 2835);
    PutU32(out, 0);
    PutU32(out, 0);
    out.insert(out.end(), picture.bits.begin(), picture.bits.end());
    return out;
}

}  // namespace platform
