"""End-to-end: the offer window's consent boxes, PLAY's enabling, the buttons' hover pictures,
CANCEL, closing, the two links and the keyboard, in the real launcher.exe under Wine.

The pointer and the keys are real (xdotool on the session's display), so Wine does its own
hit-testing, capture, activation and leave detection. What the user sees is read from screenshots
and compared pixel for pixel with the button pictures under offer_window/assets/; the boxes' states
and the keyboard focus are read by another program; the browser is a recorder on the PATH.
"""

from __future__ import annotations

import re
import time

import pytest

from offer_case import (
    BOXES,
    CANCEL,
    LEAVE_SETTLE,
    LINKS,
    NAVY,
    NEUTRAL,
    PLAY,
    QUIET,
    TICKED,
    UNTICKED,
    OfferWindow,
    wait_for,
)
from winehost import DEFAULT_BUILD_DIR

pytestmark = pytest.mark.skipif(
    not (DEFAULT_BUILD_DIR / "launcher.exe").exists(),
    reason=f"launcher.exe is not built yet ({DEFAULT_BUILD_DIR}); build the Windows target 'launcher' first",
)

ALL_TICKED = {name: TICKED for name in BOXES}


@pytest.fixture
def offer(host, registry, request):
    name = "consent-" + re.sub(r"[^A-Za-z0-9_.-]+", "_", request.node.name.removeprefix("test_")).strip("_")
    window = OfferWindow(host, registry, name)
    yield window
    window.stop()


def play_for(checks: dict[str, int]) -> str:
    """PLAY's picture for these box states: normal exactly while all three are ticked."""
    return "play_normal" if all(state == TICKED for state in checks.values()) else "play_disabled"


def assert_still_offering(offer: OfferWindow) -> None:
    assert offer.running
    assert offer.info()["visible"]
    assert offer.programs_started() == []


# ------------------------------------------------------------------------------------------------
# The boxes and PLAY's enabling

@pytest.mark.parametrize("box", BOXES)
def test_unticking_a_box_disables_play_and_ticking_it_again_enables_it(offer, box):
    offer.toggle(box)
    assert offer.checks() == {**ALL_TICKED, box: UNTICKED}
    offer.wait_buttons("play_disabled", "cancel_normal")

    # A disabled PLAY neither lights up under the pointer nor takes a click.
    offer.move(*PLAY.centre)
    time.sleep(LEAVE_SETTLE)
    assert offer.buttons() == ("play_disabled", "cancel_normal")
    offer.click(*PLAY.centre)
    time.sleep(QUIET)
    assert_still_offering(offer)
    assert offer.buttons() == ("play_disabled", "cancel_normal")
    offer.move(*NEUTRAL)
    time.sleep(LEAVE_SETTLE)
    assert offer.buttons() == ("play_disabled", "cancel_normal")

    offer.toggle(box)
    assert offer.checks() == ALL_TICKED
    offer.wait_buttons("play_normal", "cancel_normal")
    assert_still_offering(offer)


BOX_SEQUENCES = {
    "two unticked, one ticked again": ["CheckBox3", "CheckBox4", "CheckBox4"],
    "all unticked, then all ticked again": ["CheckBox2", "CheckBox4", "CheckBox3", "CheckBox3", "CheckBox2", "CheckBox4"],
}


@pytest.mark.parametrize("sequence", BOX_SEQUENCES)
def test_play_follows_every_box_click(offer, sequence):
    for box in BOX_SEQUENCES[sequence]:
        offer.toggle(box)
        checks = offer.checks()
        offer.wait_buttons(play_for(checks), "cancel_normal")
    assert_still_offering(offer)


# ------------------------------------------------------------------------------------------------
# Hover pictures

BUTTONS = {"PLAY": PLAY, "CANCEL": CANCEL}
OTHER = {"PLAY": "CANCEL", "CANCEL": "PLAY"}

