"""End-to-end: the launch decision of the real launcher.exe under Wine.

Each case sets the registry and a game folder, runs launcher.exe there and looks from outside, as
the user's desktop would: its exit code, the recorder's log (did game.exe or ToolbarSetup.exe run,
how), its windows and message boxes (sampled by a watcher from start to end), and the registry,
which must be the same, to the byte, after every run as before it.
"""

from __future__ import annotations

import time

import pytest

from launcher_case import (
    companions_running,
    windows_of,
    GAME_EXE,
    GAME_PARAMETERS,
    IE_MAIN,
    INI,
    PATTERN1,
    PATTERN2,
    SETUP_EXE,
    TITLE,
    WINDOW_CLASS,
    WINDOW_SIZE,
)
from winehost import (
    DEFAULT_BUILD_DIR,
    IDOK,
    KEY_ALL_ACCESS,
    LWA_COLORKEY,
    SS_ICON,
    SS_TYPEMASK,
    WS_CAPTION,
    WS_EX_LAYERED,
    WS_MAXIMIZEBOX,
    WS_MINIMIZEBOX,
    WS_POPUP,
    WS_SYSMENU,
    WS_THICKFRAME,
)

pytestmark = pytest.mark.skipif(
    not (DEFAULT_BUILD_DIR / "launcher.exe").exists(),
    reason=f"launcher.exe is not built yet ({DEFAULT_BUILD_DIR}); build the Windows target 'launcher' first",
)

MESSAGE_BOX_CLASS = "#32770"


def expected_centre(host) -> tuple[int, int]:
    # Centred on the whole screen, clamped at 0, as Xvfb's one screen is the whole desktop.
    width, height = host.screen_size
    return max(0, (width - WINDOW_SIZE[0]) // 2), max(0, (height - WINDOW_SIZE[1]) // 2)


def settled_records(host, folder, timeout: float = 10) -> list[dict]:
    """The recorder's log once no game.exe or ToolbarSetup.exe runs any more. Called after the
    launcher has ended: every program it started exists by then, so the log is final."""
    deadline = time.monotonic() + timeout
    while companions_running(host):
        assert time.monotonic() < deadline, "game.exe or ToolbarSetup.exe still running"
        time.sleep(0.05)
    return folder.records()


def assert_no_program_ran(host, folder) -> None:
    # A program the launcher started is, by the time the launcher has ended, either still running or
    # has already written its start line: ShellExecuteA and CreateProcessA return only after the
    # process exists.
    assert folder.records() == []
    assert companions_running(host) == []


def assert_offer_look(window: dict) -> None:
    style, exstyle = window["style"], window["exstyle"]
    assert style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX) == WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX
    assert style & (WS_MAXIMIZEBOX | WS_THICKFRAME | WS_POPUP) == 0
    assert exstyle & WS_EX_LAYERED == 0
    assert window["layered"] is None


def assert_initial_look(window: dict) -> None:
    assert window["style"] & WS_POPUP
    assert window["style"] & (WS_CAPTION | WS_THICKFRAME) == 0
    assert window["exstyle"] & WS_EX_LAYERED
    assert (window["layered"]["key"], window["layered"]["flags"] & LWA_COLORKEY) == (0, LWA_COLORKEY)


# ------------------------------------------------------------------------------------------------
# A companion file missing from the current directory: the run ends at once and shows nothing.

def _no_ini(host, folder):
    folder.remove(INI)


def _no_ini_no_setup(host, folder):
    folder.remove(INI)
    folder.remove(SETUP_EXE)


def _no_setup(host, folder):
    folder.remove(SETUP_EXE)


def _ini_is_directory(host, folder):
    folder.make_dir(INI)


def _setup_is_directory(host, folder):
    folder.make_dir(SETUP_EXE)


MISSING_COMPANION = {
    "no toolbar.ini": _no_ini,
    "no toolbar.ini, no installer": _no_ini_no_setup,
    "no installer": _no_setup,
    "toolbar.ini is a directory": _ini_is_directory,
    "installer is a directory": _setup_is_directory,
}


