#include "ico_file.h"

#include <algorithm>
#include <array>
#include <map>
#include <stdexcept>

namespace artgen {
namespace {

void PutU16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    PutU16(out, value & 0xffff);
    PutU16(out, value >> 16);
}

std::uint32_t Key(Rgb c) { return static_cast<std::uint32_t>(c.r) << 16 | static_cast<std::uint32_t>(c.g) << 8 | c.b; }

constexpr std::uint8_t kOpaqueFrom = 128;

// One image's DIB: header, palette, colour rows and mask rows, both bottom-up.
std::vector<std::uint8_t> EncodeDib(const Canvas& image, int bitsPerPixel) {
    const int size = image.Width();
    const int colourStride = (size * bitsPerPixel + 31) / 32 * 4;
    const int maskStride = (size + 31) / 32 * 4;

    std::vector<Rgb> palette;
    if (bitsPerPixel == 8) {
        std::vector<Rgb> opaque;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                if (const auto p = image.PixelAt(x, y); p.a >= kOpaqueFrom) opaque.push_back({p.r, p.g, p.b});
        // Entry 0 is black: the colour bits of transparent pixels, as the mask draws them.
        palette.push_back(Rgb{});
        for (const Rgb c : MedianCutPalette(opaque, 255)) palette.push_back(c);
    }

    std::vector<std::uint8_t> out;
    PutU32(out, 40);
    PutU32(out, static_cast<std::uint32_t>(size));
    PutU32(out, static_cast<std::uint32_t>(size * 2));  // colour rows and mask rows together
    PutU16(out, 1);
    PutU16(out, static_cast<std::uint32_t>(bitsPerPixel));
    PutU32(out, 0);  // BI_RGB
    PutU32(out, static_cast<std::uint32_t>((colourStride + maskStride) * size));
    PutU32(out, 0);
    PutU32(out, 0);
    PutU32(out, 0);  // palette: all 2^bits entries
    PutU32(out, 0);
    if (bitsPerPixel == 8) {
        for (std::size_t i = 0; i < 256; ++i) {
            const Rgb c = i < palette.size() ? palette[i] : Rgb{};
            out.insert(out.end(), {c.b, c.g, c.r, 0});
        }
    }
    for (int y = size - 1; y >= 0; --y) {
        const std::size_t rowStart = out.size();
        for (int x = 0; x < size; ++x) {
            const Canvas::Rgba p = image.PixelAt(x, y);
            const bool opaque = p.a >= kOpaqueFrom;
            if (bitsPerPixel == 32) {
                out.insert(out.end(), {p.b, p.g, p.r, p.a});
            } else if (bitsPerPixel == 24) {
                if (opaque) {
                    out.insert(out.end(), {p.b, p.g, p.r});
                } else {
                    out.insert(out.end(), {0, 0, 0});
                }
            } else {
                out.push_back(opaque ? static_cast<std::uint8_t>(NearestIndex(palette, {p.r, p.g, p.b})) : 0);
            }
        }
        out.resize(rowStart + static_cast<std::size_t>(colourStride), 0);
    }
    for (int y = size - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(static_cast<std::size_t>(maskStride), 0);
        for (int x = 0; x < size; ++x)
            if (image.PixelAt(x, y).a < kOpaqueFrom)
                row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

struct ColourBox {
    std::vector<std::pair<Rgb, std::uint32_t>> colours;  // distinct colours with their counts

    [[nodiscard]] std::uint64_t Weight() const {
        std::uint64_t total = 0;
        for (const auto& [c, n] : colours) total += n;
        return total;
    }
    // The channel with the widest spread and that spread.
    [[nodiscard]] std::pair<int, int> WidestChannel() const {
        std::array<int, 3> low{255, 255, 255};
        std::array<int, 3> high{0, 0, 0};
        for (const auto& [c, n] : colours) {
            const std::array<int, 3> v{c.r, c.g, c.b};
            for (std::size_t k = 0; k < 3; ++k) {
                low[k] = std::min(low[k], v[k]);
                high[k] = std::max(high[k], v[k]);
            }
        }
        int best = 0;
        for (int k = 1; k < 3; ++k)
            if (high[static_cast<std::size_t>(k)] - low[static_cast<std::size_t>(k)] >
                high[static_cast<std::size_t>(best)] - low[static_cast<std::size_t>(best)])
                best = k;
        return {best, high[static_cast<std::size_t>(best)] - low[static_cast<std::size_t>(best)]};
    }
    [[nodiscard]] Rgb Mean() const {
        std::array<std::uint64_t, 3> sum{};
        const std::uint64_t weight = Weight();
        for (const auto& [c, n] : colours) {
            sum[0] += std::uint64_t{c.r} * n;
            sum[1] += std::uint64_t{c.g} * n;
            sum[2] += std::uint64_t{c.b} * n;
        }
        const auto avg = [weight](std::uint64_t s) { return static_cast<std::uint8_t>((s + weight / 2) / weight); };
        return Rgb{avg(sum[0]), avg(sum[1]), avg(sum[2])};
    }
};

}  // namespace

std::vector<Rgb> MedianCutPalette(const std::vector<Rgb>& pixels, std::size_t maxColours) {
    std::map<std::uint32_t, std::pair<Rgb, std::uint32_t>> counts;  // ordered: a stable start
    for (const Rgb c : pixels) {
        auto& entry = counts[Key(c)];
        entry.first = c;
        ++entry.second;
    }
    if (counts.empty() || maxColours == 0) return {};
    std::vector<ColourBox> boxes(1);
    for (const auto& [key, entry] : counts) boxes[0].colours.push_back(entry);

    while (boxes.size() < maxColours) {
        // Split the box whose widest channel spread, weighted by its pixel count, is largest.
        std::size_t pick = boxes.size();
        std::uint64_t bestScore = 0;
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            if (boxes[i].colours.size() < 2) continue;
            const std::uint64_t score = static_cast<std::uint64_t>(boxes[i].WidestChannel().second) * boxes[i].Weight();
            if (score > bestScore) {
                bestScore = score;
                pick = i;
            }
        }
        if (pick == boxes.size()) break;  // every box holds one colour
        ColourBox& box = boxes[pick];
        const int channel = box.WidestChannel().first;
        const auto value = [channel](Rgb c) { return channel == 0 ? c.r : channel == 1 ? c.g : c.b; };
        std::sort(box.colours.begin(), box.colours.end(), [&](const auto& a, const auto& b) {
            return value(a.first) != value(b.first) ? value(a.first) < value(b.first) : Key(a.first) < Key(b.first);
        });
        // Cut at the weighted median, keeping at least one colour on each side.
        const std::uint64_t half = box.Weight() / 2;
        std::uint64_t running = 0;
        std::size_t cut = 1;
        for (std::size_t i = 0; i + 1 < box.colours.size(); ++i) {
            running += box.colours[i].second;
            cut = i + 1;
            if (running >= half) break;
        }
        ColourBox upper;
        upper.colours.assign(box.colours.begin() + static_cast<std::ptrdiff_t>(cut), box.colours.end());
        box.colours.resize(cut);
        boxes.push_back(std::move(upper));
    }
    std::vector<Rgb> palette;
    palette.reserve(boxes.size());
    for (const ColourBox& box : boxes) palette.push_back(box.Mean());
    return palette;
}

std::size_t NearestIndex(const std::vector<Rgb>& palette, Rgb colour) {
    std::size_t best = 0;
    int bestDistance = 1 << 30;
    for (std::size_t i = 0; i < palette.size(); ++i) {
        const int dr = palette[i].r - colour.r;
        const int dg = palette[i].g - colour.g;
        const int db = palette[i].b - colour.b;
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return best;
}

std::vector<std::uint8_t> EncodeIco(const std::vector<IconImage>& images) {
    std::vector<std::vector<std::uint8_t>> dibs;
    for (const IconImage& entry : images) {
        const int size = entry.image->Width();
        if (entry.image->Height() != size || size < 1 || size > 255)
            throw std::invalid_argument("icon images must be square and smaller than 256 pixels");
        if (entry.bitsPerPixel != 8 && entry.bitsPerPixel != 24 && entry.bitsPerPixel != 32)
            throw std::invalid_argument("icon images are 8, 24 or 32 bits a pixel");
        dibs.push_back(EncodeDib(*entry.image, entry.bitsPerPixel));
    }
    std::vector<std::uint8_t> out;
    PutU16(out, 0);
    PutU16(out, 1);  // an icon, not a cursor
    PutU16(out, static_cast<std::uint32_t>(images.size()));
    std::size_t offset = 6 + 16 * images.size();
    for (std::size_t i = 0; i < images.size(); ++i) {
        const auto size = static_cast<std::uint8_t>(images[i].image->Width());
        out.insert(out.end(), {size, size, 0, 0});  // no colour count: 8 bits and more
        PutU16(out, 1);
        PutU16(out, static_cast<std::uint32_t>(images[i].bitsPerPixel));
        PutU32(out, static_cast<std::uint32_t>(dibs[i].size()));
        PutU32(out, static_cast<std::uint32_t>(offset));
        offset += dibs[i].size();
    }
    for (const auto& dib : dibs) out.insert(out.end(), dib.begin(), dib.end());
    return out;
}

}  // namespace artgen
