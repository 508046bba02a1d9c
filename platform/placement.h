#pragma once
namespace platform {

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

// Centre of the whole virtual screen (only its size counts, not its origin), truncated toward
// zero, never left of or above 0.
[[nodiscard]] constexpr Point DesktopCentre(int desktopWidth, int desktopHeight, int windowWidth, int windowHeight) {
    const int left = (desktopWidth - windowWidth) / 2;
    const int top = (desktopHeight - windowHeight) / 2;
    return {left < 0 ? 0 : left, top < 0 ? 0 : top};
}

}  // namespace platform
