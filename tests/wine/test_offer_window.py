"""End-to-end: how the offer window of the real launcher.exe looks under Wine.

Each case shows the offer (the toolbar not installed) and looks from outside: screenshots of the
client area compared pixel for pixel with the picture files under offer_window/assets/, the window's
styles, rectangles and child windows as another program sees them, where the window stands on
screens of several sizes and on two monitors, and what the keyboard focus and the pointer do.
The screenshots stay in build/windows/screenshots/.
"""

from __future__ import annotations

import re
import time

import pytest

from launcher_case import TITLE, WINDOW_SIZE, LauncherRegistry
from offer_case import (
    BACKGROUND,
    BOX_IDS,
    BOXES,
    CANCEL,
    EULA_LINK,
    ICON_FILE,
    NAVY,
    PLAY,
    PRIVACY_LINK,
    QUIET,
    TICKED,
    WHITE,
    OfferWindow,
    Place,
    asset,
    wait_for,
)
from winehost import (
    DEFAULT_BUILD_DIR,
    WS_CAPTION,
    WS_EX_DLGMODALFRAME,
    WS_EX_LAYERED,
    WS_MAXIMIZEBOX,
    WS_MINIMIZEBOX,
    WS_POPUP,
    WS_SYSMENU,
    WS_THICKFRAME,
    DummyXorgDisplay,
    WineHost,
    XvfbDisplay,
)

pytestmark = pytest.mark.skipif(
    not (DEFAULT_BUILD_DIR / "launcher.exe").exists(),
    reason=f"launcher.exe is not built yet ({DEFAULT_BUILD_DIR}); build the Windows target 'launcher' first",
)

WS_TABSTOP = 0x00010000
BS_TYPEMASK = 0xF
BS_AUTOCHECKBOX = 0x3

# The footer rows the two links stand in. Their text is drawn in the system's Tahoma, which Wine
# may replace with a wider face, so the ink can run past the links' rectangles onto the white strip.
LINK_BAND = Place(0, PRIVACY_LINK.top, BACKGROUND.width, PRIVACY_LINK.height)


def case_name(request) -> str:
    return "offer-" + re.sub(r"[^A-Za-z0-9_.-]+", "_", request.node.name.removeprefix("test_")).strip("_")


@pytest.fixture
def offer(host, registry, request):
    window = OfferWindow(host, registry, case_name(request))
    yield window
    window.stop()


def mask_out(image, places, offset=(0, 0)):
    """A copy of `image` with the given rectangles (shifted by -offset) painted black."""
    masked = image.copy()
    for place in places:
        masked.paste((0, 0, 0), (place.left - offset[0], place.top - offset[1],
                                 place.left - offset[0] + place.width, place.top - offset[1] + place.height))
    return masked


def on_white_navy_line(pixel) -> bool:
    """White, navy or an anti-aliased blend of the two (greyscale smoothing mixes them linearly)."""
    r, g, b = pixel
    return r == g and abs(b - (128 + r / 2)) <= 2


# ------------------------------------------------------------------------------------------------
# The artwork at its places

def test_offer_shows_the_pictures_at_their_client_places(offer):
    from PIL import ImageChops

    image = offer.shot("look")
    width, height = offer.client_size

    assert offer.shows(PLAY, "play_normal", image)
    assert offer.shows(CANCEL, "cancel_normal", image)

    # Every pixel of the background picture that the client area shows, except under the controls
    # (the buttons, the boxes) and the links' band, which the next test looks at.
    visible = Place(BACKGROUND.left, BACKGROUND.top, min(BACKGROUND.width, width), min(BACKGROUND.height, height - 1))
    shown = image.crop(visible.box)
    expected = asset("background").crop((0, 0, visible.width, visible.height))
    covered = [PLAY, CANCEL, LINK_BAND, *BOXES.values()]
    difference = ImageChops.difference(mask_out(shown, covered, BACKGROUND.box[:2]),
                                       mask_out(expected, covered, BACKGROUND.box[:2]))
    assert difference.getbbox() is None, f"background differs within {difference.getbbox()} (picture coordinates)"
    # The band holds nothing of the picture but its white footer strip.
    band = Place(LINK_BAND.left - BACKGROUND.left, LINK_BAND.top - BACKGROUND.top, LINK_BAND.width, LINK_BAND.height)
    assert set(asset("background").crop(band.box).getdata()) == {WHITE}

    # Where nothing covers the client area (row 0, and the rows below the picture), the window's
    # own colour shows, one colour throughout.
    uncovered = {image.getpixel((x, 0)) for x in range(width)}
    uncovered |= {image.getpixel((x, y)) for y in range(BACKGROUND.top + BACKGROUND.height, height) for x in range(width)}
    assert len(uncovered) == 1


