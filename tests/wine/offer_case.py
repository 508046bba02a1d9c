"""What the offer window's end-to-end cases share: where its controls stand, its pictures as the
repository holds them, a stand-in for the web browser, and `OfferWindow`, one run of launcher.exe
showing the offer, looked at through screenshots and driven with the real pointer and keyboard.

Places are client coordinates, as the window's description gives them; a screenshot of the client
area is compared pixel for pixel with the picture files under offer_window/assets/.
"""

from __future__ import annotations

import contextlib
import functools
import subprocess
import tempfile
import time
from dataclasses import dataclass
from pathlib import Path
from typing import Callable, TypeVar

from launcher_case import GAME_EXE, PATTERN1, SETUP_EXE, WINDOW_CLASS, LauncherRegistry
from winehost import REPO_ROOT, GameFolder, LauncherRun, WineError, WineHost

ASSETS = REPO_ROOT / "offer_window" / "assets"
ICON_FILE = ASSETS / "launcher.ico"

PRIVACY_ADDRESS = "http://www.zorbal.example/privacy_policy.html"
EULA_ADDRESS = "http://zorbal.toolbarworks.example/eula/"

# Wine learns that the pointer left a window by polling (200-300 ms); a leave shows after this.
LEAVE_SETTLE = 0.4
# How long to let the launcher act on input before looking that nothing changed.
QUIET = 0.5
# BM_GETCHECK
UNTICKED, TICKED = 0, 1


@dataclass(frozen=True)
class Place:
    """A control's rectangle in client coordinates."""

    left: int
    top: int
    width: int
    height: int

    @property
    def box(self) -> tuple[int, int, int, int]:
        return self.left, self.top, self.left + self.width, self.top + self.height

    @property
    def centre(self) -> tuple[int, int]:
        return self.left + self.width // 2, self.top + self.height // 2


BACKGROUND = Place(0, 1, 497, 376)
PLAY = Place(339, 205, 146, 64)
CANCEL = Place(339, 281, 146, 64)
PRIVACY_LINK = Place(8, 358, 65, 13)
EULA_LINK = Place(95, 358, 25, 13)
# The consent boxes in tab order, with the control ids they are created with.
BOXES = {
    "CheckBox2": Place(29, 217, 13, 13),
    "CheckBox3": Place(40, 283, 13, 13),
    "CheckBox4": Place(40, 248, 13, 13),
}
BOX_IDS = {"CheckBox2": 100, "CheckBox3": 101, "CheckBox4": 102}
LINKS = {"Privacy Policy": (PRIVACY_LINK, PRIVACY_ADDRESS), "EULA": (EULA_LINK, EULA_ADDRESS)}
# A spot of plain options-area grey, away from every control: where the pointer rests "off".
NEUTRAL = (200, 192)

NAVY = (0, 0, 128)
WHITE = (255, 255, 255)


@functools.lru_cache(maxsize=None)
def asset(name: str):
    """A picture file under offer_window/assets (e.g. "play_normal"), as an RGB Pillow image."""
    from PIL import Image

    with Image.open(ASSETS / f"{name}.bmp") as image:
        return image.convert("RGB")


T = TypeVar("T")


def wait_for(probe: Callable[[], T], done: Callable[[T], bool], timeout: float = 10, what: str = "") -> T:
    """Calls probe() until done(result) holds and returns that result; raises WineError with the
    last result when `timeout` seconds pass first."""
    deadline = time.monotonic() + timeout
    while True:
        value = probe()
        if done(value):
            return value
        if time.monotonic() > deadline:
            raise WineError(f"{what or 'the expected state'} did not come: {value!r}")
        time.sleep(0.05)


class BrowserRecorder:
    """A fake `xdg-open`, first on the PATH the launcher is started with: Wine's winebrowser runs
    xdg-open for each web address the shell is asked to open; this one only writes the address to
    a log."""

    def __init__(self, folder: Path):
        self.bin = Path(tempfile.mkdtemp(prefix="browser-", dir=folder))
        self.log = self.bin / "opened.log"
        script = self.bin / "xdg-open"
        script.write_text(f"#!/bin/sh\nprintf '%s\\n' \"$*\" >> '{self.log}'\n")
        script.chmod(0o755)

    def env(self, base_path: str) -> dict[str, str]:
        return {"PATH": f"{self.bin}:{base_path}"}

    def opened(self) -> list[str]:
        """Every address opened so far, oldest first."""
        return self.log.read_text().splitlines() if self.log.exists() else []

    def wait_opened(self, count: int, timeout: float = 15) -> list[str]:
        return wait_for(self.opened, lambda seen: len(seen) >= count, timeout, f"{count} opened address(es)")


