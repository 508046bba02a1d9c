// The offer window: what its description builds, the PLAY rule, the hover pictures, CANCEL and the
// two links.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/product.h"
#include "fakes.h"
#include "offer_window/Unit1.h"
#include "platform/pointer_router.h"

namespace {

using platform::Cursor;
using platform::Picture;
using platform::Rect;

// Each holder's picture in a colour of its own, so a test can tell which one a button shows.
void GiveDistinctPictures(fakes::FakeSystem& system) {
    system.pictures["PLAY_NORMAL"] = platform::MakePicture(146, 64, {230, 0, 25});
    system.pictures["PLAY_LIGHT"] = platform::MakePicture(146, 64, {255, 80, 90});
    system.pictures["PLAY_DISABLED"] = platform::MakePicture(146, 64, {115, 115, 115});
    system.pictures["CANCEL_NORMAL"] = platform::MakePicture(146, 64, {49, 195, 210});
    system.pictures["CANCEL_LIGHT"] = platform::MakePicture(146, 64, {120, 230, 240});
}

class OfferWindow : public testing::Test {
protected:
    OfferWindow() {
        fakes::ResetRunState();
        GiveDistinctPictures(system);
        form = std::make_unique<TForm1>(system.services);
        form->AttachHost(&host);
    }

    void SetBoxes(bool box2, bool box3, bool box4) {
        host.checked["CheckBox2"] = box2;
        host.checked["CheckBox3"] = box3;
        host.checked["CheckBox4"] = box4;
    }

    // The five holders' pictures as they are now.
    std::vector<Picture> HolderPictures() const {
        return {form->play_normal->GetPicture(), form->play_light->GetPicture(), form->play_disabled->GetPicture(),
                form->cancel_normal->GetPicture(), form->cancel_light->GetPicture()};
    }

    // Which of the pictures the test knows a control shows, by name; pictures compare whole.
    std::string Shown(const platform::ImageControl* control) const {
        for (const auto& [name, picture] : system.pictures)
            if (control->GetPicture() == picture) return name;
        return "a picture nobody gave";
    }

    // Nothing outside the window's own controls was asked for.
    void ExpectNothingStartedOrEnded() const {
        EXPECT_TRUE(system.processes.starts.empty());
        EXPECT_FALSE(system.application.quitPosted);
    }

    fakes::FakeSystem system;
    fakes::FakeFormHost host{system.log};
    std::unique_ptr<TForm1> form;
};

// --- The description ---------------------------------------------------------------------------

TEST_F(OfferWindow, PaintedControlsInCreationOrderWithTheirMembersBoundsAndLooks) {
    struct Row {
        const char* name;
        platform::PaintedControl* control;
        Rect bounds;
        bool visible;
        Cursor cursor;
    };
    const Row rows[] = {
        {"Image1", form->Image1, {0, 1, 497, 376}, true, Cursor::Default},
        {"b_play", form->b_play, {339, 205, 146, 64}, true, Cursor::HandPoint},
        {"b_cancel", form->b_cancel, {339, 281, 146, 64}, true, Cursor::HandPoint},
        {"Label5", form->Label5, {95, 358, 25, 13}, true, Cursor::HandPoint},
        {"Label4", form->Label4, {8, 358, 65, 13}, true, Cursor::HandPoint},
        {"play_light", form->play_light, {384, 8, 17, 17}, false, Cursor::Default},
        {"play_normal", form->play_normal, {348, 8, 21, 17}, false, Cursor::Default},
        {"play_disabled", form->play_disabled, {420, 8, 21, 17}, false, Cursor::Default},
        {"cancel_normal", form->cancel_normal, {344, 56, 25, 17}, false, Cursor::Default},
        {"cancel_light", form->cancel_light, {375, 55, 17, 18}, false, Cursor::Default},
    };
    const auto& painted = form->PaintedControls();
    ASSERT_EQ(painted.size(), std::size(rows));
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const Row& row = rows[i];
        SCOPED_TRACE(row.name);
        EXPECT_EQ(painted[i]->Name(), row.name) << "created at " << i;
        EXPECT_EQ(row.control, painted[i].get()) << "the member refers to the control created at " << i;
        EXPECT_EQ(painted[i]->Bounds(), row.bounds);
        EXPECT_EQ(painted[i]->Visible(), row.visible);
        EXPECT_TRUE(painted[i]->Enabled());
        EXPECT_EQ(painted[i]->cursor, row.cursor);
    }
}

