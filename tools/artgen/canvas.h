#pragma once
// Drawing helpers shared by the artwork generator: an owning Cairo canvas, the two DejaVu faces
// loaded by file path (so no font lookup can pick another face on another machine), text whose ink
// is fitted to a pixel box, and a blur for glows and shadows.
//
// Everything here is deterministic: no hinting, fixed font options, integer blurs. The same
// library versions give the same bytes on every run, which lets the committed artwork be
// compared with a fresh generation.
#include <cairo.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/picture.h"

namespace artgen {

using platform::Rgb;

// Inclusive pixel bounds, as a viewer counts them from the top-left pixel.
struct Box {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    [[nodiscard]] int Width() const { return right - left + 1; }
    [[nodiscard]] int Height() const { return bottom - top + 1; }
};

// An image surface with its drawing context. Owns both; move-only.
class Canvas {
public:
    // ARGB32 for pictures, A8 for coverage masks. The surface starts fully transparent.
    Canvas(int width, int height, cairo_format_t format = CAIRO_FORMAT_ARGB32);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    Canvas(Canvas&& other) noexcept;
    Canvas& operator=(Canvas&& other) noexcept;

    [[nodiscard]] cairo_t* Cr() const { return cr_; }
    [[nodiscard]] cairo_surface_t* Surface() const { return surface_; }
    [[nodiscard]] int Width() const { return width_; }
    [[nodiscard]] int Height() const { return height_; }

    // Raw pixel access. Flushes pending drawing before handing out a row and marks the surface
    // dirty afterwards through MarkDirty(); callers that write must call it.
    [[nodiscard]] std::uint8_t* Row(int y);
    [[nodiscard]] const std::uint8_t* Row(int y) const;
    void MarkDirty();

    // A8 only: coverage 0..255 at (x, y).
    [[nodiscard]] std::uint8_t CoverageAt(int x, int y) const { return Row(y)[x]; }
    void SetCoverage(int x, int y, std::uint8_t value) { Row(y)[x] = value; }

    // ARGB32 only: the straight (not premultiplied) colour and alpha at (x, y).
    struct Rgba {
        std::uint8_t r, g, b, a;
    };
    [[nodiscard]] Rgba PixelAt(int x, int y) const;

    // ARGB32 only, every pixel opaque: the 24-bit picture of this canvas.
    [[nodiscard]] platform::Picture ToPicture() const;

private:
    void Release();

    cairo_surface_t* surface_ = nullptr;
    cairo_t* cr_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

// Sets a solid source; alpha 0..1.
void SetSource(cairo_t* cr, Rgb colour, double alpha = 1.0);
// A colour that is `amount` (0..1) of the way from `from` to `to`, rounded.
[[nodiscard]] Rgb Mix(Rgb from, Rgb to, double amount);
// A path of a rectangle with round corners; radius may differ at the left and right end.
void RoundedRectPath(cairo_t* cr, double x, double y, double width, double height, double radius);

enum class Weight { kRegular, kBold };

// The DejaVu Sans faces, loaded once from the files fonts-dejavu-core installs. Throws
// std::runtime_error when a file is missing. The faces live until the program ends.
[[nodiscard]] cairo_font_face_t* Face(Weight weight);

// Selects `weight` at the given horizontal and vertical pixel sizes with the generator's fixed
// font options (grey anti-aliasing, no hinting, unhinted metrics).
void SelectFont(cairo_t* cr, Weight weight, double sizeX, double sizeY);

// Where and how large to draw a line of text so that its ink fills a box.
struct FittedText {
    Weight weight = Weight::kRegular;
    double sizeX = 0;
    double sizeY = 0;
    double originX = 0;  // baseline start
    double originY = 0;
};

// Fits `text` so that every pixel its ink touches lies inside `box` and the pixels it covers at
// least half touch every edge of `box` within one pixel. Measures the rendered ink and corrects
// the font matrix until both hold; throws std::runtime_error when they cannot be met.
[[nodiscard]] FittedText FitText(std::string_view text, Weight weight, Box box);

// The coverage mask of a line of text on a canvas of the given size.
[[nodiscard]] Canvas TextMask(std::string_view text, const FittedText& fit, int width, int height);

// Paints `colour` through an A8 mask at (x, y) on the target's context.
void PaintMask(cairo_t* cr, const Canvas& mask, Rgb colour, double alpha = 1.0, double x = 0, double y = 0);

// Draws a text line, fitted to `box`, in `colour`.
void DrawFittedText(cairo_t* cr, std::string_view text, Weight weight, Box box, Rgb colour);

// Three passes of a box blur with the given radius over an A8 mask, in integers.
[[nodiscard]] Canvas BlurMask(const Canvas& mask, int radius);

// Multiplies every coverage value of an A8 mask by `gain` (clamped to 255).
void AmplifyMask(Canvas& mask, double gain);

}  // namespace artgen
