// The launcher's icon: a round badge with a blue rim showing a fairy-tale castle. Drawn on a
// 64-unit grid and scaled, with the rim and the castle's strokes kept thick enough to read at 16.
#include <algorithm>
#include <cmath>

#include "artwork.h"

namespace artgen {
namespace {

constexpr double kGrid = 64;
constexpr double kCentre = 32;

void Stops(cairo_pattern_t* pattern, Rgb from, Rgb to) {
    cairo_pattern_add_color_stop_rgb(pattern, 0, from.r / 255.0, from.g / 255.0, from.b / 255.0);
    cairo_pattern_add_color_stop_rgb(pattern, 1, to.r / 255.0, to.g / 255.0, to.b / 255.0);
}

void FillWithGradient(cairo_t* cr, double y0, double y1, Rgb top, Rgb bottom) {
    cairo_pattern_t* gradient = cairo_pattern_create_linear(0, y0, 0, y1);
    Stops(gradient, top, bottom);
    cairo_set_source(cr, gradient);
    cairo_fill(cr);
    cairo_pattern_destroy(gradient);
}

// A pointed roof over a tower from x0 to x1 whose walls start at `eaves`: red with a white band.
void Roof(cairo_t* cr, double x0, double x1, double eaves, double peak, bool banded) {
    const double overhang = 1.5;
    const auto cone = [&] {
        cairo_move_to(cr, x0 - overhang, eaves);
        cairo_line_to(cr, (x0 + x1) / 2, peak);
        cairo_line_to(cr, x1 + overhang, eaves);
        cairo_close_path(cr);
    };
    cone();
    SetSource(cr, Rgb{214, 30, 38});
    cairo_fill(cr);
    cairo_save(cr);
    cone();
    cairo_clip(cr);
    const double height = eaves - peak;
    if (banded) {
        SetSource(cr, Rgb{255, 250, 250});
        cairo_rectangle(cr, x0 - 2, peak + height * 0.5, x1 - x0 + 4, height * 0.26);
        cairo_fill(cr);
    }
    // A shade down the right-hand side gives the cone some roundness.
    SetSource(cr, Rgb{120, 0, 10}, 0.25);
    cairo_rectangle(cr, (x0 + x1) / 2, peak, x1 - x0, height);
    cairo_fill(cr);
    cairo_restore(cr);
}

void Tower(cairo_t* cr, double x0, double x1, double top, double bottom, Rgb wall, Rgb shade) {
    cairo_rectangle(cr, x0, top, x1 - x0, bottom - top);
    cairo_pattern_t* side = cairo_pattern_create_linear(x0, 0, x1, 0);
    Stops(side, wall, shade);
    cairo_set_source(cr, side);
    cairo_fill(cr);
    cairo_pattern_destroy(side);
}

void Window(cairo_t* cr, double x, double y, double width, double height) {
    SetSource(cr, Rgb{60, 30, 18});
    cairo_new_path(cr);
    cairo_move_to(cr, x, y + height);
    cairo_line_to(cr, x, y + width / 2);
    cairo_arc(cr, x + width / 2, y + width / 2, width / 2, M_PI, 2 * M_PI);
    cairo_line_to(cr, x + width, y + height);
    cairo_close_path(cr);
    cairo_fill(cr);
}

}  // namespace

Canvas DrawBadge(int size) {
    Canvas canvas(size, size);
    cairo_t* cr = canvas.Cr();
    cairo_scale(cr, size / kGrid, size / kGrid);
    const double unit = kGrid / size;              // one pixel in grid units
    const double rim = std::max(5.0, 1.7 * unit);  // at least about 1.7 pixels
    const double outer = kCentre - 0.5 * unit;     // keep the anti-aliased edge inside the image
    const double inner = outer - rim;
    const bool detailed = size >= 32;

    // Rim: a blue ring, light at the top and deep at the bottom, with a darker edge.
    cairo_arc(cr, kCentre, kCentre, outer, 0, 2 * M_PI);
    FillWithGradient(cr, 0, kGrid, Rgb{110, 170, 250}, Rgb{18, 58, 170});
    cairo_set_line_width(cr, std::max(1.0, unit));
    cairo_arc(cr, kCentre, kCentre, outer - cairo_get_line_width(cr) / 2, 0, 2 * M_PI);
    SetSource(cr, Rgb{14, 40, 120});
    cairo_stroke(cr);

    // Inside the rim: sky, then a green hill, clipped to the disc.
    cairo_save(cr);
    cairo_arc(cr, kCentre, kCentre, inner, 0, 2 * M_PI);
    cairo_clip(cr);
    cairo_rectangle(cr, 0, 0, kGrid, kGrid);
    FillWithGradient(cr, kCentre - inner, 46, Rgb{150, 206, 250}, Rgb{214, 238, 255});
    if (detailed) {
        // A small cloud to the upper right of the keep.
        SetSource(cr, Rgb{255, 255, 255}, 0.9);
        cairo_new_path(cr);
        cairo_arc(cr, 44, 14, 2.6, 0, 2 * M_PI);
        cairo_new_sub_path(cr);
        cairo_arc(cr, 47.5, 12.5, 3.4, 0, 2 * M_PI);
        cairo_new_sub_path(cr);
        cairo_arc(cr, 51, 14.5, 2.4, 0, 2 * M_PI);
        cairo_fill(cr);
    }
    cairo_move_to(cr, 0, 47);
    cairo_curve_to(cr, 16, 41, 44, 41, kGrid, 47);
    cairo_line_to(cr, kGrid, kGrid);
    cairo_line_to(cr, 0, kGrid);
    cairo_close_path(cr);
    FillWithGradient(cr, 42, 60, Rgb{110, 196, 76}, Rgb{44, 128, 40});

    // The castle: a wall with battlements, a tall keep and two side towers. At 16 pixels it
    // stands a little larger, so that its roofs still read as roofs.
    if (!detailed) {
        cairo_translate(cr, kCentre, 52);
        cairo_scale(cr, 1.2, 1.2);
        cairo_translate(cr, -kCentre, -52);
    }
    const Rgb wall{168, 108, 60};
    const Rgb shade{122, 74, 38};
    const double ground = 51;
    Tower(cr, 15, 49, 37, ground, wall, shade);
    if (detailed) {
        for (double x = 15; x < 49; x += 6) cairo_rectangle(cr, x, 34, 3.5, 3.5);
        SetSource(cr, wall);
        cairo_fill(cr);
    }
    Tower(cr, 13, 21, 29, ground, wall, shade);
    Tower(cr, 43, 51, 29, ground, wall, shade);
    Tower(cr, 26, 38, 24, ground, Mix(wall, Rgb{255, 255, 255}, 0.12), shade);
    if (detailed) {
        // Pennant on the keep: a thin pole and a small pink flag.
        SetSource(cr, Rgb{90, 60, 40});
        cairo_set_line_width(cr, std::max(0.9, 0.8 * unit));
        cairo_move_to(cr, 32, 13);
        cairo_line_to(cr, 32, 6);
        cairo_stroke(cr);
        SetSource(cr, Rgb{255, 112, 178});
        cairo_move_to(cr, 32, 6);
        cairo_line_to(cr, 41, 8.4);
        cairo_line_to(cr, 32, 10.8);
        cairo_close_path(cr);
        cairo_fill(cr);
    }
    // At 16 pixels a white band would only turn the roofs pink: there they are plain red.
    Roof(cr, 13, 21, 29, 18, detailed);
    Roof(cr, 43, 51, 29, 18, detailed);
    Roof(cr, 26, 38, 24, 12, detailed);
    // Door and windows.
    Window(cr, 28.5, 42.5, 7, ground - 42.5);
    if (detailed) {
        Window(cr, 15.5, 32, 3, 6);
        Window(cr, 45.5, 32, 3, 6);
        Window(cr, 30.5, 27, 3, 7);
        Window(cr, 19.5, 41.5, 3, 5);
        Window(cr, 41.5, 41.5, 3, 5);
    }
    SetSource(cr, shade);
    cairo_set_line_width(cr, 0.8 * std::max(1.0, unit));
    cairo_rectangle(cr, 15, 37, 34, ground - 37);
    cairo_stroke(cr);
    cairo_restore(cr);

    // A soft shine over the upper part of the rim; at 16 pixels it would only blur the rim.
    if (detailed) {
        cairo_set_line_width(cr, rim * 0.35);
        SetSource(cr, Rgb{255, 255, 255}, 0.45);
        cairo_new_path(cr);
        cairo_arc(cr, kCentre, kCentre, outer - rim * 0.55, M_PI * 1.15, M_PI * 1.85);
        cairo_stroke(cr);
    }
    return canvas;
}

}  // namespace artgen
