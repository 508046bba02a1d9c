#include "platform/form.h"

#include <stdexcept>
#include <utility>

namespace platform {

Form::Form(std::string name, FormProperties properties, Application& application)
    : Component(std::move(name)), properties_(std::move(properties)), application_(application) {}

ImageControl& Form::AddImage(std::string name, Rect bounds) {
    auto& added = painted_.emplace_back(std::make_unique<ImageControl>(*this, std::move(name), bounds));
    return static_cast<ImageControl&>(*added);
}

LabelControl& Form::AddLabel(std::string name, Rect bounds) {
    auto& added = painted_.emplace_back(std::make_unique<LabelControl>(*this, std::move(name), bounds));
    return static_cast<LabelControl&>(*added);
}

CheckBoxControl& Form::AddCheckBox(std::string name, Rect bounds, bool checked) {
    return *checkBoxes_.emplace_back(std::make_unique<CheckBoxControl>(*this, std::move(name), bounds, checked));
}

void Form::SetTransparentColor(bool on) {
    if (properties_.transparentColor == on) return;
    properties_.transparentColor = on;
    if (host_) host_->ApplyTransparentColor(on, properties_.transparentColorValue);
}

void Form::SetBorderStyle(BorderStyle style) {
    if (properties_.borderStyle == style) return;
    properties_.borderStyle = style;
    if (host_) host_->ApplyBorderStyle(style);
}

void Form::Show() {
    try {
        if (OnShow) OnShow(this);
    } catch (const std::exception& error) {
        application_.ShowException(error);
    } catch (...) {
        application_.ShowException(std::runtime_error("Unexpected failure"));
    }
    if (host_) host_->PlaceAndShow();
}

void Form::Hide() {
    if (host_) host_->Hide();
}

void Form::Close() { application_.Terminate(); }

void Form::Invalidate(const Rect& area) {
    if (host_) host_->Invalidate(area);
}

// Controls reach their window through the form that owns them.

void PaintedControl::SetVisible(bool visible) {
    if (visible_ == visible) return;
    visible_ = visible;
    Repaint();
}

void PaintedControl::SetEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    Repaint();
}

void PaintedControl::Repaint() { owner_.Invalidate(bounds_); }

void PaintedControl::SetBounds(Rect bounds) {
    if (bounds_ == bounds) return;
    Repaint();
    bounds_ = bounds;
    Repaint();
}

void ImageControl::SetPicture(Picture picture) {
    picture_ = std::move(picture);
    if (autoSize) SetBounds({Bounds().left, Bounds().top, picture_.width, picture_.height});
    Repaint();
}

bool CheckBoxControl::Checked() const {
    const FormHost* host = owner_.Host();
    return host ? host->IsChecked(*this) : initiallyChecked_;
}

}  // namespace platform
