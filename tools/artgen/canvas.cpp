#include "canvas.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>
#include <utility>
#include <vector>

namespace artgen {

Canvas::Canvas(int width, int height, cairo_format_t format) : width_(width), height_(height) {
    surface_ = cairo_image_surface_create(format, width, height);
    cr_ = cairo_create(surface_);
    if (cairo_status(cr_) != CAIRO_STATUS_SUCCESS) throw std::runtime_error("cannot create a Cairo surface");
}

Canvas::~Canvas() { Release(); }

Canvas::Canvas(Canvas&& other) noexcept
    : surface_(std::exchange(other.surface_, nullptr)),
      cr_(std::exchange(other.cr_, nullptr)),
      width_(other.width_),
      height_(other.height_) {}

Canvas& Canvas::operator=(Canvas&& other) noexcept {
    if (this != &other) {
        Release();
        surface_ = std::exchange(other.surface_, nullptr);
        cr_ = std::exchange(other.cr_, nullptr);
        width_ = other.width_;
        height_ = other.height_;
    }
    return *this;
}

void Canvas::Release() {
    if (cr_ != nullptr) cairo_destroy(cr_);
    if (surface_ != nullptr) cairo_surface_destroy(surface_);
    cr_ = nullptr;
    surface_ = nullptr;
}

std::uint8_t* Canvas::Row(int y) {
    cairo_surface_flush(surface_);
    return cairo_image_surface_get_data(surface_) +
           static_cast<std::ptrdiff_t>(y) * cairo_image_surface_get_stride(surface_);
}

const std::uint8_t* Canvas::Row(int y) const {
    cairo_surface_flush(surface_);
    return cairo_image_surface_get_data(surface_) +
           static_cast<std::ptrdiff_t>(y) * cairo_image_surface_get_stride(surface_);
}

void Canvas::MarkDirty() { cairo_surface_mark_dirty(surface_); }

Canvas::Rgba Canvas::PixelAt(int x, int y) const {
    std::uint32_t pixel = 0;
    std::copy_n(Row(y) + static_cast<std::ptrdiff_t>(x) * 4, 4, reinterpret_cast<std::uint8_t*>(&pixel));
    const auto a = static_cast<std::uint8_t>(pixel >> 24);
    if (a == 0) return {0, 0, 0, 0};
    // Cairo stores premultiplied colour; undo it with rounding.
    const auto straight = [a](std::uint32_t premultiplied) {
        return static_cast<std::uint8_t>(std::min<std::uint32_t>(255, (premultiplied * 255 + a / 2) / a));
    };
    return {straight((pixel >> 16) & 0xff), straight((pixel >> 8) & 0xff), straight(pixel & 0xff), a};
}

platform::Picture Canvas::ToPicture() const {
    platform::Picture picture = platform::MakePicture(width_, height_, Rgb{});
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            const Rgba p = PixelAt(x, y);
            if (p.a != 255) throw std::logic_error("a picture must be opaque everywhere");
            picture.SetPixel(x, y, Rgb{p.r, p.g, p.b});
        }
    }
    return picture;
}

void SetSource(cairo_t* cr, Rgb colour, double alpha) {
    cairo_set_source_rgba(cr, colour.r / 255.0, colour.g / 255.0, colour.b / 255.0, alpha);
}

Rgb Mix(Rgb from, Rgb to, double amount) {
    const auto channel = [amount](std::uint8_t a, std::uint8_t b) {
        return static_cast<std::uint8_t>(std::lround(a + (b - a) * amount));
    };
    return Rgb{channel(from.r, to.r), channel(from.g, to.g), channel(from.b, to.b)};
}

void RoundedRectPath(cairo_t* cr, double x, double y, double width, double height, double radius) {
    constexpr double kQuarter = M_PI / 2;
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + width - radius, y + radius, radius, -kQuarter, 0);
    cairo_arc(cr, x + width - radius, y + height - radius, radius, 0, kQuarter);
    cairo_arc(cr, x + radius, y + height - radius, radius, kQuarter, 2 * kQuarter);
    cairo_arc(cr, x + radius, y + radius, radius, 2 * kQuarter, 3 * kQuarter);
    cairo_close_path(cr);
}

namespace {

constexpr std::array<const char*, 2> kFontFiles = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
};

