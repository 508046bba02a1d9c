#pragma once
// The launcher's one window: the offer of the Zorbal toolbar, with its consent boxes, PLAY and
// CANCEL picture buttons and two links. Built from its description TFORM1.
#include "platform/controls.h"
#include "platform/form.h"
#include "platform/services.h"

class TForm1 : public platform::Form {
public:
    explicit TForm1(platform::Services& services);

    platform::ImageControl* Image1 = nullptr;
    platform::ImageControl* b_play = nullptr;
    platform::ImageControl* b_cancel = nullptr;
    platform::CheckBoxControl* CheckBox2 = nullptr;
    platform::CheckBoxControl* CheckBox3 = nullptr;
    platform::CheckBoxControl* CheckBox4 = nullptr;
    platform::LabelControl* Label4 = nullptr;
    platform::LabelControl* Label5 = nullptr;
    platform::ImageControl* play_light = nullptr;
    platform::ImageControl* play_normal = nullptr;
    platform::ImageControl* play_disabled = nullptr;
    platform::ImageControl* cancel_normal = nullptr;
    platform::ImageControl* cancel_light = nullptr;

    void FormShow(platform::Component* Sender);
    void b_playClick(platform::Component* Sender);
    void b_cancelClick(platform::Component* Sender);
    void b_playMouseEnter(platform::Component* Sender);
    void b_playMouseLeave(platform::Component* Sender);
    void b_cancelMouseEnter(platform::Component* Sender);
    void b_cancelMouseLeave(platform::Component* Sender);
    void Label4Click(platform::Component* Sender);
    void Label5Click(platform::Component* Sender);
    void CheckBox2Click(platform::Component* Sender);
    void CheckBox3Click(platform::Component* Sender);
    void CheckBox4Click(platform::Component* Sender);

    bool CheckToolbarState(bool& installed, bool& visible, bool& homePageSet);

private:
    // PLAY is usable exactly while all three boxes are ticked, and its picture says so.
    void ApplyPlayRule();
    void OpenPage(const std::string& address);

    platform::Services& services_;
};