class OfferWindow:
    """One run of launcher.exe that shows the offer (the toolbar not installed), in a game folder of
    its own, with the browser recorder on its PATH.

    Keeps what the run must not change: the registry snapshot before the start. `finish()` waits
    for the end and checks exit code 0, the registry as it was and that neither game.exe nor
    ToolbarSetup.exe ran."""

    def __init__(self, host: WineHost, registry: LauncherRegistry, name: str):
        self.host = host
        self.name = name
        registry.apply(start_page=f"http://{PATTERN1}/")
        self.folder: GameFolder = host.make_game_folder(ini=registry.ini())
        self.browser = BrowserRecorder(self.folder.path.parent)
        # A window that appears under the pointer gets no enter until the pointer moves: start
        # with the pointer in the screen's corner, outside where the window will stand.
        host.xdotool("mousemove", "0", "0")
        self.registry_before = host.reg_snapshot()
        self.run: LauncherRun = self.folder.run_launcher(watch=False, env=self.browser.env(host.env["PATH"]))
        # A fresh session's first window can take a while on a busy machine.
        self.window = host.wait_window(WINDOW_CLASS, timeout_ms=30000)
        self.hwnd = self.window["hwnd"]
        # Visible comes before painted: wait for the first paint, judged by the logo's corner of the
        # background picture (on screen even when the screen is smaller than the window). The
        # whole client area is painted at once, from one off-screen copy.
        from PIL import ImageChops

        logo = Place(BACKGROUND.left, BACKGROUND.top, 150, 80)
        expected = asset("background").crop((0, 0, logo.width, logo.height))
        wait_for(lambda: ImageChops.difference(self.shot().crop(logo.box), expected).getbbox(),
                 lambda differing: differing is None, timeout=30, what="the first paint (differing area shown)")

    # -- looking ---------------------------------------------------------------------------------

    def info(self) -> dict:
        """The window as wintool sees it now (styles, rectangles, focus, the boxes)."""
        found = [w for w in self.host.windows(cls=WINDOW_CLASS) if w["hwnd"] == self.hwnd]
        if not found:
            raise WineError("the offer window is gone")
        return found[0]

    @property
    def origin(self) -> tuple[int, int]:
        return tuple(self.window["client_origin"])

    @property
    def client_size(self) -> tuple[int, int]:
        return tuple(self.window["client"])

    def shot(self, label: str = "client"):
        """A screenshot of the client area (saved as build/windows/screenshots/NAME-LABEL.png),
        as an RGB Pillow image in client coordinates."""
        from PIL import Image

        left, top = self.origin
        width, height = self.client_size
        path = self.host.screenshot(f"{self.name}-{label}", (left, top, left + width, top + height))
        with Image.open(path) as image:
            return image.convert("RGB")

    def window_shot(self, label: str = "window"):
        """A screenshot of the whole window, frame and title bar included."""
        from PIL import Image

        path = self.host.screenshot(f"{self.name}-{label}", self.window["rect"])
        with Image.open(path) as image:
            return image.convert("RGB")

    def shows(self, place: Place, picture: str, image=None) -> bool:
        """Whether the client area shows the asset `picture` at `place`, every pixel exactly."""
        from PIL import ImageChops

        image = image if image is not None else self.shot()
        return ImageChops.difference(image.crop(place.box), asset(picture)).getbbox() is None

    def picture_at(self, place: Place, pictures: tuple[str, ...], image=None) -> str | None:
        """Which of `pictures` the client area shows exactly at `place` (None: none of them)."""
        image = image if image is not None else self.shot()
        return next((p for p in pictures if self.shows(place, p, image)), None)

    def buttons(self, image=None) -> tuple[str | None, str | None]:
        """The pictures PLAY and CANCEL show now."""
        image = image if image is not None else self.shot()
        return (
            self.picture_at(PLAY, ("play_normal", "play_light", "play_disabled"), image),
            self.picture_at(CANCEL, ("cancel_normal", "cancel_light"), image),
        )

    def wait_buttons(self, play: str, cancel: str, timeout: float = 10) -> None:
        wait_for(self.buttons, lambda seen: seen == (play, cancel), timeout, f"PLAY {play}, CANCEL {cancel}")

    def checks(self) -> dict[str, int]:
        """BM_GETCHECK of each consent box, by name."""
        by_id = {c["id"]: c["check"] for c in self.info()["children"]}
        return {name: by_id[BOX_IDS[name]] for name in BOXES}

    def focus(self) -> str | None:
        """The name of the consent box with the keyboard focus, known by where the focused window
        stands (None: no box has it)."""
        info = self.info()
        focused = next((c for c in info["children"] if c["hwnd"] == info["focus"]), None)
        if focused is None:
            return None
        left, top = self.origin
        at = (focused["rect"][0] - left, focused["rect"][1] - top)
        return next((name for name, place in BOXES.items() if (place.left, place.top) == at), None)

    # -- driving ---------------------------------------------------------------------------------

    def screen_point(self, x: int, y: int) -> tuple[int, int]:
        left, top = self.origin
        return left + x, top + y

    def move(self, x: int, y: int) -> None:
        """The pointer to client (x, y)."""
        self.host.xdotool("mousemove", *map(str, self.screen_point(x, y)))

    def move_screen(self, x: int, y: int) -> None:
        self.host.xdotool("mousemove", str(x), str(y))

    def click(self, x: int, y: int) -> None:
        """A left click at client (x, y)."""
        self.host.xdotool("mousemove", *map(str, self.screen_point(x, y)), "click", "1")

    def toggle(self, box: str) -> None:
        """Clicks a consent box and waits until its state has flipped."""
        before = self.checks()[box]
        self.click(*BOXES[box].centre)
        wait_for(lambda: self.checks()[box], lambda state: state != before, what=f"{box} toggled")

    def key(self, *keys: str) -> None:
        self.host.xdotool("key", *keys)

    def title_bar_point(self) -> tuple[int, int]:
        """A screen point on the title bar, clear of the icon and the caption buttons."""
        metrics = self.host.metrics()
        left, top = self.window["rect"][:2]
        return left + 200, top + metrics["fixed_frame"][1] + metrics["caption"] // 2

    def close_button_point(self) -> tuple[int, int]:
        """The screen point at the middle of the title bar's close button (the rightmost one)."""
        metrics = self.host.metrics()
        right, top = self.window["rect"][2], self.window["rect"][1]
        half = metrics["caption"] // 2
        return right - metrics["fixed_frame"][0] - half, top + metrics["fixed_frame"][1] + half

    def outside_point(self) -> tuple[int, int]:
        """A screen point beside the window, on no window at all."""
        right, top = self.window["rect"][2], self.window["rect"][1]
        return right + 40, top + 100

    # -- ending ----------------------------------------------------------------------------------

    @property
    def running(self) -> bool:
        return self.run.process.running

    def programs_started(self) -> list[str]:
        """game.exe or ToolbarSetup.exe runs logged or running now (both are recorder copies)."""
        names = {GAME_EXE.lower(), SETUP_EXE.lower()}
        running = [p["exe"] for p in self.host.processes() if p["exe"].lower() in names]
        return [r["exe"] for r in self.folder.starts()] + running

    def finish(self, timeout: float = 20) -> None:
        """Waits for the launcher to end, then checks what every end without PLAY keeps."""
        assert self.run.wait(timeout) == 0
        # ShellExecuteA and CreateProcessA return only once the process exists: by the launcher's
        # end, anything it started is running or has logged its start.
        assert self.programs_started() == []
        assert self.host.reg_snapshot() == self.registry_before, "the launcher changed the registry"
        assert self.host.windows(cls=WINDOW_CLASS) == []

    def stop(self) -> None:
        """Ends the run if it still goes (clean-up after a test that stopped half-way)."""
        if self.running and any(w["hwnd"] == self.hwnd for w in self.host.windows(cls=WINDOW_CLASS)):
            self.host.close_window(self.hwnd)
            with contextlib.suppress(subprocess.TimeoutExpired):
                self.run.wait(10)
        self.run.stop()