TEST_F(OfferWindow, BoxesInTabOrderTickedWithTheHandCursor) {
    struct Row {
        const char* name;
        platform::CheckBoxControl* box;
        Rect bounds;
    };
    // Top, bottom, middle: the order Tab visits them.
    const Row rows[] = {
        {"CheckBox2", form->CheckBox2, {29, 217, 13, 13}},
        {"CheckBox3", form->CheckBox3, {40, 283, 13, 13}},
        {"CheckBox4", form->CheckBox4, {40, 248, 13, 13}},
    };
    const auto& boxes = form->CheckBoxes();
    ASSERT_EQ(boxes.size(), std::size(rows));
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(rows[i].name);
        EXPECT_EQ(boxes[i]->Name(), rows[i].name);
        EXPECT_EQ(rows[i].box, boxes[i].get());
        EXPECT_EQ(boxes[i]->Bounds(), rows[i].bounds);
        EXPECT_TRUE(boxes[i]->InitiallyChecked());
        EXPECT_TRUE(boxes[i]->Checked());
        EXPECT_EQ(boxes[i]->cursor, Cursor::HandPoint);
    }
}

TEST_F(OfferWindow, ButtonsAndLinksAsDescribed) {
    EXPECT_FALSE(form->b_play->transparent);
    EXPECT_TRUE(form->b_cancel->transparent);
    EXPECT_TRUE(form->Image1->autoSize);
    EXPECT_EQ(form->Label4->caption, "Privacy Policy");
    EXPECT_EQ(form->Label5->caption, "EULA");
    for (const platform::LabelControl* link : {form->Label4, form->Label5}) {
        EXPECT_EQ(link->font.face, "Tahoma");
        EXPECT_EQ(link->font.height, -11);
        EXPECT_TRUE(link->font.underline);
        EXPECT_EQ(link->font.colour, platform::Colour::Fixed({0, 0, 128}));
        EXPECT_EQ(link->background, platform::Colour::Fixed({255, 255, 255}));
    }
}

TEST_F(OfferWindow, WindowStartsFramelessWithBlackColourKeyAndIsCentred) {
    const platform::FormProperties& p = form->Properties();
    EXPECT_EQ(p.clientWidth, 502);
    EXPECT_EQ(p.clientHeight, 408);
    EXPECT_EQ(p.left, 0);
    EXPECT_EQ(p.top, 0);
    EXPECT_EQ(p.borderStyle, platform::BorderStyle::None);
    EXPECT_TRUE(p.transparentColor);
    EXPECT_EQ(p.transparentColorValue, (platform::Rgb{0, 0, 0}));
    EXPECT_EQ(p.position, platform::Position::DesktopCenter);
    EXPECT_TRUE(p.systemMenu);
    EXPECT_TRUE(p.minimizeBox);
    EXPECT_FALSE(p.maximizeBox);
    EXPECT_EQ(p.caption, product::kPortalHost);
    EXPECT_EQ(p.className, "TForm1");
}

TEST_F(OfferWindow, ButtonsStartWithTheirNormalPicturesAndEachHolderWithItsOwn) {
    EXPECT_EQ(Shown(form->b_play), "PLAY_NORMAL");
    EXPECT_EQ(Shown(form->b_cancel), "CANCEL_NORMAL");
    EXPECT_EQ(Shown(form->play_normal), "PLAY_NORMAL");
    EXPECT_EQ(Shown(form->play_light), "PLAY_LIGHT");
    EXPECT_EQ(Shown(form->play_disabled), "PLAY_DISABLED");
    EXPECT_EQ(Shown(form->cancel_normal), "CANCEL_NORMAL");
    EXPECT_EQ(Shown(form->cancel_light), "CANCEL_LIGHT");
}

