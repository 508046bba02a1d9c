#pragma once
// The controls of a form. Pictures and labels are painted by the form's window itself; check boxes
// are windows of their own, which the form's window creates and queries.
#include <functional>
#include <string>

#include "platform/geometry.h"
#include "platform/picture.h"

namespace platform {

class Form;

// Anything that raises events: a form or one of its controls.
class Component {
public:
    explicit Component(std::string name) : name_(std::move(name)) {}
    virtual ~Component() = default;
    Component(const Component&) = delete;
    Component& operator=(const Component&) = delete;

    [[nodiscard]] const std::string& Name() const { return name_; }

private:
    std::string name_;
};

// Handlers take the component that raised the event.
using EventHandler = std::function<void(Component* sender)>;

// A control drawn into its form's client area and hit-tested by the form.
class PaintedControl : public Component {
public:
    PaintedControl(Form& owner, std::string name, Rect bounds) : Component(std::move(name)), owner_(owner), bounds_(bounds) {}

    [[nodiscard]] const Rect& Bounds() const { return bounds_; }
    [[nodiscard]] bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    [[nodiscard]] bool Enabled() const { return enabled_; }
    // Setting the state it already has does nothing; a change repaints the control.
    void SetEnabled(bool enabled);

    Cursor cursor = Cursor::Default;
    EventHandler OnClick;
    EventHandler OnMouseEnter;
    EventHandler OnMouseLeave;

    // Raised by the form's pointer routing.
    void Click() { Raise(OnClick); }
    void MouseEnter() { Raise(OnMouseEnter); }
    void MouseLeave() { Raise(OnMouseLeave); }

protected:
    void Repaint();
    void SetBounds(Rect bounds);

private:
    void Raise(const EventHandler& handler) {
        if (handler) handler(this);
    }

    Form& owner_;
    Rect bounds_;
    bool visible_ = true;
    bool enabled_ = true;
};

class ImageControl : public PaintedControl {
public:
    using PaintedControl::PaintedControl;

    [[nodiscard]] const Picture& GetPicture() const { return picture_; }
    // Takes a picture of its own (a copy; a temporary is moved in, as the background is a large one),
    // takes its size when AutoSize is on, and repaints.
    void SetPicture(Picture picture);

    bool autoSize = false;
    // When on, the pixels in the colour of the picture's bottom-left pixel are left out.
    bool transparent = false;

private:
    Picture picture_;
};

class LabelControl : public PaintedControl {
public:
    using PaintedControl::PaintedControl;

    std::string caption;
    Font font;
    Colour background;

    // The label takes the size of its text as the window's font system measures it, so what can be
    // clicked is what can be read whatever face the system substitutes.
    void FitText(int width, int height) { SetBounds({Bounds().left, Bounds().top, width, height}); }
};

// A two-state box that the user ticks; the launcher never sets it once the window exists.
class CheckBoxControl : public Component {
public:
    CheckBoxControl(Form& owner, std::string name, Rect bounds, bool initiallyChecked)
        : Component(std::move(name)), owner_(owner), bounds_(bounds), initiallyChecked_(initiallyChecked) {}

    [[nodiscard]] const Rect& Bounds() const { return bounds_; }
    [[nodiscard]] bool InitiallyChecked() const { return initiallyChecked_; }
    // The box's current state, read from its window once it has one.
    [[nodiscard]] bool Checked() const;

    Cursor cursor = Cursor::Default;
    Colour background;
    EventHandler OnClick;
    // Raised by the form's window after the user toggled the box.
    void Click() {
        if (OnClick) OnClick(this);
    }

private:
    Form& owner_;
    Rect bounds_;
    bool initiallyChecked_;
};

}  // namespace platform