def test_links_are_underlined_navy_text_on_white(offer):
    image = offer.shot("links")
    band = image.crop((0, LINK_BAND.top, min(LINK_BAND.width, image.width), LINK_BAND.top + LINK_BAND.height))

    assert all(on_white_navy_line(p) for p in band.getdata()), "a pixel in the links' band is neither white nor navy ink"
    for link in (PRIVACY_LINK, EULA_LINK):
        pixels = [[image.getpixel((x, y)) for x in range(link.left, link.left + link.width)]
                  for y in range(link.top, link.top + link.height)]
        assert sum(p == NAVY for row in pixels for p in row) > link.width, "no text drawn"
        # The underline: one row navy from the link's left edge across its whole width.
        assert any(all(p == NAVY for p in row) for row in pixels), f"no underline across {link}"
        # The ink starts at the link's own left edge, with white just before it.
        first_ink = min(x for row in pixels for x, p in enumerate(row) if p != WHITE)
        assert first_ink <= 1
        assert all(image.getpixel((link.left - 1, y)) == WHITE for y in range(link.top, link.top + link.height))


def test_boxes_are_ticked_check_boxes_at_their_places(offer):
    info = offer.info()
    children = {c["id"]: c for c in info["children"]}
    assert sorted(children) == sorted(BOX_IDS.values()), "the boxes are the window's only child windows"
    left, top = offer.origin
    image = offer.shot("boxes")
    looks = []
    for name, place in BOXES.items():
        box = children[BOX_IDS[name]]
        assert box["class"] == "Button"
        assert box["style"] & BS_TYPEMASK == BS_AUTOCHECKBOX
        assert box["style"] & WS_TABSTOP
        assert (box["visible"], box["enabled"], box["text"], box["check"]) == (True, True, "", TICKED)
        assert tuple(box["rect"]) == (left + place.left, top + place.top,
                                      left + place.left + place.width, top + place.top + place.height)
        look = image.crop(place.box)
        # A tick: dark pixels inside the box's frame.
        inner = look.crop((2, 2, place.width - 2, place.height - 2))
        assert sum(1 for p in inner.getdata() if max(p) < 100) >= 5, f"{name} shows no tick"
        looks.append(list(look.getdata()))
    assert looks[0] == looks[1] == looks[2], "the three boxes look different"


def test_title_bar_shows_the_window_icon(offer, host):
    """The small icon image, drawn over the caption's colour, is found at the caption's left end."""
    from collections import Counter

    from PIL import IcoImagePlugin, Image, ImageChops, ImageStat

    metrics = host.metrics()
    frame_x, frame_y = metrics["fixed_frame"]
    caption = metrics["caption"]
    window = offer.window_shot("title-bar")
    strip = window.crop((frame_x, frame_y, WINDOW_SIZE[0] - frame_x, frame_y + caption - 1))
    caption_colour = Counter(strip.getdata()).most_common(1)[0][0]
    with open(ICON_FILE, "rb") as f:
        icon = IcoImagePlugin.IcoFile(f).getimage((16, 16), 32).convert("RGBA")
    drawn = Image.alpha_composite(Image.new("RGBA", icon.size, caption_colour + (255,)), icon).convert("RGB")

    def error(x, y):
        return sum(ImageStat.Stat(ImageChops.difference(window.crop((x, y, x + 16, y + 16)), drawn)).mean) / 3

    best, x, y = min((error(x, y), x, y) for x in range(frame_x, frame_x + 24) for y in range(frame_y, frame_y + 4))
    assert best < 1.0, f"no icon at the title bar's left end (closest mean difference {best:.1f} at {x},{y})"


# ------------------------------------------------------------------------------------------------
# The offer look

def test_offer_look_has_a_fixed_single_frame_and_keeps_the_outer_size(offer, host):
    info = offer.info()
    style, exstyle = info["style"], info["exstyle"]

    assert info["caption"] == TITLE
    assert style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX) == WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX
    assert style & (WS_MAXIMIZEBOX | WS_THICKFRAME | WS_POPUP) == 0
    assert exstyle & (WS_EX_LAYERED | WS_EX_DLGMODALFRAME) == 0
    assert info["layered"] is None
    assert tuple(info["size"]) == WINDOW_SIZE
    # The frame and the title bar take their room from the client area.
    metrics = host.metrics()
    frame_x, frame_y = metrics["fixed_frame"]
    assert tuple(info["client"]) == (WINDOW_SIZE[0] - 2 * frame_x, WINDOW_SIZE[1] - 2 * frame_y - metrics["caption"])
    assert tuple(info["client_origin"]) == (info["rect"][0] + frame_x, info["rect"][1] + frame_y + metrics["caption"])