TEST(OfferWindowPictures, OnlyTheBackgroundTakesItsPicturesSize) {
    fakes::ResetRunState();
    fakes::FakeSystem system;
    system.pictures["BACKGROUND"] = platform::MakePicture(300, 200, {255, 255, 255});
    system.pictures["PLAY_NORMAL"] = platform::MakePicture(10, 10, {230, 0, 25});
    TForm1 form(system.services);
    EXPECT_EQ(form.Image1->Bounds(), (Rect{0, 1, 300, 200}));
    EXPECT_EQ(form.b_play->Bounds(), (Rect{339, 205, 146, 64}));
}

TEST(OfferWindowBuilding, RunsNoHandler) {
    fakes::ResetRunState();
    fakes::FakeSystem system;
    system.GameFolder("a\nb\nc\n");
    // Every load gives a picture of its own, so a PLAY rule run while building, which would give
    // PLAY a copy of a holder's picture, shows even though all boxes start ticked.
    std::uint8_t loads = 0;
    system.services.loadPicture = [&loads](const std::string&) {
        return platform::MakePicture(146, 64, {++loads, 0, 0});
    };

    TForm1 form(system.services);
    fakes::FakeFormHost host(system.log);
    form.AttachHost(&host);

    EXPECT_EQ(system.log, fakes::EventLog{}) << "neither FormShow nor any other handler ran";
    EXPECT_TRUE(system.shell.requests.empty());
    EXPECT_TRUE(form.b_play->Enabled());
    EXPECT_NE(form.b_play->GetPicture(), form.play_normal->GetPicture());
    EXPECT_NE(form.b_play->GetPicture(), form.play_disabled->GetPicture());
}

TEST_F(OfferWindow, NeitherTheBackgroundNorAHolderTakesAClickOrAPointerEvent) {
    platform::PointerRouter router(form->PaintedControls());
    const std::vector<Picture> holders = HolderPictures();
    for (const platform::ImageControl* holder :
         {form->play_light, form->play_normal, form->play_disabled, form->cancel_normal, form->cancel_light}) {
        const Rect& r = holder->Bounds();
        router.Move(r.left + 1, r.top + 1);
        EXPECT_EQ(router.Hovered(), form->Image1) << holder->Name();
        router.Press(r.left + 1, r.top + 1);
        router.Release(r.left + 1, r.top + 1);
    }
    router.Leave();
    EXPECT_EQ(system.log, fakes::EventLog{});
    EXPECT_EQ(HolderPictures(), holders);
    EXPECT_EQ(Shown(form->b_play), "PLAY_NORMAL");
    EXPECT_EQ(Shown(form->b_cancel), "CANCEL_NORMAL");
    ExpectNothingStartedOrEnded();
}

// --- The PLAY rule -----------------------------------------------------------------------------

// A state of the three boxes: bit 0 CheckBox2, bit 1 CheckBox3, bit 2 CheckBox4.
class PlayRule : public OfferWindow, public testing::WithParamInterface<int> {
protected:
    [[nodiscard]] bool Box2() const { return (GetParam() & 1) != 0; }
    [[nodiscard]] bool Box3() const { return (GetParam() & 2) != 0; }
    [[nodiscard]] bool Box4() const { return (GetParam() & 4) != 0; }
};

TEST_P(PlayRule, EnablesPlayOnlyWithAllThreeTickedAndAlwaysGivesItsPicture) {
    const bool allTicked = Box2() && Box3() && Box4();
    const std::string expected = allTicked ? "PLAY_NORMAL" : "PLAY_DISABLED";
    const std::vector<Picture> holders = HolderPictures();

    // Whichever box raised the click; and from either earlier state, with a picture that matches
    // neither rule's outcome, so a picture left in place shows.
    for (platform::CheckBoxControl* clicked : {form->CheckBox2, form->CheckBox3, form->CheckBox4}) {
        for (const bool enabledBefore : {true, false}) {
            SCOPED_TRACE(clicked->Name() + (enabledBefore ? ", PLAY enabled before" : ", PLAY disabled before"));
            SetBoxes(true, true, true);
            form->b_play->SetEnabled(enabledBefore);
            form->b_play->SetPicture(system.pictures["PLAY_LIGHT"]);

            SetBoxes(Box2(), Box3(), Box4());
            clicked->Click();

            EXPECT_EQ(form->b_play->Enabled(), allTicked);
            EXPECT_EQ(Shown(form->b_play), expected);
            EXPECT_EQ(HolderPictures(), holders) << "the holders keep their own pictures";
        }
    }
    EXPECT_EQ(Shown(form->b_cancel), "CANCEL_NORMAL");
    ExpectNothingStartedOrEnded();
}