# Where the pointer goes from the button, straight in one move; and whether that is onto the other
# button.
EXITS = {
    "background": (lambda offer, other: offer.move(*NEUTRAL), False),
    "title bar": (lambda offer, other: offer.move_screen(*offer.title_bar_point()), False),
    "outside the window": (lambda offer, other: offer.move_screen(*offer.outside_point()), False),
    "a check box": (lambda offer, other: offer.move(*BOXES["CheckBox2"].centre), False),
    "the other button": (lambda offer, other: offer.move(*BUTTONS[other].centre), True),
}


def highlighted(button: str | None) -> tuple[str, str]:
    """The pictures PLAY and CANCEL show with the pointer over `button` (None: over neither)."""
    return ("play_light" if button == "PLAY" else "play_normal",
            "cancel_light" if button == "CANCEL" else "cancel_normal")


@pytest.mark.parametrize("exit_to", EXITS)
@pytest.mark.parametrize("button", BUTTONS)
def test_a_button_is_highlighted_while_the_pointer_is_over_it(offer, button, exit_to):
    move_off, onto_other = EXITS[exit_to]
    offer.move(*BUTTONS[button].centre)
    offer.wait_buttons(*highlighted(button))
    offer.shot(f"over-{button}")

    move_off(offer, OTHER[button])
    now_over = OTHER[button] if onto_other else None
    # A leave onto the title bar, a box or outside comes from Wine's polling, some 300 ms late.
    time.sleep(LEAVE_SETTLE)
    offer.wait_buttons(*highlighted(now_over))
    time.sleep(LEAVE_SETTLE)
    assert offer.buttons() == highlighted(now_over)
    assert_still_offering(offer)


def test_a_box_toggled_under_a_highlighted_play_replaces_the_highlight(offer):
    offer.move(*PLAY.centre)
    offer.wait_buttons("play_light", "cancel_normal")
    assert offer.focus() == "CheckBox2"

    offer.key("space")
    wait_for(offer.checks, lambda checks: checks["CheckBox2"] == UNTICKED, what="CheckBox2 unticked")
    offer.wait_buttons("play_disabled", "cancel_normal")
    offer.key("space")
    wait_for(offer.checks, lambda checks: checks == ALL_TICKED, what="all boxes ticked")
    offer.wait_buttons("play_normal", "cancel_normal")
    # The pointer has stayed over PLAY all along: the highlight comes back only after a leave and
    # a new enter.
    time.sleep(LEAVE_SETTLE)
    assert offer.buttons() == ("play_normal", "cancel_normal")
    offer.move(*NEUTRAL)
    time.sleep(LEAVE_SETTLE)
    assert offer.buttons() == ("play_normal", "cancel_normal")
    offer.move(*PLAY.centre)
    offer.wait_buttons("play_light", "cancel_normal")


RELEASE_SPOTS = {
    # where the button is released: (client point or None for outside the window, PLAY's picture after)
    "background": (NEUTRAL, "play_normal"),
    "PLAY": (PLAY.centre, "play_light"),
    "outside the window": (None, "play_normal"),
}


@pytest.mark.parametrize("spot", RELEASE_SPOTS)
def test_press_on_cancel_move_off_and_release_is_no_click(offer, spot):
    point, play_after = RELEASE_SPOTS[spot]
    offer.move(*CANCEL.centre)
    offer.wait_buttons("play_normal", "cancel_light")

    offer.host.xdotool("mousedown", "1")
    try:
        if point is None:
            offer.move_screen(*offer.outside_point())
        else:
            offer.move(*point)
        time.sleep(LEAVE_SETTLE)
        # While the button is held, only CANCEL gets enter and leave: PLAY stays dark under it.
        offer.wait_buttons("play_normal", "cancel_normal")
    finally:
        offer.host.xdotool("mouseup", "1")

    time.sleep(QUIET)
    assert_still_offering(offer)
    assert offer.buttons() == (play_after, "cancel_normal")
    assert offer.checks() == ALL_TICKED


# ------------------------------------------------------------------------------------------------
# CANCEL and the title bar's close

def _click_cancel(offer):
    offer.click(*CANCEL.centre)


def _click_close_button(offer):
    x, y = offer.close_button_point()
    offer.host.xdotool("mousemove", str(x), str(y), "click", "1")


def _alt_f4(offer):
    offer.key("alt+F4")