cairo_font_face_t* LoadFace(const char* path) {
    // The FreeType library stays for the whole run: Cairo may keep faces cached until exit.
    static FT_Library library = [] {
        FT_Library created = nullptr;
        if (FT_Init_FreeType(&created) != 0) throw std::runtime_error("cannot start FreeType");
        return created;
    }();
    FT_Face ftFace = nullptr;
    if (FT_New_Face(library, path, 0, &ftFace) != 0) throw std::runtime_error(std::string("cannot load ") + path);
    cairo_font_face_t* face = cairo_ft_font_face_create_for_ft_face(ftFace, 0);
    // Cairo ends the FreeType face when it drops its own, as its documentation asks.
    static cairo_user_data_key_t key;
    cairo_font_face_set_user_data(face, &key, ftFace, [](void* data) { FT_Done_Face(static_cast<FT_Face>(data)); });
    return face;
}

struct InkBounds {
    Box any{1 << 20, 1 << 20, -1, -1};   // every touched pixel
    Box half{1 << 20, 1 << 20, -1, -1};  // pixels covered at least half
};

void Extend(Box& box, int x, int y) {
    box.left = std::min(box.left, x);
    box.top = std::min(box.top, y);
    box.right = std::max(box.right, x);
    box.bottom = std::max(box.bottom, y);
}

InkBounds MeasureInk(const Canvas& mask) {
    InkBounds bounds;
    for (int y = 0; y < mask.Height(); ++y) {
        for (int x = 0; x < mask.Width(); ++x) {
            const std::uint8_t coverage = mask.CoverageAt(x, y);
            if (coverage > 0) Extend(bounds.any, x, y);
            if (coverage >= 128) Extend(bounds.half, x, y);
        }
    }
    return bounds;
}

}  // namespace

cairo_font_face_t* Face(Weight weight) {
    static const std::array<cairo_font_face_t*, 2> faces = {LoadFace(kFontFiles[0]), LoadFace(kFontFiles[1])};
    return faces[weight == Weight::kBold ? 1 : 0];
}

void SelectFont(cairo_t* cr, Weight weight, double sizeX, double sizeY) {
    cairo_set_font_face(cr, Face(weight));
    cairo_matrix_t matrix;
    cairo_matrix_init_scale(&matrix, sizeX, sizeY);
    cairo_set_font_matrix(cr, &matrix);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_subpixel_order(options, CAIRO_SUBPIXEL_ORDER_DEFAULT);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
}

Canvas TextMask(std::string_view text, const FittedText& fit, int width, int height) {
    Canvas mask(width, height, CAIRO_FORMAT_A8);
    cairo_t* cr = mask.Cr();
    SelectFont(cr, fit.weight, fit.sizeX, fit.sizeY);
    cairo_set_source_rgba(cr, 0, 0, 0, 1);
    // Filled as a path rather than shown as glyphs: this Cairo places glyphs on whole pixels,
    // which would undo the fitting's fractions.
    cairo_move_to(cr, fit.originX, fit.originY);
    const std::string copy(text);
    cairo_text_path(cr, copy.c_str());
    cairo_fill(cr);
    return mask;
}

FittedText FitText(std::string_view text, Weight weight, Box box) {
    constexpr double kProbeSize = 100;
    const std::string copy(text);
    // The outline's own extent at the probe size, from the origin.
    double inkLeft = 0, inkTop = 0, inkRight = 0, inkBottom = 0;
    {
        // Cairo leaves out glyphs that fall outside the surface, even from a path, so the probe
        // surface is made large enough for the whole line.
        const double margin = 2 * kProbeSize;
        Canvas probe(static_cast<int>(kProbeSize * static_cast<double>(text.size() + 4)),
                     static_cast<int>(3 * kProbeSize), CAIRO_FORMAT_A8);
        cairo_translate(probe.Cr(), margin, margin);
        SelectFont(probe.Cr(), weight, kProbeSize, kProbeSize);
        cairo_move_to(probe.Cr(), 0, 0);
        cairo_text_path(probe.Cr(), copy.c_str());
        inkLeft = inkTop = 1e9;
        inkRight = inkBottom = -1e9;
        // Over the outline's points alone: Cairo's own path extents also count the pen's last
        // position, which lies past a trailing full stop.
        cairo_path_t* path = cairo_copy_path_flat(probe.Cr());
        for (int i = 0; i < path->num_data; i += path->data[i].header.length) {
            const cairo_path_data_t& item = path->data[i];
            const bool drawn = item.header.type == CAIRO_PATH_LINE_TO ||
                               (item.header.type == CAIRO_PATH_MOVE_TO && i + item.header.length < path->num_data &&
                                path->data[i + item.header.length].header.type == CAIRO_PATH_LINE_TO);
            if (!drawn) continue;
            const cairo_path_data_t& point = path->data[i + 1];
            inkLeft = std::min(inkLeft, point.point.x);
            inkRight = std::max(inkRight, point.point.x);
            inkTop = std::min(inkTop, point.point.y);
            inkBottom = std::max(inkBottom, point.point.y);
        }
        cairo_path_destroy(path);
    }
    // The target edges in continuous coordinates; nudged below until the rendered ink obeys.
    double left = box.left;
    double top = box.top;
    double right = box.right + 1;
    double bottom = box.bottom + 1;
    const int maskWidth = box.right + 8;
    const int maskHeight = box.bottom + 8;
    constexpr double kStep = 0.05;
    for (int attempt = 0; attempt < 200; ++attempt) {
        FittedText fit;
        fit.weight = weight;
        fit.sizeX = kProbeSize * (right - left) / (inkRight - inkLeft);
        fit.sizeY = kProbeSize * (bottom - top) / (inkBottom - inkTop);
        fit.originX = left - inkLeft * fit.sizeX / kProbeSize;
        fit.originY = top - inkTop * fit.sizeY / kProbeSize;
        const InkBounds ink = MeasureInk(TextMask(text, fit, maskWidth, maskHeight));
        bool done = true;
        // Any touched pixel outside pulls that edge in; a half-covered edge too far inside pushes it out.
        const auto adjust = [&done](double& edge, bool outside, bool tooFarIn, double inward) {
            if (outside) {
                edge += inward * kStep;
                done = false;
            } else if (tooFarIn) {
                edge -= inward * kStep;
                done = false;
            }
        };
        adjust(left, (ink.any.left < box.left), (ink.half.left > box.left + 1), +1);
        adjust(top, (ink.any.top < box.top), (ink.half.top > box.top + 1), +1);
        adjust(right, (ink.any.right > box.right), (ink.half.right < box.right - 1), -1);
        adjust(bottom, (ink.any.bottom > box.bottom), (ink.half.bottom < box.bottom - 1), -1);
        if (done) return fit;
    }
    throw std::runtime_error("cannot fit \"" + copy + "\" to its box");
}

