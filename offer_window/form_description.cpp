#include "offer_window/form_description.h"

#include "app/product.h"

namespace {

using offer_window::ControlKind;
using platform::Colour;
using platform::Cursor;
using platform::Font;
using platform::Rgb;

const Font kWindowFont{"Tahoma", -11, 1, Colour::System(platform::kColourWindowText), false};
const Font kLinkFont{"Tahoma", -11, 1, Colour::Fixed(Rgb{0, 0, 128}), true};
const Colour kWhite = Colour::Fixed(Rgb{255, 255, 255});
const Colour kSilver = Colour::Fixed(Rgb{192, 192, 192});

platform::FormProperties Properties() {
    platform::FormProperties p;
    p.className = "TForm1";
    p.caption = product::kPortalHost;
    p.clientWidth = 502;
    p.clientHeight = 408;
    p.left = 0;
    p.top = 0;
    p.position = platform::Position::DesktopCenter;
    p.borderStyle = platform::BorderStyle::None;
    p.systemMenu = true;
    p.minimizeBox = true;
    p.maximizeBox = false;
    p.transparentColor = true;
    p.transparentColorValue = Rgb{0, 0, 0};
    p.colour = Colour::System(platform::kColourBtnFace);
    p.font = kWindowFont;
    p.iconResource = "MAINICON";
    return p;
}

// A picture holder: never shown, never hit; its place has no effect.
offer_window::ControlDescription Holder(const char* name, platform::Rect bounds,
                                        platform::ImageControl* TForm1::*member, const char* picture) {
    offer_window::ControlDescription d{ControlKind::Image, name, bounds, member};
    d.visible = false;
    d.picture = picture;
    return d;
}

offer_window::ControlDescription Box(const char* name, platform::Rect bounds,
                                     platform::CheckBoxControl* TForm1::*member, int tabOrder,
                                     offer_window::Handler onClick) {
    offer_window::ControlDescription d{ControlKind::CheckBox, name, bounds, member, Cursor::HandPoint};
    d.background = kSilver;
    d.checked = true;
    d.tabOrder = tabOrder;
    d.onClick = onClick;
    return d;
}

offer_window::ControlDescription Link(const char* name, platform::Rect bounds, platform::LabelControl* TForm1::*member,
                                      const char* caption, offer_window::Handler onClick) {
    offer_window::ControlDescription d{ControlKind::Label, name, bounds, member, Cursor::HandPoint};
    d.caption = caption;
    d.font = kLinkFont;
    d.background = kWhite;
    d.onClick = onClick;
    return d;
}

offer_window::ControlDescription Background() {
    offer_window::ControlDescription d{ControlKind::Image, "Image1", {0, 1, 497, 376}, &TForm1::Image1};
    d.picture = "BACKGROUND";
    d.autoSize = true;
    return d;
}

offer_window::ControlDescription Button(const char* name, platform::Rect bounds, platform::ImageControl* TForm1::*member,
                                        const char* picture, bool transparent, offer_window::Handler onClick,
                                        offer_window::Handler onEnter, offer_window::Handler onLeave) {
    offer_window::ControlDescription d{ControlKind::Image, name, bounds, member, Cursor::HandPoint};
    d.picture = picture;
    d.transparent = transparent;
    d.onClick = onClick;
    d.onMouseEnter = onEnter;
    d.onMouseLeave = onLeave;
    return d;
}

}  // namespace

const offer_window::FormDescription TFORM1{
    Properties(),
    &TForm1::FormShow,
    {
        Background(),
        Button("b_play", {339, 205, 146, 64}, &TForm1::b_play, "PLAY_NORMAL", false, &TForm1::b_playClick,
               &TForm1::b_playMouseEnter, &TForm1::b_playMouseLeave),
        Button("b_cancel", {339, 281, 146, 64}, &TForm1::b_cancel, "CANCEL_NORMAL", true, &TForm1::b_cancelClick,
               &TForm1::b_cancelMouseEnter, &TForm1::b_cancelMouseLeave),
        Link("Label5", {95, 358, 25, 13}, &TForm1::Label5, "EULA", &TForm1::Label5Click),
        Link("Label4", {8, 358, 65, 13}, &TForm1::Label4, "Privacy Policy", &TForm1::Label4Click),
        Holder("play_light", {384, 8, 17, 17}, &TForm1::play_light, "PLAY_LIGHT"),
        Holder("play_normal", {348, 8, 21, 17}, &TForm1::play_normal, "PLAY_NORMAL"),
        Holder("play_disabled", {420, 8, 21, 17}, &TForm1::play_disabled, "PLAY_DISABLED"),
        Holder("cancel_normal", {344, 56, 25, 17}, &TForm1::cancel_normal, "CANCEL_NORMAL"),
        Holder("cancel_light", {375, 55, 17, 18}, &TForm1::cancel_light, "CANCEL_LIGHT"),
        Box("CheckBox2", {29, 217, 13, 13}, &TForm1::CheckBox2, 0, &TForm1::CheckBox2Click),
        Box("CheckBox3", {40, 283, 13, 13}, &TForm1::CheckBox3, 1, &TForm1::CheckBox3Click),
        Box("CheckBox4", {40, 248, 13, 13}, &TForm1::CheckBox4, 2, &TForm1::CheckBox4Click),
    },
};
