#include "platform/pointer_router.h"

namespace platform {

PaintedControl* PointerRouter::HitTest(int x, int y, bool enabledOnly) const {
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        PaintedControl& control = **it;
        if (control.Visible() && (!enabledOnly || control.Enabled()) && control.Bounds().Contains(x, y)) return &control;
    }
    return nullptr;
}

void PointerRouter::HoverOver(PaintedControl* control) {
    if (control == hovered_) return;
    // Set before raising, so a handler that reads the state sees the new one.
    PaintedControl* left = hovered_;
    hovered_ = control;
    if (left) left->MouseLeave();
    if (control) control->MouseEnter();
}

void PointerRouter::Move(int x, int y) {
    if (!pressed_) {
        HoverOver(HitTest(x, y, false));
        return;
    }
    const bool overPressed = pressedOn_ && pressedOn_->Visible() && pressedOn_->Bounds().Contains(x, y);
    HoverOver(overPressed ? pressedOn_ : nullptr);
}

void PointerRouter::Press(int x, int y) {
    Move(x, y);
    pressed_ = true;
    pressedOn_ = HitTest(x, y, true);
    HoverOver(pressedOn_);
}

void PointerRouter::Release(int x, int y) {
    if (!pressed_) return;
    PaintedControl* target = pressedOn_;
    pressed_ = false;
    pressedOn_ = nullptr;
    const bool click = target && target->Visible() && target->Enabled() && target->Bounds().Contains(x, y);
    if (click) target->Click();
    Move(x, y);
}

void PointerRouter::Leave() {
    if (!pressed_) HoverOver(nullptr);
}

void PointerRouter::CancelPress() {
    pressed_ = false;
    pressedOn_ = nullptr;
}

}  // namespace platform