INSTANTIATE_TEST_SUITE_P(AllBoxStates, PlayRule, testing::Range(0, 8), [](const testing::TestParamInfo<int>& p) {
    return std::string(p.param & 1 ? "Ticked2" : "Unticked2") + (p.param & 2 ? "Ticked3" : "Unticked3") +
           (p.param & 4 ? "Ticked4" : "Unticked4");
});

TEST_F(OfferWindow, RuleRunWhileHoveringReplacesTheHighlight) {
    form->b_play->MouseEnter();
    ASSERT_EQ(Shown(form->b_play), "PLAY_LIGHT");
    form->CheckBox4->Click();  // all still ticked
    EXPECT_EQ(Shown(form->b_play), "PLAY_NORMAL");

    form->b_play->MouseEnter();
    SetBoxes(true, false, true);
    form->CheckBox3->Click();
    EXPECT_EQ(Shown(form->b_play), "PLAY_DISABLED");
}

TEST_F(OfferWindow, ClickOnADisabledPlayDoesNothing) {
    SetBoxes(false, true, true);
    form->CheckBox2->Click();
    platform::PointerRouter router(form->PaintedControls());
    const platform::Rect& play = form->b_play->Bounds();
    router.Move(play.left + 10, play.top + 10);
    router.Press(play.left + 10, play.top + 10);
    router.Release(play.left + 10, play.top + 10);
    EXPECT_EQ(system.log, fakes::EventLog{});
    EXPECT_EQ(Shown(form->b_play), "PLAY_DISABLED");
    ExpectNothingStartedOrEnded();
}

// --- Hover pictures ----------------------------------------------------------------------------

struct HoverCase {
    const char* name;
    bool playEnabled;
    platform::ImageControl* TForm1::*button;
    bool enter;  // else leave
    const char* playAfter;    // the picture PLAY shows afterwards; STALE: unchanged
    const char* cancelAfter;  // the same for CANCEL
};

class Hover : public OfferWindow, public testing::WithParamInterface<HoverCase> {};

TEST_P(Hover, GivesTheButtonItsPicture) {
    const HoverCase& c = GetParam();
    if (!c.playEnabled) {
        SetBoxes(true, true, false);
        form->CheckBox4->Click();
        ASSERT_FALSE(form->b_play->Enabled());
    }
    // A picture no handler gives, so that "unchanged" can be told from "given again".
    system.pictures["STALE"] = platform::MakePicture(146, 64, {1, 2, 3});
    form->b_play->SetPicture(system.pictures["STALE"]);
    form->b_cancel->SetPicture(system.pictures["STALE"]);

    platform::ImageControl& button = *(form.get()->*c.button);
    if (c.enter) {
        button.MouseEnter();
    } else {
        button.MouseLeave();
    }

    EXPECT_EQ(Shown(form->b_play), c.playAfter);
    EXPECT_EQ(Shown(form->b_cancel), c.cancelAfter);
    EXPECT_EQ(form->b_play->Enabled(), c.playEnabled);
    ExpectNothingStartedOrEnded();
}

INSTANTIATE_TEST_SUITE_P(
    Table, Hover,
    testing::Values(HoverCase{"EnterEnabledPlay", true, &TForm1::b_play, true, "PLAY_LIGHT", "STALE"},
                    HoverCase{"EnterDisabledPlay", false, &TForm1::b_play, true, "STALE", "STALE"},
                    HoverCase{"LeaveEnabledPlay", true, &TForm1::b_play, false, "PLAY_NORMAL", "STALE"},
                    HoverCase{"LeaveDisabledPlay", false, &TForm1::b_play, false, "STALE", "STALE"},
                    HoverCase{"EnterCancel", true, &TForm1::b_cancel, true, "STALE", "CANCEL_LIGHT"},
                    HoverCase{"EnterCancelWithPlayDisabled", false, &TForm1::b_cancel, true, "STALE", "CANCEL_LIGHT"},
                    HoverCase{"LeaveCancel", true, &TForm1::b_cancel, false, "STALE", "CANCEL_NORMAL"},
                    HoverCase{"LeaveCancelWithPlayDisabled", false, &TForm1::b_cancel, false, "STALE",
                              "CANCEL_NORMAL"}),
    [](const testing::TestParamInfo<HoverCase>& p) { return p.param.name; });

