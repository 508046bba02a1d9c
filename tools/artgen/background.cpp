// The offer window's background picture. Coordinates are the picture's own; rows and columns are
// inclusive pixel indices, so a band "rows 171 to 176" is the rectangle y 171, height 6.
#include <array>
#include <cmath>
#include <string_view>

#include "artwork.h"

namespace artgen {
namespace {

constexpr int kWidth = 497;
constexpr int kHeight = 376;

constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kToolbarFrame{0, 162, 182};
constexpr Rgb kLavender{223, 220, 227};
constexpr Rgb kShadowTop{96, 96, 96};
constexpr Rgb kShadowBottom{202, 202, 202};
constexpr Rgb kOptionsGrey{207, 207, 207};
constexpr Rgb kOptionsEdge{200, 200, 200};
constexpr Rgb kPanelGroove{186, 186, 186};
// Illustration ink is dark but never pure black: that colour is kept for texts and rules.
constexpr Rgb kInk{38, 38, 44};

// Fills whole pixel rows [first, last] and columns [left, right] with one colour.
void FillPixels(cairo_t* cr, int left, int first, int right, int last, Rgb colour) {
    SetSource(cr, colour);
    cairo_rectangle(cr, left, first, right - left + 1, last - first + 1);
    cairo_fill(cr);
}

void VerticalGradient(cairo_t* cr, double x, double y, double width, double height, Rgb top, Rgb bottom) {
    cairo_pattern_t* gradient = cairo_pattern_create_linear(0, y, 0, y + height);
    cairo_pattern_add_color_stop_rgb(gradient, 0, top.r / 255.0, top.g / 255.0, top.b / 255.0);
    cairo_pattern_add_color_stop_rgb(gradient, 1, bottom.r / 255.0, bottom.g / 255.0, bottom.b / 255.0);
    cairo_set_source(cr, gradient);
    cairo_rectangle(cr, x, y, width, height);
    cairo_fill(cr);
    cairo_pattern_destroy(gradient);
}

// Small label text at a given size, left end and baseline, for the illustrations.
void Label(cairo_t* cr,
           std::string_view text,
           double x,
           double baseline,
           double size,
           Rgb colour,
           Weight weight = Weight::kRegular) {
    SelectFont(cr, weight, size, size);
    SetSource(cr, colour);
    cairo_move_to(cr, x, baseline);
    const std::string copy(text);
    cairo_show_text(cr, copy.c_str());
}

double LabelWidth(cairo_t* cr, std::string_view text, double size, Weight weight = Weight::kRegular) {
    SelectFont(cr, weight, size, size);
    cairo_text_extents_t extents;
    const std::string copy(text);
    cairo_text_extents(cr, copy.c_str(), &extents);
    return extents.x_advance;
}

void DownArrow(cairo_t* cr, double cx, double cy, double half, Rgb colour) {
    SetSource(cr, colour);
    cairo_move_to(cr, cx - half, cy - half / 2);
    cairo_line_to(cr, cx + half, cy - half / 2);
    cairo_line_to(cr, cx, cy + half / 2 + 0.5);
    cairo_close_path(cr);
    cairo_fill(cr);
}

// A glossy round icon with a radial shine, as browsers draw their Back and Forward buttons.
void RoundIcon(cairo_t* cr, double cx, double cy, double radius, Rgb light, Rgb dark) {
    cairo_new_path(cr);  // after text the pen is still down; an arc would join it with a line
    cairo_pattern_t* ball =
        cairo_pattern_create_radial(cx - radius * 0.4, cy - radius * 0.5, radius * 0.1, cx, cy, radius);
    cairo_pattern_add_color_stop_rgb(ball, 0, light.r / 255.0, light.g / 255.0, light.b / 255.0);
    cairo_pattern_add_color_stop_rgb(ball, 1, dark.r / 255.0, dark.g / 255.0, dark.b / 255.0);
    cairo_set_source(cr, ball);
    cairo_arc(cr, cx, cy, radius, 0, 2 * M_PI);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(ball);
    SetSource(cr, Mix(dark, kInk, 0.4));
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
}

void Arrow(cairo_t* cr, double cx, double cy, double size, bool pointsLeft) {
    const double d = pointsLeft ? -1 : 1;
    SetSource(cr, kWhite);
    cairo_move_to(cr, cx + d * size, cy);
    cairo_line_to(cr, cx + d * 0.1 * size, cy - size * 0.85);
    cairo_line_to(cr, cx + d * 0.1 * size, cy - size * 0.35);
    cairo_line_to(cr, cx - d * size * 0.85, cy - size * 0.35);
    cairo_line_to(cr, cx - d * size * 0.85, cy + size * 0.35);
    cairo_line_to(cr, cx + d * 0.1 * size, cy + size * 0.35);
    cairo_line_to(cr, cx + d * 0.1 * size, cy + size * 0.85);
    cairo_close_path(cr);
    cairo_fill(cr);
}

void Page(cairo_t* cr, double x, double y) {
    SetSource(cr, kWhite);
    cairo_move_to(cr, x, y);
    cairo_line_to(cr, x + 10, y);
    cairo_line_to(cr, x + 14, y + 4);
    cairo_line_to(cr, x + 14, y + 18);
    cairo_line_to(cr, x, y + 18);
    cairo_close_path(cr);
    cairo_fill_preserve(cr);
    SetSource(cr, Rgb{120, 130, 150});
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    for (int i = 0; i < 4; ++i) {
        cairo_move_to(cr, x + 3, y + 6.5 + 3 * i);
        cairo_line_to(cr, x + 11, y + 6.5 + 3 * i);
    }
    SetSource(cr, Rgb{180, 190, 205});
    cairo_stroke(cr);
}

void Magnifier(cairo_t* cr, double cx, double cy, double radius, Rgb rim) {
    cairo_new_path(cr);
    SetSource(cr, Rgb{220, 238, 255});
    cairo_arc(cr, cx, cy, radius, 0, 2 * M_PI);
    cairo_fill_preserve(cr);
    SetSource(cr, rim);
    cairo_set_line_width(cr, radius * 0.45);
    cairo_stroke(cr);
    cairo_set_line_width(cr, radius * 0.6);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_move_to(cr, cx + radius * 0.8, cy + radius * 0.8);
    cairo_line_to(cr, cx + radius * 1.7, cy + radius * 1.7);
    cairo_stroke(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
}

void Star(cairo_t* cr, double cx, double cy, double outer) {
    cairo_new_path(cr);
    for (int i = 0; i < 10; ++i) {
        const double radius = (i % 2 == 0) ? outer : outer * 0.45;
        const double angle = -M_PI / 2 + i * M_PI / 5;
        cairo_line_to(cr, cx + radius * std::cos(angle), cy + radius * std::sin(angle));
    }
    cairo_close_path(cr);
    cairo_pattern_t* gold = cairo_pattern_create_linear(0, cy - outer, 0, cy + outer);
    cairo_pattern_add_color_stop_rgb(gold, 0, 1.0, 0.93, 0.45);
    cairo_pattern_add_color_stop_rgb(gold, 1, 0.93, 0.62, 0.05);
    cairo_set_source(cr, gold);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(gold);
    SetSource(cr, Rgb{170, 110, 20});
    cairo_set_line_width(cr, 0.8);
    cairo_stroke(cr);
}

void Separator(cairo_t* cr, double x, double top, double bottom, Rgb dark) {
    cairo_set_line_width(cr, 1);
    SetSource(cr, dark);
    cairo_move_to(cr, x + 0.5, top);
    cairo_line_to(cr, x + 0.5, bottom);
    cairo_stroke(cr);
    SetSource(cr, kWhite);
    cairo_move_to(cr, x + 1.5, top);
    cairo_line_to(cr, x + 1.5, bottom);
    cairo_stroke(cr);
}

// Rows 85 to 170: the browser's own button bar and address row, drawn at full strength and then
// faded, so that the add-on toolbar below stands out as the thing on offer.
void DrawBrowser(cairo_t* cr) {
    const Rgb barTop{252, 252, 249};
    const Rgb barBottom{226, 224, 214};
    const Rgb addressRow{236, 234, 222};
    const Rgb rule{196, 194, 182};
    VerticalGradient(cr, 0, 85, kWidth, 26, barTop, barBottom);
    FillPixels(cr, 0, 111, kWidth - 1, 170, addressRow);
    FillPixels(cr, 0, 111, kWidth - 1, 111, rule);

    const double mid = 98;
    const Rgb green{40, 150, 50};
    const Rgb greenLight{150, 235, 140};
    RoundIcon(cr, 15, mid, 9.5, greenLight, green);
    Arrow(cr, 15, mid, 6, true);
    Label(cr, "Back", 29, mid + 4, 11, kInk);
    DownArrow(cr, 62, mid, 3, kInk);
    RoundIcon(cr, 82, mid, 9.5, greenLight, green);
    Arrow(cr, 82, mid, 6, false);
    DownArrow(cr, 98, mid, 3, kInk);
    Separator(cr, 106, 88, 108, rule);

    // Stop: a page with a red cross. Refresh: a page with two green turning arrows. Home: a house.
    Page(cr, 114, mid - 9);
    SetSource(cr, Rgb{215, 35, 30});
    cairo_set_line_width(cr, 2.4);
    cairo_move_to(cr, 119, mid - 1);
    cairo_line_to(cr, 129, mid + 9);
    cairo_move_to(cr, 129, mid - 1);
    cairo_line_to(cr, 119, mid + 9);
    cairo_stroke(cr);
    Page(cr, 138, mid - 9);
    SetSource(cr, Rgb{40, 150, 50});
    cairo_set_line_width(cr, 2.2);
    cairo_arc(cr, 148, mid + 3, 5.5, M_PI * 0.15, M_PI * 1.35);
    cairo_stroke(cr);
    cairo_move_to(cr, 146.5, mid - 5.5);
    cairo_line_to(cr, 151, mid - 2.2);
    cairo_line_to(cr, 146, mid + 0.5);
    cairo_close_path(cr);
    cairo_fill(cr);
    const double hx = 172;
    SetSource(cr, Rgb{235, 225, 200});
    cairo_rectangle(cr, hx - 7, mid - 2, 14, 11);
    cairo_fill(cr);
    SetSource(cr, Rgb{120, 90, 60});
    cairo_rectangle(cr, hx - 2, mid + 3, 4, 6);
    cairo_fill(cr);
    SetSource(cr, Rgb{200, 60, 40});
    cairo_move_to(cr, hx - 10, mid - 1);
    cairo_line_to(cr, hx, mid - 10);
    cairo_line_to(cr, hx + 10, mid - 1);
    cairo_close_path(cr);
    cairo_fill(cr);
    Separator(cr, 188, 88, 108, rule);

    Magnifier(cr, 199, mid - 2, 5, Rgb{70, 110, 170});
    Label(cr, "Search", 212, mid + 4, 11, kInk);
    Star(cr, 265, mid, 9);
    Label(cr, "Favorites", 278, mid + 4, 11, kInk);
    // History: a clock face.
    RoundIcon(cr, 352, mid, 9.5, Rgb{190, 225, 255}, Rgb{40, 110, 200});
    SetSource(cr, kWhite);
    cairo_arc(cr, 352, mid, 6, 0, 2 * M_PI);
    cairo_fill(cr);
    SetSource(cr, kInk);
    cairo_set_line_width(cr, 1.3);
    cairo_move_to(cr, 352, mid - 4.5);
    cairo_line_to(cr, 352, mid);
    cairo_line_to(cr, 355.5, mid + 2);
    cairo_stroke(cr);
    Separator(cr, 370, 88, 108, rule);

    // Address row: label, field with the page's address, its drop-down and the Go button.
    const double fieldTop = 113.5;
    const double fieldBottom = 128.5;
    Label(cr, "Address", 6, 125, 11, Rgb{110, 110, 110});
    SetSource(cr, kWhite);
    cairo_rectangle(cr, 52.5, fieldTop, 390, fieldBottom - fieldTop);
    cairo_fill_preserve(cr);
    SetSource(cr, Rgb{127, 157, 185});
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    SetSource(cr, Rgb{30, 110, 210});
    SelectFont(cr, Weight::kBold, 14, 14);
    cairo_move_to(cr, 55, 126);
    cairo_show_text(cr, "e");
    Label(cr, "http://www.zorbal.example/", 71, 125, 11, kInk);
    VerticalGradient(cr, 428, 114, 14, 14, Rgb{225, 235, 252}, Rgb{180, 200, 240});
    DownArrow(cr, 435, 121, 3, Rgb{70, 90, 140});
    RoundIcon(cr, 457, 121, 6.5, greenLight, green);
    Arrow(cr, 457, 121, 4.5, false);
    Label(cr, "Go", 467, 125, 11, kInk);

    // Fade it all: a browser's own furniture is background here.
    SetSource(cr, kWhite, 0.5);
    cairo_rectangle(cr, 0, 85, kWidth, 86);
    cairo_fill(cr);
}

// One toolbar button: an icon drawn by `icon` at (x, centre) and a label after it.
template <typename Icon>
double ToolbarButton(cairo_t* cr, double x, double centre, std::string_view label, Icon icon) {
    icon(x + 8, centre);
    Label(cr, label, x + 20, centre + 4, 11, kInk);
    return x + 20 + LabelWidth(cr, label, 11);
}

// Rows 131 to 170: the add-on toolbar at full strength, framed in cyan, open to the right.
void DrawToolbar(cairo_t* cr) {
    constexpr double kTop = 131;
    constexpr double kBottom = 171;  // one past the last frame row
    constexpr double kLeft = 4;
    constexpr double kFrame = 2;
    constexpr double kRadius = 9;
    constexpr double kOffRight = kWidth + 20;
    SetSource(cr, kToolbarFrame);
    RoundedRectPath(cr, kLeft, kTop, kOffRight - kLeft, kBottom - kTop, kRadius);
    cairo_fill(cr);
    cairo_pattern_t* beige = cairo_pattern_create_linear(0, kTop + kFrame, 0, kBottom - kFrame);
    cairo_pattern_add_color_stop_rgb(beige, 0, 255 / 255.0, 251 / 255.0, 238 / 255.0);
    cairo_pattern_add_color_stop_rgb(beige, 1, 240 / 255.0, 230 / 255.0, 200 / 255.0);
    cairo_set_source(cr, beige);
    RoundedRectPath(cr, kLeft + kFrame, kTop + kFrame, kOffRight - kLeft - 2 * kFrame, kBottom - kTop - 2 * kFrame,
                    kRadius - kFrame);
    cairo_fill(cr);
    cairo_pattern_destroy(beige);

    const double centre = 151;
    DrawWordMark(cr, Box{13, 141, 72, 160}, 1.0);
    DownArrow(cr, 77, centre, 3, Rgb{70, 70, 70});

    // Search box with a magnifier at its left and a drop-down at its right.
    const double boxLeft = 88.5;
    const double boxRight = 240.5;
    SetSource(cr, kWhite);
    RoundedRectPath(cr, boxLeft, 141.5, boxRight - boxLeft, 19, 3);
    cairo_fill_preserve(cr);
    SetSource(cr, Rgb{125, 140, 155});
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    Magnifier(cr, 97, centre - 2, 4, Rgb{0, 130, 150});
    Label(cr, "Search the web", 109, centre + 4, 11, Rgb{150, 150, 150});
    Separator(cr, 226, 143, 160, Rgb{210, 210, 210});
    DownArrow(cr, 234, centre, 3, Rgb{70, 70, 70});

    // Go: a small button in the toolbar's own cyan.
    cairo_pattern_t* go = cairo_pattern_create_linear(0, 141, 0, 161);
    cairo_pattern_add_color_stop_rgb(go, 0, 0.45, 0.85, 0.92);
    cairo_pattern_add_color_stop_rgb(go, 1, 0.0, 0.55, 0.65);
    cairo_set_source(cr, go);
    RoundedRectPath(cr, 247.5, 141.5, 30, 19, 4);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(go);
    SetSource(cr, Rgb{0, 100, 115});
    cairo_stroke(cr);
    const double goWidth = LabelWidth(cr, "Go", 11, Weight::kBold);
    Label(cr, "Go", 262.5 - goWidth / 2, centre + 4, 11, kWhite, Weight::kBold);

    Separator(cr, 286, 139, 163, Rgb{200, 186, 150});

    // Three buttons: games (a die), card games (a card with a heart), word games (a letter tile).
    double x = 296;
    x = ToolbarButton(cr, x, centre, "Games", [cr](double cx, double cy) {
        SetSource(cr, kWhite);
        RoundedRectPath(cr, cx - 7.5, cy - 7.5, 15, 15, 3);
        cairo_fill_preserve(cr);
        SetSource(cr, Rgb{200, 40, 40});
        cairo_set_line_width(cr, 1.2);
        cairo_stroke(cr);
        for (const auto& [dx, dy] :
             std::array<std::array<double, 2>, 5>{{{-4, -4}, {4, -4}, {0, 0}, {-4, 4}, {4, 4}}}) {
            cairo_arc(cr, cx + dx, cy + dy, 1.6, 0, 2 * M_PI);
            cairo_fill(cr);
        }
    });
    x = ToolbarButton(cr, x + 14, centre, "Cards", [cr](double cx, double cy) {
        SetSource(cr, kWhite);
        RoundedRectPath(cr, cx - 6, cy - 8.5, 12, 17, 2);
        cairo_fill_preserve(cr);
        SetSource(cr, Rgb{110, 110, 120});
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        SetSource(cr, Rgb{215, 25, 45});
        cairo_move_to(cr, cx, cy + 4.5);
        cairo_curve_to(cr, cx - 7, cy - 1, cx - 3, cy - 7, cx, cy - 3);
        cairo_curve_to(cr, cx + 3, cy - 7, cx + 7, cy - 1, cx, cy + 4.5);
        cairo_fill(cr);
    });
    ToolbarButton(cr, x + 14, centre, "Words", [cr](double cx, double cy) {
        cairo_pattern_t* tile = cairo_pattern_create_linear(0, cy - 8, 0, cy + 8);
        cairo_pattern_add_color_stop_rgb(tile, 0, 1.0, 0.85, 0.35);
        cairo_pattern_add_color_stop_rgb(tile, 1, 0.85, 0.55, 0.1);
        cairo_set_source(cr, tile);
        RoundedRectPath(cr, cx - 8, cy - 8, 16, 16, 2.5);
        cairo_fill(cr);
        cairo_pattern_destroy(tile);
        const double width = LabelWidth(cr, "A", 13, Weight::kBold);
        Label(cr, "A", cx - width / 2, cy + 5, 13, Rgb{90, 50, 10}, Weight::kBold);
    });
}

// Rows 185 to 353: plain grey with the options panel, whose white outline is set off by faint
// grooves: inside its top and left edges and below its bottom edge, as if pressed into the grey.
void DrawOptionsArea(cairo_t* cr) {
    FillPixels(cr, 0, 185, kWidth - 1, 353, kOptionsGrey);
    FillPixels(cr, 496, 185, 496, 353, kOptionsEdge);

    constexpr double kLeft = 17.5;  // pixel centres of the outline
    constexpr double kTop = 203.5;
    constexpr double kRight = 323.5;
    constexpr double kBottom = 343.5;
    constexpr double kRadius = 5;
    cairo_set_line_width(cr, 1);
    SetSource(cr, kPanelGroove);
    cairo_move_to(cr, kLeft + 1, kBottom - kRadius);
    cairo_arc(cr, kLeft + kRadius, kTop + kRadius, kRadius - 1, M_PI, 1.5 * M_PI);
    cairo_line_to(cr, kRight - kRadius, kTop + 1);
    cairo_stroke(cr);
    cairo_move_to(cr, kLeft + kRadius, kBottom + 1);
    cairo_line_to(cr, kRight - kRadius, kBottom + 1);
    cairo_stroke(cr);

    SetSource(cr, kWhite);
    RoundedRectPath(cr, kLeft, kTop, kRight - kLeft, kBottom - kTop, kRadius);
    cairo_stroke(cr);
}

}  // namespace

void DrawWordMark(cairo_t* cr, Box box, double outlineWidth) {
    constexpr std::string_view kWord = "ZORBAL";
    constexpr std::array<Rgb, 3> kColours = {Rgb{232, 28, 36}, Rgb{255, 198, 0}, Rgb{0, 182, 222}};
    constexpr std::array<double, 6> kTilt = {-0.07, 0.05, -0.04, 0.06, -0.05, 0.04};
    constexpr std::array<double, 6> kLift = {0.0, -0.04, 0.03, -0.03, 0.02, -0.02};
    const Rgb outline{28, 22, 58};

    // Lay the letters out at a unit size, measure, then map that layout onto the box.
    cairo_save(cr);
    cairo_new_path(cr);
    SelectFont(cr, Weight::kBold, 1.0, 1.35);
    double pen = 0;
    struct Placed {
        double x, tilt, lift;
    };
    std::array<Placed, 6> placed{};
    for (std::size_t i = 0; i < kWord.size(); ++i) {
        const char letter[2] = {kWord[i], 0};
        cairo_text_extents_t extents;
        cairo_text_extents(cr, letter, &extents);
        placed[i] = {pen - extents.x_bearing, kTilt[i], kLift[i]};
        pen += extents.width * 0.93;
    }
    const auto letterPath = [&](std::size_t i) {
        const char letter[2] = {kWord[i], 0};
        cairo_save(cr);
        cairo_translate(cr, placed[i].x, placed[i].lift);
        cairo_rotate(cr, placed[i].tilt);
        cairo_move_to(cr, 0, 0);
        cairo_text_path(cr, letter);
        cairo_restore(cr);
    };
    for (std::size_t i = 0; i < kWord.size(); ++i) letterPath(i);
    double x1, y1, x2, y2;
    cairo_path_extents(cr, &x1, &y1, &x2, &y2);
    cairo_new_path(cr);
    // The outline's outer edge lands half a pixel inside the box: the stroker's round joins may
    // reach a little past the nominal half width.
    const double half = outlineWidth / 2 + 0.5;
    const double scaleX = (box.Width() - 2 * half) / (x2 - x1);
    const double scaleY = (box.Height() - 2 * half) / (y2 - y1);
    cairo_translate(cr, box.left + half, box.top + half);
    cairo_scale(cr, scaleX, scaleY);
    cairo_translate(cr, -x1, -y1);

    for (std::size_t i = 0; i < kWord.size(); ++i) {
        const Rgb colour = kColours[i % kColours.size()];
        letterPath(i);
        cairo_save(cr);
        cairo_identity_matrix(cr);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_set_line_width(cr, outlineWidth);
        SetSource(cr, outline);
        cairo_stroke_preserve(cr);
        cairo_restore(cr);
        // Lighter at the top, full colour at the foot: a little gloss on each block letter.
        cairo_pattern_t* fill = cairo_pattern_create_linear(0, y1, 0, y2);
        const Rgb light = Mix(colour, kWhite, 0.45);
        cairo_pattern_add_color_stop_rgb(fill, 0, light.r / 255.0, light.g / 255.0, light.b / 255.0);
        cairo_pattern_add_color_stop_rgb(fill, 0.55, colour.r / 255.0, colour.g / 255.0, colour.b / 255.0);
        const Rgb deep = Mix(colour, outline, 0.15);
        cairo_pattern_add_color_stop_rgb(fill, 1, deep.r / 255.0, deep.g / 255.0, deep.b / 255.0);
        cairo_set_source(cr, fill);
        cairo_fill(cr);
        cairo_pattern_destroy(fill);
    }
    cairo_restore(cr);
}

platform::Picture DrawBackground() {
    Canvas canvas(kWidth, kHeight);
    cairo_t* cr = canvas.Cr();

    // Header: word-mark and tagline at the left, the headline at the right.
    FillPixels(cr, 0, 0, kWidth - 1, 83, kWhite);
    DrawWordMark(cr, Box{9, 14, 151, 49}, 2.4);
    DrawFittedText(cr, "FREE ONLINE GAMES", Weight::kRegular, Box{13, 50, 147, 57}, kBlack);
    DrawFittedText(cr, "The Zorbal toolbar allows you to play full", Weight::kBold, Box{169, 26, 468, 39}, kBlack);
    DrawFittedText(cr, "versions of best casual games absolutely free.", Weight::kBold, Box{169, 43, 468, 56}, kBlack);
    FillPixels(cr, 0, 84, kWidth - 1, 84, kBlack);

    DrawBrowser(cr);
    DrawToolbar(cr);
    FillPixels(cr, 0, 171, kWidth - 1, 176, kLavender);
    for (int row = 177; row <= 184; ++row)
        FillPixels(cr, 0, row, kWidth - 1, row, Mix(kShadowTop, kShadowBottom, (row - 177) / 7.0));

    DrawOptionsArea(cr);
    struct Line {
        std::string_view words;
        Box box;
    };
    constexpr std::array<Line, 6> kLines = {{
        {"Install the Zorbal toolbar for the Internet Explorer", {47, 218, 306, 227}},
        {"Set the Zorbal web search as my default search", {58, 249, 316, 258}},
        {"in the Internet Explorer", {62, 262, 172, 271}},
        {"Set the Zorbal web search as my homepage", {58, 284, 299, 293}},
        {"If you opted to install the Zorbal community toolbar, then", {30, 315, 298, 323}},
        {"by clicking Play, you agree to the End User License Agreement.", {29, 327, 308, 335}},
    }};
    for (const Line& line : kLines) DrawFittedText(cr, line.words, Weight::kRegular, line.box, kBlack);

    FillPixels(cr, 0, 354, kWidth - 1, 354, kBlack);
    FillPixels(cr, 0, 355, kWidth - 1, 375, kWhite);
    return canvas.ToPicture();
}

}  // namespace artgen