@pytest.mark.parametrize("layout", MISSING_COMPANION)
def test_missing_companion_ends_without_game_or_message(host, registry, launch, layout):
    # Everything else says "go straight to the game", so any read past the check would show.
    registry.all_set()
    folder = host.make_game_folder(ini=registry.ini())
    MISSING_COMPANION[layout](host, folder)

    seen = launch.finish(launch.start(folder))

    assert_no_program_ran(host, folder)
    assert windows_of(seen, MESSAGE_BOX_CLASS) == []
    assert all(not s["style"] & WS_CAPTION for s in windows_of(seen, WINDOW_CLASS))
    assert host.windows(cls=WINDOW_CLASS) == []


def test_companions_beside_the_program_but_not_in_the_current_directory_count_as_missing(host, registry, launch):
    registry.all_set()
    folder = host.make_game_folder(ini=registry.ini())
    elsewhere = host.make_game_folder(ini=None, game=False, setup=False, launcher=False, name="elsewhere")

    seen = launch.finish(launch.start(folder, cwd=elsewhere.path))

    assert_no_program_ran(host, folder)
    assert elsewhere.records() == []
    assert windows_of(seen, MESSAGE_BOX_CLASS) == []
    assert host.windows(cls=WINDOW_CLASS) == []


# ------------------------------------------------------------------------------------------------
# All three findings true: straight to the game.

ALL_SET = {
    "first location, pattern 1": dict(visible1="TRUE", start_page=f"http://{PATTERN1}/?src=home"),
    "second location only": dict(visible2="TRUE", start_page=f"http://{PATTERN1}/"),
    "pattern 2 only": dict(visible1="TRUE", start_page=f"http://{PATTERN2}/"),
    "Visible missing counts as visible": dict(key1=True, start_page=f"http://{PATTERN1}/"),
    "Visible in lower case is not FALSE": dict(visible1="false", start_page=f"http://{PATTERN1}/"),
}


@pytest.mark.parametrize("state", ALL_SET)
def test_all_set_starts_the_game_once_and_ends(host, registry, launch, state):
    registry.apply(**ALL_SET[state])
    folder = host.make_game_folder(ini=registry.ini())

    seen = launch.finish(launch.start(folder))

    records = settled_records(host, folder)
    assert [(r["exe"], r["event"]) for r in records] == [(GAME_EXE, "start"), (GAME_EXE, "end")]
    game = records[0]
    assert game["cmdline"] == f'"{GAME_EXE}" {GAME_PARAMETERS}'
    assert game["cwd"] == folder.windows_path
    assert game["ppid"] == seen["pid"]
    # The window keeps its initial look and nothing asks the user anything.
    assert windows_of(seen, MESSAGE_BOX_CLASS) == []
    assert windows_of(seen, WINDOW_CLASS), "the watcher saw no launcher window at all"
    assert all(not s["style"] & WS_CAPTION for s in windows_of(seen, WINDOW_CLASS))
    assert host.windows(cls=WINDOW_CLASS) == []


def test_all_set_without_game_ends_without_a_message(host, registry, launch):
    registry.all_set()
    folder = host.make_game_folder(ini=registry.ini(), game=False)

    seen = launch.finish(launch.start(folder))

    assert settled_records(host, folder) == []
    assert windows_of(seen, MESSAGE_BOX_CLASS) == []
    assert host.windows(cls=MESSAGE_BOX_CLASS) == []


# ------------------------------------------------------------------------------------------------
# One finding false: the offer, in its offer look, centred; nothing started.

ONE_FALSE = {
    "not installed": dict(start_page=f"http://{PATTERN1}/"),
    "toolbar hidden": dict(visible1="FALSE", start_page=f"http://{PATTERN1}/"),
    "home page not set": dict(visible1="TRUE", start_page="http://www.example.org/"),
    "first location FALSE beats second TRUE": dict(visible1="FALSE", visible2="TRUE", start_page=f"http://{PATTERN1}/"),
    "pattern differs in letter case": dict(visible1="TRUE", start_page=f"http://{PATTERN1.upper()}/"),
}