// --- CANCEL ------------------------------------------------------------------------------------

TEST(OfferWindowCancel, AsksTheApplicationToEndAndStartsNothing) {
    for (const bool allTicked : {true, false}) {
        fakes::ResetRunState();
        fakes::FakeSystem fresh;
        TForm1 window(fresh.services);
        fakes::FakeFormHost windowHost(fresh.log);
        window.AttachHost(&windowHost);
        windowHost.checked["CheckBox3"] = allTicked;
        window.CheckBox3->Click();

        window.b_cancel->Click();

        EXPECT_EQ(fresh.log, fakes::EventLog{"terminate"}) << (allTicked ? "all ticked" : "one unticked");
        EXPECT_TRUE(fresh.processes.starts.empty());
        EXPECT_TRUE(fresh.shell.requests.empty()) << "no game";
    }
}

TEST_F(OfferWindow, CancelPressedThenReleasedElsewhereShowsItsNormalPictureAndDoesNotClose) {
    platform::PointerRouter router(form->PaintedControls());
    const platform::Rect& cancel = form->b_cancel->Bounds();
    router.Move(cancel.left + 10, cancel.top + 10);
    router.Press(cancel.left + 10, cancel.top + 10);
    ASSERT_EQ(Shown(form->b_cancel), "CANCEL_LIGHT");
    router.Move(cancel.left - 50, cancel.top + 10);
    EXPECT_EQ(Shown(form->b_cancel), "CANCEL_NORMAL");
    router.Release(cancel.left - 50, cancel.top + 10);
    EXPECT_EQ(Shown(form->b_cancel), "CANCEL_NORMAL");
    ExpectNothingStartedOrEnded();
}

// --- The links ---------------------------------------------------------------------------------

struct LinkCase {
    const char* name;
    platform::LabelControl* TForm1::*link;
    std::string address;
};

class Link : public OfferWindow, public testing::WithParamInterface<LinkCase> {};

TEST_P(Link, OpensItsPageOncePerClickAndChangesNothing) {
    const LinkCase& c = GetParam();
    // With PLAY disabled, to show the link leaves that alone too.
    SetBoxes(true, false, true);
    form->CheckBox3->Click();
    const std::vector<Picture> holders = HolderPictures();

    platform::LabelControl& link = *(form.get()->*c.link);
    link.Click();
    link.Click();
    link.Click();

    const platform::ShellRequest expected{0x1234, "open", c.address, "target=\"_blank\"", "", 1};
    EXPECT_EQ(system.shell.requests, (std::vector<platform::ShellRequest>(3, expected)));
    EXPECT_EQ(system.log, fakes::EventLog(3, "shell " + c.address)) << "nothing else was asked for";
    EXPECT_FALSE(form->b_play->Enabled());
    EXPECT_EQ(Shown(form->b_play), "PLAY_DISABLED");
    EXPECT_EQ(Shown(form->b_cancel), "CANCEL_NORMAL");
    EXPECT_EQ(HolderPictures(), holders);
    EXPECT_FALSE(host.checked["CheckBox3"]);
    ExpectNothingStartedOrEnded();
}

INSTANTIATE_TEST_SUITE_P(
    Pages, Link,
    testing::Values(
        LinkCase{"PrivacyPolicy", &TForm1::Label4,
                 std::string("http://") + product::kPortalHost + "/privacy_policy.html"},
        LinkCase{"LicenceAgreement", &TForm1::Label5, std::string("http://") + product::kLicenceHost + "/eula/"}),
    [](const testing::TestParamInfo<LinkCase>& p) { return p.param.name; });

TEST(LinkHosts, LicenceHostIsNotThePortalHost) {
    EXPECT_STRNE(product::kLicenceHost, product::kPortalHost);
    EXPECT_STRNE(product::kPortalHost, "");
    EXPECT_STRNE(product::kLicenceHost, "");
}

}  // namespace
