#pragma once
// A top-level form: its properties, its controls in creation order, and its two looks. The window
// that shows it is a FormHost, attached once created; the form forwards property changes to it.
#include <memory>
#include <string>
#include <vector>

#include "platform/application.h"
#include "platform/controls.h"
#include "platform/geometry.h"
#include "platform/window_handle.h"

namespace platform {

enum class BorderStyle { None, Single };
enum class Position { Designed, DesktopCenter };

struct FormProperties {
    std::string className;
    std::string caption;
    int clientWidth = 0;
    int clientHeight = 0;
    int left = 0;
    int top = 0;
    Position position = Position::Designed;
    BorderStyle borderStyle = BorderStyle::Single;
    bool systemMenu = true;
    bool minimizeBox = true;
    bool maximizeBox = true;
    bool transparentColor = false;
    Rgb transparentColorValue;  // black unless a description says otherwise
    Colour colour = Colour::System(kColourBtnFace);
    Font font;
    std::string iconResource;
};

// The window side of a form.
class FormHost {
public:
    virtual ~FormHost() = default;
    [[nodiscard]] virtual WindowHandle Handle() const = 0;
    // Switches the colour key on or off in place; off redraws the whole window at once.
    virtual void ApplyTransparentColor(bool on, Rgb key) = 0;
    // Recomputes the frame in place: no move, no resize, no activation.
    virtual void ApplyBorderStyle(BorderStyle style) = 0;
    // Places the window as the form's Position says and makes it visible.
    virtual void PlaceAndShow() = 0;
    virtual void Hide() = 0;
    virtual void Invalidate(const Rect& area) = 0;
    [[nodiscard]] virtual bool IsChecked(const CheckBoxControl& box) const = 0;
};

class Form : public Component {
public:
    // The first form of an application is its main form: closing it ends the application.
    Form(std::string name, FormProperties properties, Application& application);

    [[nodiscard]] const FormProperties& Properties() const { return properties_; }
    [[nodiscard]] const std::vector<std::unique_ptr<PaintedControl>>& PaintedControls() const { return painted_; }
    [[nodiscard]] const std::vector<std::unique_ptr<CheckBoxControl>>& CheckBoxes() const { return checkBoxes_; }

    ImageControl& AddImage(std::string name, Rect bounds);
    LabelControl& AddLabel(std::string name, Rect bounds);
    CheckBoxControl& AddCheckBox(std::string name, Rect bounds, bool checked);

    void AttachHost(FormHost* host) { host_ = host; }
    [[nodiscard]] FormHost* Host() const { return host_; }
    [[nodiscard]] WindowHandle Handle() const { return host_ ? host_->Handle() : 0; }

    [[nodiscard]] bool TransparentColor() const { return properties_.transparentColor; }
    void SetTransparentColor(bool on);
    [[nodiscard]] BorderStyle GetBorderStyle() const { return properties_.borderStyle; }
    void SetBorderStyle(BorderStyle style);
    void SetPosition(Position position) { properties_.position = position; }

    // The first display: OnShow runs (an exception from it is reported and the display goes on),
    // then the window is placed and made visible.
    void Show();
    void Hide();
    // Asks the application to end: this is its main form, and nothing vetoes closing.
    void Close();

    EventHandler OnShow;

    // Repaints part of the client area; called by controls whose looks changed.
    void Invalidate(const Rect& area);

private:
    FormProperties properties_;
    Application& application_;
    FormHost* host_ = nullptr;
    std::vector<std::unique_ptr<PaintedControl>> painted_;
    std::vector<std::unique_ptr<CheckBoxControl>> checkBoxes_;
};

}  // namespace platform
