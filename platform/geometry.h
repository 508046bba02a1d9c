#pragma once
#include <optional>
#include <string>

#include "platform/picture.h"

namespace platform {

struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    [[nodiscard]] bool Contains(int x, int y) const {
        return x >= left && y >= top && x < left + width && y < top + height;
    }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// A colour as a form description names it: a fixed RGB value or one of the system's colours.
struct Colour {
    std::optional<int> systemIndex;  // GetSysColor index when set
    Rgb rgb;

    static Colour System(int index) { return {index, {}}; }
    static Colour Fixed(Rgb value) { return {std::nullopt, value}; }
    friend bool operator==(const Colour&, const Colour&) = default;
};

inline constexpr int kColourWindowText = 8;  // COLOR_WINDOWTEXT
inline constexpr int kColourBtnFace = 15;    // COLOR_BTNFACE

struct Font {
    std::string face;
    int height = 0;  // negative: character height in pixels
    int charset = 1;  // DEFAULT_CHARSET
    Colour colour;
    bool underline = false;
};

enum class Cursor { Default, HandPoint };

}  // namespace platform