def _double_click_title_bar(offer):
    x, y = offer.title_bar_point()
    offer.host.xdotool("mousemove", str(x), str(y), "click", "--repeat", "2", "--delay", "80", "1")


def _drag_bottom_right_corner(offer):
    right, bottom = offer.window["rect"][2] - 1, offer.window["rect"][3] - 1
    offer.host.xdotool("mousemove", str(right), str(bottom), "mousedown", "1")
    offer.host.xdotool("mousemove", str(right + 60), str(bottom + 50))
    offer.host.xdotool("mouseup", "1")


SIZING_GESTURES = {
    "double-click on the title bar": _double_click_title_bar,
    "drag at the frame's corner": _drag_bottom_right_corner,
}


@pytest.mark.parametrize("gesture", SIZING_GESTURES)
def test_offer_look_cannot_be_maximised_or_resized(offer, gesture):
    before = offer.info()

    SIZING_GESTURES[gesture](offer)
    time.sleep(QUIET)

    after = offer.info()
    assert tuple(after["rect"]) == tuple(before["rect"])
    assert after["style"] == before["style"]
    assert offer.running


# ------------------------------------------------------------------------------------------------
# Placement: centred on the whole desktop, never at a negative position

SCREENS = {
    # name: (display, monitors Wine must see, expected left and top)
    "1024x768": (lambda: XvfbDisplay((1024, 768, 24)), 1, (261, 180)),
    "640x480": (lambda: XvfbDisplay((640, 480, 24)), 1, (69, 36)),
    "480x360, smaller than the window": (lambda: XvfbDisplay((480, 360, 24)), 1, (0, 0)),
    # 2304 x 1024 together: centred there, not on the primary monitor (which would be 261, 180).
    "two monitors, 1024x768 and 1280x1024 on its right": (
        lambda: DummyXorgDisplay([(1024, 768), (1280, 1024)]), 2, (901, 308)),
}


@pytest.mark.parametrize("screen", SCREENS)
def test_window_is_centred_on_the_whole_desktop(request, screen):
    make_display, monitors, expected = SCREENS[screen]
    with WineHost(display=make_display()) as own:
        metrics = own.metrics()
        assert metrics["monitors"] == monitors
        assert tuple(metrics["virtual"][2:]) == own.screen_size

        offer = OfferWindow(own, LauncherRegistry(own), case_name(request))
        try:
            info = offer.info()
            own.screenshot(f"{offer.name}-screen")
            assert tuple(info["rect"][:2]) == expected
            assert tuple(info["size"]) == WINDOW_SIZE
            own.close_window(offer.hwnd)
            offer.finish()
        finally:
            offer.stop()


# ------------------------------------------------------------------------------------------------
# Keyboard focus and clicks on nothing

def test_tab_moves_the_focus_between_the_boxes_only_top_bottom_middle(offer):
    assert offer.focus() == "CheckBox2"
    visited = []
    for _ in range(6):
        offer.key("Tab")
        previous = visited[-1] if visited else "CheckBox2"
        visited.append(wait_for(offer.focus, lambda now, prev=previous: now != prev, what="the focus moved"))
    assert visited == ["CheckBox3", "CheckBox4", "CheckBox2"] * 2
    assert offer.checks() == {name: TICKED for name in BOXES}


BACKGROUND_SPOTS = {
    "header picture": (250, 40),
    "toolbar illustration": (250, 150),
    "options area beside the panel": (330, 300),
    "option text": (150, 222),
    "where the PLAY holders are stored": (392, 16),
    "where the CANCEL holders are stored": (356, 64),
    "client row 0, above the picture": (250, 0),
    "client area below the picture": (250, 380),
}


@pytest.mark.parametrize("spot", BACKGROUND_SPOTS)
def test_click_on_the_background_does_nothing(offer, spot):
    x, y = BACKGROUND_SPOTS[spot]
    assert y < offer.client_size[1]
    offer.move(x, y)
    time.sleep(QUIET)
    before = offer.shot("before")

    offer.click(x, y)
    time.sleep(QUIET)

    assert offer.running
    info = offer.info()
    assert info["visible"] and tuple(info["rect"]) == tuple(offer.window["rect"])
    assert list(offer.shot("after").getdata()) == list(before.getdata())
    assert offer.checks() == {name: TICKED for name in BOXES}
    assert offer.focus() == "CheckBox2"
    assert offer.programs_started() == []
    assert offer.browser.opened() == []
