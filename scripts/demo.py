"""The whole journey on a sample game folder, under Wine.

First start: the offer window. PLAY runs the sample installer (which installs the toolbar in the
registry) and starts the sample game. Second start: straight to the game. Screenshots of each step go
to build/windows/screenshots/demo-*.png.

With a display of your own (DISPLAY set and answering) the window shows there and you click PLAY
yourself; without one, the demo runs on a private Xvfb display and clicks PLAY itself. Either way it
uses a private Wine prefix under build/windows/wine/, so your own Wine registry stays as it is.
"""

from __future__ import annotations

import os
import shutil
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "wine"))

from winehost import WineHost  # noqa: E402

BUILD = ROOT / "build" / "windows"
PLAY_CENTRE = (339 + 146 // 2, 205 + 64 // 2)  # client coordinates of the PLAY button's middle


class UserDisplayHost(WineHost):
    """A session on the user's own display: nothing to start there, and nothing to stop."""

    def _start_xvfb(self) -> None:
        self.display = os.environ["DISPLAY"]


def display_answers() -> bool:
    if not os.environ.get("DISPLAY") or shutil.which("xdpyinfo") is None:
        return False
    return subprocess.run(["xdpyinfo"], capture_output=True).returncode == 0


def sample_folder(host: WineHost) -> Path:
    folder = host.prefix / "sample-game"
    folder.mkdir()
    shutil.copy2(BUILD / "launcher.exe", folder / "launcher.exe")
    shutil.copy2(BUILD / "sample_game.exe", folder / "game.exe")
    shutil.copy2(BUILD / "sample_installer.exe", folder / "ToolbarSetup.exe")
    shutil.copy2(ROOT / "samples" / "toolbar.ini", folder / "toolbar.ini")
    return folder


def shoot(host: WineHost, name: str, window: dict) -> Path:
    path = host.screenshot(name, window["rect"])
    print(f"  screenshot: {path.relative_to(ROOT)}")
    return path


def close_game(host: WineHost) -> None:
    host.close_window(cls="SampleGame")
    host.wait_gone("SampleGame")


def main() -> int:
    interactive = display_answers()
    host_class = UserDisplayHost if interactive else WineHost
    with host_class(BUILD) as host:
        folder = sample_folder(host)
        print(f"sample game folder: {folder}")

        print("1. first start: the toolbar is not installed, so the launcher offers it")
        launcher = host.spawn([folder / "launcher.exe"], cwd=folder)
        offer = host.wait_window("TForm1")
        shoot(host, "demo-1-offer", offer)

        if interactive:
            print("   click PLAY (or CANCEL) in the window")
        else:
            print("2. PLAY: the sample installer runs, then the game starts")
            x, y = offer["client_origin"]
            host.xdotool("mousemove", x + PLAY_CENTRE[0], y + PLAY_CENTRE[1])
            time.sleep(0.5)
            shoot(host, "demo-2-play-highlighted", offer)
            host.xdotool("click", "1")
        exit_code = launcher.wait(timeout=600 if interactive else 60)
        print(f"   launcher ended with exit code {exit_code}")
        installed = host.reg_query(r"HKCU\Software\ZorbalToolbar\toolbar\IE5", "Visible")
        print(f"   toolbar installed: Visible = {installed!r}")
        if installed is None:
            print("   (no PLAY: the toolbar was not installed, so there is no second start to show)")
            return 0
        game = host.wait_window("SampleGame")
        time.sleep(0.3)
        shoot(host, "demo-3-game", game)
        close_game(host)

        print("3. second start: installed, visible and home page set, so straight to the game")
        launcher = host.spawn([folder / "launcher.exe"], cwd=folder)
        game = host.wait_window("SampleGame")
        exit_code = launcher.wait(timeout=60)
        offered = [w for w in host.windows(cls="TForm1") if w["visible"]]
        print(f"   launcher ended with exit code {exit_code}; offer shown: {bool(offered)}")
        time.sleep(0.3)
        shoot(host, "demo-4-second-start", game)
        close_game(host)
    return 0


if __name__ == "__main__":
    sys.exit(main())
