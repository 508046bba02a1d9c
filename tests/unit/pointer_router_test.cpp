// How pointer events over a form's client area become enter, leave and click events of its painted
// controls.
#include <gtest/gtest.h>

#include "fakes.h"
#include "platform/form.h"
#include "platform/pointer_router.h"

namespace {

using Events = std::vector<std::string>;

// Four controls, created in this order:
//
//   back    (0,0)-(99,99)     underneath everything
//   middle  (20,20)-(59,59)
//   top     (40,40)-(79,79)   overlaps the lower right quarter of middle
//   hidden  (0,0)-(29,29)     created last, so it would be on top, but it is not visible
//
// Each control records its events into one list.
class PointerRouting : public testing::Test {
protected:
    PointerRouting() {
        Add("back", {0, 0, 100, 100});
        Add("middle", {20, 20, 40, 40});
        Add("top", {40, 40, 40, 40});
        Add("hidden", {0, 0, 30, 30}).SetVisible(false);
    }

    platform::ImageControl& Add(const std::string& name, platform::Rect bounds) {
        platform::ImageControl& control = form.AddImage(name, bounds);
        control.OnMouseEnter = [this](platform::Component* c) { events.push_back("enter " + c->Name()); };
        control.OnMouseLeave = [this](platform::Component* c) { events.push_back("leave " + c->Name()); };
        control.OnClick = [this](platform::Component* c) { events.push_back("click " + c->Name()); };
        return control;
    }

    platform::PaintedControl& Named(const std::string& name) {
        for (const auto& control : form.PaintedControls())
            if (control->Name() == name) return *control;
        throw std::logic_error("no control " + name);
    }

    Events Clicks() const {
        Events clicks;
        for (const std::string& e : events)
            if (e.rfind("click ", 0) == 0) clicks.push_back(e);
        return clicks;
    }