CLOSINGS = {"CANCEL": _click_cancel, "title bar close button": _click_close_button, "Alt+F4": _alt_f4}
BOX_STATES = {"all ticked": [], "CheckBox3 unticked": ["CheckBox3"]}


@pytest.mark.parametrize("boxes", BOX_STATES)
@pytest.mark.parametrize("closing", CLOSINGS)
def test_closing_ends_the_launcher_without_installing_or_starting_the_game(offer, closing, boxes):
    for box in BOX_STATES[boxes]:
        offer.toggle(box)
    offer.wait_buttons(play_for(offer.checks()), "cancel_normal")

    CLOSINGS[closing](offer)

    offer.finish()
    assert offer.browser.opened() == []


# ------------------------------------------------------------------------------------------------
# The links

@pytest.mark.parametrize("link", LINKS)
def test_a_link_opens_its_page_any_number_of_times_and_changes_nothing(offer, link):
    place, address = LINKS[link]
    before = offer.shot("before")

    offer.click(*place.centre)
    assert offer.browser.wait_opened(1) == [address]
    time.sleep(QUIET)
    assert list(offer.shot("after-first").getdata()) == list(before.getdata())
    assert offer.checks() == ALL_TICKED
    assert offer.focus() == "CheckBox2"

    offer.click(*place.centre)
    assert offer.browser.wait_opened(2) == [address] * 2

    # With PLAY disabled as well.
    offer.toggle("CheckBox4")
    offer.wait_buttons("play_disabled", "cancel_normal")
    offer.click(*place.centre)
    assert offer.browser.wait_opened(3) == [address] * 3
    time.sleep(QUIET)
    assert offer.browser.opened() == [address] * 3
    assert offer.checks() == {**ALL_TICKED, "CheckBox4": UNTICKED}
    assert offer.buttons() == ("play_disabled", "cancel_normal")
    assert_still_offering(offer)


@pytest.mark.parametrize("link", LINKS)
def test_a_link_reacts_wherever_its_text_is_drawn(offer, link):
    # The system may draw the link in a wider face than the one asked for: the last letter drawn
    # must still open the page.
    place, address = LINKS[link]
    image = offer.shot("link-ink")
    row = place.top + place.height // 2
    ink = [x for x in range(place.left, 200) for y in range(place.top, place.top + place.height)
           if image.getpixel((x, y)) == NAVY]
    assert ink, f"no navy text drawn for {link}"
    # The link's text is the run of navy that starts at its left edge; the next link starts after a gap.
    last = place.left
    for x in sorted(set(ink)):
        if x > last + 6:
            break
        last = x
    offer.click(last, row)
    assert offer.browser.wait_opened(1) == [address]


# ------------------------------------------------------------------------------------------------
# The keyboard

@pytest.mark.parametrize("tabs, box", [(0, "CheckBox2"), (1, "CheckBox3"), (2, "CheckBox4")])
def test_space_toggles_the_focused_box_and_play_follows(offer, tabs, box):
    for _ in range(tabs):
        offer.key("Tab")
    wait_for(offer.focus, lambda focus: focus == box, what=f"focus on {box}")

    offer.key("space")
    wait_for(offer.checks, lambda checks: checks == {**ALL_TICKED, box: UNTICKED}, what=f"{box} unticked")
    offer.wait_buttons("play_disabled", "cancel_normal")
    offer.shot("unticked")

    offer.key("space")
    wait_for(offer.checks, lambda checks: checks == ALL_TICKED, what=f"{box} ticked again")
    offer.wait_buttons("play_normal", "cancel_normal")
    assert offer.focus() == box
    assert_still_offering(offer)


@pytest.mark.parametrize("key", ["Return", "KP_Enter", "Escape"])
def test_enter_and_escape_do_nothing(offer, key):
    assert offer.focus() == "CheckBox2"
    before = offer.shot("before")

    offer.key(key)
    time.sleep(QUIET)

    assert_still_offering(offer)
    assert offer.focus() == "CheckBox2"
    assert offer.checks() == ALL_TICKED
    assert list(offer.shot("after").getdata()) == list(before.getdata())
