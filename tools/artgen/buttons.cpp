// The five picture buttons: one glossy shape in three colourings, with the word in regular or bold.
#include <cmath>
#include <string>
#include <string_view>

#include "artwork.h"

namespace artgen {
namespace {

constexpr int kWidth = 146;
constexpr int kHeight = 64;
// The options area beneath both buttons; the corners outside the rounded shape keep exactly it.
constexpr Rgb kUnderlay{207, 207, 207};
constexpr Rgb kWhite{255, 255, 255};
constexpr double kRadius = 14;
constexpr double kOutline = 1.6;

struct Colouring {
    Rgb outline;  // the dark rim
    Rgb top;      // body at the upper edge
    Rgb upper;    // body just above the middle
    Rgb lower;    // body just below the middle
    Rgb bottom;   // body at the lower edge
    Rgb shadow;   // the word's drop shadow
};

Colouring ColouringFor(ButtonKind kind, ButtonLook look) {
    if (look == ButtonLook::kDisabled)
        return {{72, 72, 72}, {196, 196, 196}, {146, 146, 146}, {115, 115, 115}, {104, 104, 104}, {58, 58, 58}};
    if (kind == ButtonKind::kPlay)
        return {{118, 0, 14}, {255, 138, 146}, {240, 46, 62}, {230, 0, 25}, {206, 0, 22}, {96, 0, 12}};
    return {{0, 88, 112}, {176, 232, 252}, {104, 206, 244}, {49, 195, 210}, {36, 172, 190}, {0, 72, 92}};
}

void AddStop(cairo_pattern_t* pattern, double offset, Rgb colour, double alpha = 1.0) {
    cairo_pattern_add_color_stop_rgba(pattern, offset, colour.r / 255.0, colour.g / 255.0, colour.b / 255.0, alpha);
}

// The word, centred on the button, with its cap height set to a whole number of pixels so that the
// tops and feet of the capitals fall on pixel edges and stay crisp.
FittedText PlaceWord(cairo_t* cr, std::string_view word, Weight weight) {
    constexpr double kCapHeight = 20;
    constexpr double kNarrowing = 0.92;  // a touch condensed, so CANCEL in bold keeps clear of the frame
    const std::string copy(word);
    SelectFont(cr, weight, 100, 100);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, copy.c_str(), &extents);
    FittedText fit;
    fit.weight = weight;
    fit.sizeY = 100 * kCapHeight / -extents.y_bearing;
    fit.sizeX = fit.sizeY * kNarrowing;
    const double inkWidth = extents.width * fit.sizeX / 100;
    const double top = std::floor((kHeight - kCapHeight) / 2);
    fit.originY = top + kCapHeight;
    fit.originX = (kWidth - inkWidth) / 2 - extents.x_bearing * fit.sizeX / 100;
    return fit;
}

}  // namespace

platform::Picture DrawButton(ButtonKind kind, ButtonLook look) {
    const Colouring colours = ColouringFor(kind, look);
    Canvas canvas(kWidth, kHeight);
    cairo_t* cr = canvas.Cr();
    SetSource(cr, kUnderlay);
    cairo_paint(cr);

    // Rim, then the body inside it: a light upper half over a saturated lower half.
    SetSource(cr, colours.outline);
    RoundedRectPath(cr, 0, 0, kWidth, kHeight, kRadius);
    cairo_fill(cr);
    cairo_pattern_t* body = cairo_pattern_create_linear(0, kOutline, 0, kHeight - kOutline);
    AddStop(body, 0, colours.top);
    AddStop(body, 0.49, colours.upper);
    AddStop(body, 0.51, colours.lower);
    AddStop(body, 1, colours.bottom);
    cairo_set_source(cr, body);
    RoundedRectPath(cr, kOutline, kOutline, kWidth - 2 * kOutline, kHeight - 2 * kOutline, kRadius - kOutline);
    cairo_fill(cr);
    cairo_pattern_destroy(body);

    // The gloss: a pale band along the upper edge, fading downwards.
    cairo_pattern_t* gloss = cairo_pattern_create_linear(0, 3, 0, 30);
    AddStop(gloss, 0, kWhite, 0.62);
    AddStop(gloss, 1, kWhite, 0.08);
    cairo_set_source(cr, gloss);
    RoundedRectPath(cr, 5, 3, kWidth - 10, 27, 11);
    cairo_fill(cr);
    cairo_pattern_destroy(gloss);

    // A thin light frame a few pixels inside the rim.
    SetSource(cr, kWhite, 0.42);
    cairo_set_line_width(cr, 1);
    RoundedRectPath(cr, 4.5, 4.5, kWidth - 9, kHeight - 9, kRadius - 4);
    cairo_stroke(cr);

    const bool bold = look == ButtonLook::kHighlighted;
    const std::string_view word = kind == ButtonKind::kPlay ? "PLAY" : "CANCEL";
    const FittedText fit = PlaceWord(cr, word, bold ? Weight::kBold : Weight::kRegular);
    const Canvas mask = TextMask(word, fit, kWidth, kHeight);
    if (bold) {
        Canvas glow = BlurMask(mask, 3);
        AmplifyMask(glow, 2.2);
        PaintMask(cr, glow, kWhite, 0.8);
    }
    PaintMask(cr, BlurMask(mask, 1), colours.shadow, 0.85, 1, 2);
    PaintMask(cr, mask, kWhite);
    return canvas.ToPicture();
}

}  // namespace artgen
