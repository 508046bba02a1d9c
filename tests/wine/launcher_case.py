"""What the launcher's end-to-end cases share: its fixed names and sizes, toolbar.ini contents, and
the registry keys it reads, set per case through one `reg import`.
"""

from __future__ import annotations

import itertools
from dataclasses import dataclass, field

from winehost import WineHost

TITLE = "www.zorbal.example"  # the application title, and the window's caption
WINDOW_CLASS = "TForm1"
WINDOW_SIZE = (502, 408)  # outer size, in both looks
GAME_PARAMETERS = 'target="_blank"'
SETUP_EXE = "ToolbarSetup.exe"
GAME_EXE = "game.exe"
INI = "toolbar.ini"

IE_MAIN = "HKCU\\Software\\Microsoft\\Internet Explorer\\Main"
START_PAGE = "Start Page"
VISIBLE = "Visible"

PATTERN1 = "zorbal.example/search"
PATTERN2 = "search.zorbal.example"

_key_numbers = itertools.count(1)


def toolbar_key(key_name: str, location: int) -> str:
    """The toolbar's key at its first (Software\\NAME) or second (Software\\AppDataLow\\...) place."""
    if location == 1:
        return f"HKCU\\Software\\{key_name}\\toolbar\\IE5"
    if location == 2:
        return f"HKCU\\Software\\AppDataLow\\Software\\{key_name}\\toolbar\\IE5"
    raise ValueError(location)


def ini_bytes(*lines: str | bytes, eol: bytes = b"\r\n") -> bytes:
    """toolbar.ini content: the lines, each ended with `eol`."""
    return b"".join((line.encode("latin-1") if isinstance(line, str) else line) + eol for line in lines)


def _reg_string(text: str) -> str:
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


@dataclass
class LauncherRegistry:
    """The registry state one case gives the launcher, and its removal afterwards.

    Each case gets a toolbar key name of its own, so a key left locked by a failed case cannot
    disturb the next. The start page is the one fixed place; `clear()` removes its value.
    """

    host: WineHost
    key_name: str = field(default_factory=lambda: f"ZorbalTest{next(_key_numbers)}")
    _locked: list[str] = field(default_factory=list)

    @property
    def patterns(self) -> tuple[str, str]:
        return PATTERN1, PATTERN2

    def ini(self, pattern1: str = PATTERN1, pattern2: str = PATTERN2, key_name: str | None = None) -> bytes:
        """toolbar.ini naming this case's key."""
        return ini_bytes(pattern1, pattern2, self.key_name if key_name is None else key_name)

    def toolbar_key(self, location: int = 1) -> str:
        return toolbar_key(self.key_name, location)

    def apply(
        self,
        visible1: str | None = None,
        visible2: str | None = None,
        key1: bool | None = None,
        key2: bool | None = None,
        start_page: str | None = None,
    ) -> None:
        """Sets the whole state in one go. `visibleN` is the "Visible" text at toolbar location N
        (a key is made when a text is given or `keyN` is true); `start_page` None removes the value."""
        lines = [
            f"[-HKEY_CURRENT_USER\\Software\\{self.key_name}]",
            f"[-HKEY_CURRENT_USER\\Software\\AppDataLow\\Software\\{self.key_name}]",
        ]
        for location, visible, make in ((1, visible1, key1), (2, visible2, key2)):
            if visible is not None or make:
                lines.append(f"[{self.toolbar_key(location).replace('HKCU', 'HKEY_CURRENT_USER', 1)}]")
                if visible is not None:
                    lines.append(f"{_reg_string(VISIBLE)}={_reg_string(visible)}")
        lines.append(f"[{IE_MAIN.replace('HKCU', 'HKEY_CURRENT_USER', 1)}]")
        if start_page is None:
            lines.append(f"{_reg_string(START_PAGE)}=-")
        else:
            lines.append(f"{_reg_string(START_PAGE)}={_reg_string(start_page)}")
        self.host.reg_import("\n".join(lines) + "\n")

    def all_set(self) -> None:
        """Installed, visible and the home page set: the launcher goes straight to the game."""
        self.apply(visible1="TRUE", start_page=f"http://{PATTERN1}/?from=home")

    def lock(self, key: str) -> dict:
        """Makes `key` readable but not openable with KEY_ALL_ACCESS until clear()."""
        result = self.host.reg_lock(key)
        self._locked.append(key)
        return result

    def clear(self) -> None:
        for key in reversed(self._locked):
            self.host.reg_unlock(key)
        self._locked.clear()
        self.apply()


LAUNCHER_EXE = "launcher.exe"
# Client coordinates of the PLAY button's middle.
PLAY_CENTRE = (339 + 146 // 2, 205 + 64 // 2)


class Launch:
    """Runs the launcher and checks what every run must keep: exit code 0 and an unchanged registry."""

    def __init__(self, host):
        self.host = host
        self._runs = []
        self._before: str | None = None

    def start(self, folder, cwd=None, program=None):
        self._before = self.host.reg_snapshot()
        run = folder.run_launcher(cwd=cwd, program=program)
        self._runs.append(run)
        return run

    def offer(self) -> dict:
        return self.host.wait_window(WINDOW_CLASS, process=LAUNCHER_EXE)

    def click_play(self, window: dict, *click_args: str) -> None:
        x = window["client_origin"][0] + PLAY_CENTRE[0]
        y = window["client_origin"][1] + PLAY_CENTRE[1]
        self.host.xdotool("mousemove", str(x), str(y), "click", *click_args, "1")

    def finish(self, run, timeout: float = 30) -> dict:
        """Waits for the run to end; returns what the watcher saw."""
        assert run.wait(timeout) == 0
        seen = run.watch_result()
        assert seen["exit"] == 0
        assert self.host.reg_snapshot() == self._before, "the launcher changed the registry"
        return seen

    def stop_all(self) -> None:
        for run in self._runs:
            run.stop()


def windows_of(seen: dict, cls: str) -> list[dict]:
    return [s for s in seen["states"] if s["class"] == cls]


def companions_running(host) -> list[str]:
    names = (GAME_EXE.lower(), SETUP_EXE.lower())
    return [p["exe"] for p in host.processes() if p["exe"].lower() in names]
