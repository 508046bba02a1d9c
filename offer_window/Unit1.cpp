#include "offer_window/Unit1.h"

#include <algorithm>

#include "app/product.h"
#include "handoff/play_handoff.h"
#include "launch/launch_decision.h"
#include "launch/probe.h"
#include "offer_window/form_description.h"

namespace {

platform::EventHandler Bind(TForm1* form, offer_window::Handler handler) {
    if (!handler) return {};
    return [form, handler](platform::Component* sender) { (form->*handler)(sender); };
}

void BindPointerEvents(TForm1* form, platform::PaintedControl& control, const offer_window::ControlDescription& d) {
    control.cursor = d.cursor;
    control.SetVisible(d.visible);
    control.OnClick = Bind(form, d.onClick);
    control.OnMouseEnter = Bind(form, d.onMouseEnter);
    control.OnMouseLeave = Bind(form, d.onMouseLeave);
}

}  // namespace

TForm1::TForm1(platform::Services& services)
    : platform::Form("Form1", TFORM1.properties, services.application), services_(services) {
    // Boxes are created in tab order, which is the order the keyboard visits them.
    std::vector<const offer_window::ControlDescription*> boxes;
    for (const offer_window::ControlDescription& d : TFORM1.controls) {
        switch (d.kind) {
            case offer_window::ControlKind::Image: {
                platform::ImageControl& image = AddImage(d.name, d.bounds);
                image.autoSize = d.autoSize;
                image.transparent = d.transparent;
                image.SetPicture(services.loadPicture(d.picture));
                BindPointerEvents(this, image, d);
                this->*std::get<platform::ImageControl * TForm1::*>(d.member) = &image;
                break;
            }
            case offer_window::ControlKind::Label: {
                platform::LabelControl& label = AddLabel(d.name, d.bounds);
                label.caption = d.caption;
                label.font = d.font;
                label.background = d.background;
                BindPointerEvents(this, label, d);
                this->*std::get<platform::LabelControl * TForm1::*>(d.member) = &label;
                break;
            }
            case offer_window::ControlKind::CheckBox:
                boxes.push_back(&d);
                break;
        }
    }
    std::stable_sort(boxes.begin(), boxes.end(), [](auto* a, auto* b) { return a->tabOrder < b->tabOrder; });
    for (const offer_window::ControlDescription* d : boxes) {
        platform::CheckBoxControl& box = AddCheckBox(d->name, d->bounds, d->checked);
        box.cursor = d->cursor;
        box.background = d->background;
        // Bound after the initial state is set, so building the window runs no handler.
        box.OnClick = Bind(this, d->onClick);
        this->*std::get<platform::CheckBoxControl * TForm1::*>(d->member) = &box;
    }
    OnShow = Bind(this, TFORM1.onShow);
}

void TForm1::FormShow(platform::Component*) { launch::DecideAtShow(services_, *this); }

bool TForm1::CheckToolbarState(bool& installed, bool& visible, bool& homePageSet) {
    return launch::CheckToolbarState(services_.openRegistry, installed, visible, homePageSet);
}

void TForm1::b_playClick(platform::Component*) { handoff::PlayHandoff(services_, *this, *b_play); }

void TForm1::b_cancelClick(platform::Component*) { Close(); }

void TForm1::ApplyPlayRule() {
    b_play->SetEnabled(CheckBox3->Checked() && CheckBox4->Checked() && CheckBox2->Checked());
    b_play->SetPicture(b_play->Enabled() ? play_normal->GetPicture() : play_disabled->GetPicture());
}

void TForm1::CheckBox2Click(platform::Component*) { ApplyPlayRule(); }
void TForm1::CheckBox3Click(platform::Component*) { ApplyPlayRule(); }
void TForm1::CheckBox4Click(platform::Component*) { ApplyPlayRule(); }

void TForm1::b_playMouseEnter(platform::Component*) {
    if (b_play->Enabled()) b_play->SetPicture(play_light->GetPicture());
}

void TForm1::b_playMouseLeave(platform::Component*) {
    if (b_play->Enabled()) b_play->SetPicture(play_normal->GetPicture());
}

void TForm1::b_cancelMouseEnter(platform::Component*) { b_cancel->SetPicture(cancel_light->GetPicture()); }
void TForm1::b_cancelMouseLeave(platform::Component*) { b_cancel->SetPicture(cancel_normal->GetPicture()); }

void TForm1::OpenPage(const std::string& address) {
    services_.shell.Execute({Handle(), "open", address, "target=\"_blank\"", "", platform::kShowNormal});
}

void TForm1::Label4Click(platform::Component*) {
    OpenPage(std::string("http://") + product::kPortalHost + "/privacy_policy.html");
}

void TForm1::Label5Click(platform::Component*) { OpenPage(std::string("http://") + product::kLicenceHost + "/eula/"); }
