#pragma once
// The window's description as data: its properties, and every control in creation order with its
// place, looks, initial state and the handlers bound to its events.
#include <variant>
#include <vector>

#include "offer_window/Unit1.h"

namespace offer_window {

using Handler = void (TForm1::*)(platform::Component*);

enum class ControlKind { Image, Label, CheckBox };

struct ControlDescription {
    ControlKind kind;
    const char* name;
    platform::Rect bounds;
    std::variant<platform::ImageControl* TForm1::*, platform::LabelControl* TForm1::*,
                 platform::CheckBoxControl* TForm1::*>
        member;
    platform::Cursor cursor = platform::Cursor::Default;
    bool visible = true;
    // Pictures: the resource the picture comes from.
    const char* picture = nullptr;
    bool autoSize = false;
    bool transparent = false;
    // Labels.
    const char* caption = nullptr;
    platform::Font font{};
    // Labels and check boxes.
    platform::Colour background{};
    // Check boxes.
    bool checked = false;
    int tabOrder = -1;
    Handler onClick = nullptr;
    Handler onMouseEnter = nullptr;
    Handler onMouseLeave = nullptr;
};

struct FormDescription {
    platform::FormProperties properties;
    Handler onShow;
    std::vector<ControlDescription> controls;
};

}  // namespace offer_window

extern const offer_window::FormDescription TFORM1;
