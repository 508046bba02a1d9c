#pragma once
// Turns the pointer events of a form's client area into the enter, leave and click events of its
// painted controls. The last control created lies on top. A hidden control takes no part; a
// disabled one takes part in enter and leave but not in clicks, which go to the control beneath.
// While a button pressed over a control is held, only that control gets enter and leave, and the
// release over the same control is its click.
#include <memory>
#include <vector>

#include "platform/controls.h"

namespace platform {

class PointerRouter {
public:
    using Controls = std::vector<std::unique_ptr<PaintedControl>>;
    explicit PointerRouter(const Controls& controls) : controls_(controls) {}

    void Move(int x, int y);
    void Press(int x, int y);
    void Release(int x, int y);
    // The pointer left the client area (onto the frame, a child window or away).
    void Leave();
    // The button's capture was taken away: the press ends without a click.
    void CancelPress();

    // The topmost visible control under the point; enabled ones only when asked.
    [[nodiscard]] PaintedControl* HitTest(int x, int y, bool enabledOnly) const;
    [[nodiscard]] PaintedControl* Hovered() const { return hovered_; }
    [[nodiscard]] bool Pressed() const { return pressed_; }

private:
    void HoverOver(PaintedControl* control);

    const Controls& controls_;
    PaintedControl* hovered_ = nullptr;
    PaintedControl* pressedOn_ = nullptr;
    bool pressed_ = false;
};

}  // namespace platform