@pytest.mark.parametrize("state", ONE_FALSE)
def test_one_finding_false_shows_the_offer(host, registry, launch, state):
    registry.apply(**ONE_FALSE[state])
    folder = host.make_game_folder(ini=registry.ini())
    run = launch.start(folder)

    window = host.wait_window(WINDOW_CLASS)
    assert window["caption"] == TITLE
    assert_offer_look(window)
    assert tuple(window["size"]) == WINDOW_SIZE
    assert tuple(window["rect"][:2]) == expected_centre(host)
    host.screenshot(f"offer-{state.replace(' ', '_')}", window["rect"])

    host.close_window(window["hwnd"])
    seen = launch.finish(run)

    assert_no_program_ran(host, folder)
    assert windows_of(seen, MESSAGE_BOX_CLASS) == []
    # The offer look is in place before the window is first seen.
    assert all(not (s["visible"] and s["style"] & WS_POPUP) for s in windows_of(seen, WINDOW_CLASS))


# ------------------------------------------------------------------------------------------------
# toolbar.ini held open for writing by another program: the I/O error box, then the initial look.

def stop_sign_share(host, icon: dict) -> float:
    """The share of the icon's pixels that are the stop sign's red."""
    from PIL import Image

    shot = host.screenshot("io-error-icon", icon["rect"])
    with Image.open(shot) as image:
        pixels = list(image.convert("RGB").getdata())
    return sum(1 for r, g, b in pixels if r > 150 and g < 100 and b < 100) / len(pixels)


def test_locked_settings_file_reports_io_error_then_shows_initial_look(host, registry, launch):
    registry.all_set()
    folder = host.make_game_folder(ini=registry.ini())
    with host.hold_file(folder.path / INI):
        run = launch.start(folder)

        box = host.message_box(TITLE)
        assert box is not None, "no message box captioned with the application title"
        assert box["text"] == "I/O error 32."
        assert box["icon"] is not None and box["icon"]["visible"]
        assert box["icon"]["style"] & SS_TYPEMASK == SS_ICON
        assert stop_sign_share(host, box["icon"]) > 0.1
        assert [b["id"] for b in box["buttons"] if b["visible"]] == [IDOK]
        host.screenshot("io-error-box", box["rect"])
        assert host.message_box(TITLE, wait_ms=0, press_ok=True) is not None

        window = host.wait_window(WINDOW_CLASS)
        assert window["caption"] == TITLE
        assert_initial_look(window)
        assert tuple(window["size"]) == WINDOW_SIZE
        assert tuple(window["rect"][:2]) == expected_centre(host)
        assert host.message_box(TITLE, wait_ms=0) is None
        # The probe never ran: no finding is true, so nothing started.
        assert_no_program_ran(host, folder)

        host.close_window(window["hwnd"])
        seen = launch.finish(run)

    assert len({s["hwnd"] for s in windows_of(seen, MESSAGE_BOX_CLASS)}) == 1
    assert_no_program_ran(host, folder)


# ------------------------------------------------------------------------------------------------
# Keys the user may read but not open with full access are still read.

LOCKED = {
    "toolbar key": ("toolbar",),
    "start-page key": ("start page",),
    "both": ("toolbar", "start page"),
}


@pytest.mark.parametrize("which", LOCKED)
def test_keys_readable_but_not_fully_openable_are_still_read(host, registry, launch, which):
    registry.all_set()
    keys = {"toolbar": registry.toolbar_key(1), "start page": IE_MAIN}
    for name in LOCKED[which]:
        assert registry.lock(keys[name]) == {"all_access_error": 5, "read_error": 0}
        assert host.reg_open_error(keys[name], KEY_ALL_ACCESS) == 5
    folder = host.make_game_folder(ini=registry.ini())

    seen = launch.finish(launch.start(folder))

    assert [r["exe"] for r in settled_records(host, folder) if r["event"] == "start"] == [GAME_EXE]
    assert all(not s["style"] & WS_CAPTION for s in windows_of(seen, WINDOW_CLASS))