    fakes::EventLog log;
    fakes::FakeApplication application{log};
    platform::Form form{"Form", {}, application};
    platform::PointerRouter router{form.PaintedControls()};
    Events events;
};

// Where the pointer is, and which control it is over (empty: none).
struct HitCase {
    int x, y;
    const char* expected;
};

class PointerHit : public PointerRouting, public testing::WithParamInterface<HitCase> {};

TEST_P(PointerHit, TheTopmostVisibleControlGetsTheEnter) {
    const HitCase& c = GetParam();
    router.Move(c.x, c.y);
    if (*c.expected) {
        EXPECT_EQ(events, Events{std::string("enter ") + c.expected});
        EXPECT_EQ(router.Hovered(), &Named(c.expected));
    } else {
        EXPECT_EQ(events, Events{});
        EXPECT_EQ(router.Hovered(), nullptr);
    }
}

INSTANTIATE_TEST_SUITE_P(OverlapOrder, PointerHit,
                         testing::Values(HitCase{5, 5, "back"},      // under the hidden control
                                         HitCase{25, 25, "middle"},  // under the hidden control too
                                         HitCase{39, 39, "middle"},
                                         HitCase{40, 40, "top"},  // where top lies over middle
                                         HitCase{59, 59, "top"},
                                         HitCase{79, 79, "top"},
                                         HitCase{80, 80, "back"},  // right and bottom edges are outside
                                         HitCase{99, 0, "back"},
                                         HitCase{100, 50, ""},
                                         HitCase{-1, 50, ""}));

TEST_F(PointerRouting, MovingFromControlToControlLeavesTheFirstThenEntersTheNext) {
    router.Move(30, 30);
    router.Move(31, 32);  // still over middle: nothing new
    router.Move(70, 70);
    router.Move(90, 90);
    router.Move(150, 150);
    EXPECT_EQ(events, (Events{"enter middle", "leave middle", "enter top", "leave top", "enter back", "leave back"}));
}

TEST_F(PointerRouting, HiddenControlIsNeverHitNorClicked) {
    router.Move(5, 5);
    router.Press(5, 5);
    router.Release(5, 5);
    EXPECT_EQ(events, (Events{"enter back", "click back"}));
    EXPECT_EQ(router.HitTest(5, 5, false), &Named("back"));
}

TEST_F(PointerRouting, DisabledControlGetsEnterAndLeave) {
    Named("top").SetEnabled(false);
    router.Move(70, 70);
    router.Move(150, 150);
    EXPECT_EQ(events, (Events{"enter top", "leave top"}));
}

TEST_F(PointerRouting, PressOnADisabledControlGoesToTheEnabledOneBeneath) {
    struct Case {
        int x, y;
        Events clicks;
    };
    // Over top alone, back is beneath; where top overlaps middle, middle is.
    for (const Case& c : {Case{70, 70, {"click back"}}, Case{50, 50, {"click middle"}}}) {
        events.clear();
        Named("top").SetEnabled(false);
        router.Move(c.x, c.y);
        router.Press(c.x, c.y);
        router.Release(c.x, c.y);
        EXPECT_EQ(Clicks(), c.clicks) << "at " << c.x << "," << c.y;
        router.Move(150, 150);
    }
}

TEST_F(PointerRouting, PressWithNothingEnabledBeneathClicksNothing) {
    for (const auto& control : form.PaintedControls()) control->SetEnabled(false);
    router.Move(50, 50);
    router.Press(50, 50);
    router.Release(50, 50);
    EXPECT_EQ(Clicks(), Events{});
}

TEST_F(PointerRouting, WhilePressedOnlyThePressedControlGetsEnterAndLeave) {
    router.Move(30, 30);
    router.Press(30, 30);
    router.Move(70, 70);  // onto top: middle is left, top not entered
    router.Move(90, 90);  // onto back: not entered either
    router.Move(35, 35);  // back over middle
    router.Move(70, 70);
    EXPECT_EQ(events, (Events{"enter middle", "leave middle", "enter middle", "leave middle"}));
    EXPECT_TRUE(router.Pressed());
}

// Pressed over middle; where the button is released.
struct ReleaseCase {
    const char* name;
    int x, y;
    Events afterPress;  // what the release raises
};

class PointerRelease : public PointerRouting, public testing::WithParamInterface<ReleaseCase> {};

TEST_P(PointerRelease, ClicksOnlyOverThePressedControl) {
    const ReleaseCase& c = GetParam();
    router.Move(30, 30);
    router.Press(30, 30);
    router.Move(c.x, c.y);
    events.clear();
    router.Release(c.x, c.y);
    EXPECT_EQ(events, c.afterPress);
    EXPECT_FALSE(router.Pressed());
}

INSTANTIATE_TEST_SUITE_P(
    Capture, PointerRelease,
    testing::Values(ReleaseCase{"OverThePressedControl", 25, 25, {"click middle"}},
                    // The other control was not entered while pressed; it is entered once released.
                    ReleaseCase{"OverAnotherControl", 70, 70, {"enter top"}},
                    ReleaseCase{"OutsideTheClientArea", 150, 150, {}}),
    [](const testing::TestParamInfo<ReleaseCase>& p) { return p.param.name; });

TEST_F(PointerRouting, PressOverNoControlCapturesNothing) {
    router.Move(150, 150);
    router.Press(150, 150);
    router.Move(30, 30);
    router.Release(30, 30);
    EXPECT_EQ(events, Events{"enter middle"}) << "entered only once released, and not clicked";
}

TEST_F(PointerRouting, LeavingTheClientAreaLeavesTheHoveredControl) {
    router.Leave();  // nothing hovered: nothing to leave
    router.Move(70, 70);
    router.Leave();
    router.Leave();
    EXPECT_EQ(events, (Events{"enter top", "leave top"}));
    EXPECT_EQ(router.Hovered(), nullptr);
}

TEST_F(PointerRouting, LeavingTheClientAreaWhilePressedKeepsThePressedControl) {
    router.Move(30, 30);
    router.Press(30, 30);
    router.Leave();
    EXPECT_EQ(events, Events{"enter middle"});
    router.Release(30, 30);
    EXPECT_EQ(events, (Events{"enter middle", "click middle"}));
}

TEST_F(PointerRouting, CancelledPressEndsWithoutAClickAndCaptureEnds) {
    router.Move(30, 30);
    router.Press(30, 30);
    router.CancelPress();
    EXPECT_FALSE(router.Pressed());
    router.Release(30, 30);
    router.Move(70, 70);  // routed as usual again: top is entered
    EXPECT_EQ(events, (Events{"enter middle", "leave middle", "enter top"}));
}

}  // namespace