void PaintMask(cairo_t* cr, const Canvas& mask, Rgb colour, double alpha, double x, double y) {
    cairo_save(cr);
    SetSource(cr, colour, alpha);
    cairo_mask_surface(cr, mask.Surface(), x, y);
    cairo_restore(cr);
}

constexpr double kTextGamma = 0.7;

void DrawFittedText(cairo_t* cr, std::string_view text, Weight weight, Box box, Rgb colour) {
    const FittedText fit = FitText(text, weight, box);
    cairo_surface_t* target = cairo_get_target(cr);
    Canvas mask = TextMask(text, fit, cairo_image_surface_get_width(target), cairo_image_surface_get_height(target));
    // Unhinted text this small looks washed out; a gamma on the coverage darkens the stems while
    // leaving untouched pixels untouched, so the fitted extents hold.
    for (int y = 0; y < mask.Height(); ++y)
        for (int x = 0; x < mask.Width(); ++x)
            if (const std::uint8_t c = mask.CoverageAt(x, y); c > 0 && c < 255)
                mask.SetCoverage(x, y, static_cast<std::uint8_t>(std::lround(255 * std::pow(c / 255.0, kTextGamma))));
    mask.MarkDirty();
    PaintMask(cr, mask, colour);
}

Canvas BlurMask(const Canvas& mask, int radius) {
    const int width = mask.Width();
    const int height = mask.Height();
    std::vector<int> a(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) a[static_cast<std::size_t>(y * width + x)] = mask.CoverageAt(x, y);
    std::vector<int> b(a.size());
    const int span = 2 * radius + 1;
    const auto pass = [&](bool horizontal) {
        const int lines = horizontal ? height : width;
        const int length = horizontal ? width : height;
        for (int line = 0; line < lines; ++line) {
            const auto at = [&](int i) {
                return static_cast<std::size_t>(horizontal ? line * width + i : i * width + line);
            };
            for (int i = 0; i < length; ++i) {
                int sum = 0;
                for (int k = i - radius; k <= i + radius; ++k)
                    if (k >= 0 && k < length) sum += a[at(k)];
                b[at(i)] = (sum + span / 2) / span;
            }
        }
        std::swap(a, b);
    };
    for (int round = 0; round < 3; ++round) {
        pass(true);
        pass(false);
    }
    Canvas out(width, height, CAIRO_FORMAT_A8);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            out.SetCoverage(x, y, static_cast<std::uint8_t>(a[static_cast<std::size_t>(y * width + x)]));
    out.MarkDirty();
    return out;
}

void AmplifyMask(Canvas& mask, double gain) {
    for (int y = 0; y < mask.Height(); ++y)
        for (int x = 0; x < mask.Width(); ++x)
            mask.SetCoverage(x, y,
                             static_cast<std::uint8_t>(std::min(255L, std::lround(mask.CoverageAt(x, y) * gain))));
    mask.MarkDirty();
}

}  // namespace artgen
