"""Soak run: many launches of the real launcher.exe under Wine, counting everything that went wrong.

The launches take turns over the three paths a user can take:
  straight  the add-on is in place: the launcher starts the game and ends
  cancel    the offer shows; CANCEL is clicked (real pointer, xdotool)
  play      the offer shows; PLAY is clicked; the quick stand-in installer runs twice (the toolbar is
            installed but hidden and the home page is not set), then the game starts
and each launch is counted under every heading that applies:
  crashes            the launcher ended by an exception (a Windows exit status 0xC0000000 or above)
  hangs              it had not ended (or its offer had not shown) within the time-out; it is killed
  non-zero exits     it ended by itself with a status other than 0
  stray processes    once the launch had settled, a Windows process that was not running before it
                     (each is counted and then ended, so the next launch starts clean)
  wrong outcomes     the stand-ins' log differs from the path's (which programs ran, how often)
  message boxes      a message box of the launcher's appeared
  registry changes   HKEY_CURRENT_USER differs, to the byte, from before the soak
The goal is 0 under every heading. The exit status is 0 when that holds, 1 otherwise.

Everything runs in a private Wine prefix on a private Xvfb display (tests/wine/winehost.py), which
the script starts and stops itself.

    /usr/bin/python3 scripts/soak.py [-n 500] [--timeout 30] [--build-dir build/windows]
"""

from __future__ import annotations

import argparse
import collections
import statistics
import subprocess
import sys
import time
from dataclasses import dataclass, field
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "wine"))

from launcher_case import GAME_EXE, SETUP_EXE, WINDOW_CLASS, LauncherRegistry, ini_bytes  # noqa: E402
from winehost import GameFolder, WineError, WineHost  # noqa: E402

PLAY_CENTRE = (339 + 146 // 2, 205 + 64 // 2)  # client coordinates of the buttons' middles
CANCEL_CENTRE = (339 + 146 // 2, 281 + 64 // 2)
START_PAGE = "http://zorbal.example/search/"
SETUP_COMMAND_LINE = "ToolbarSetup.exe /s -silent"
MESSAGE_BOX_CLASS = "#32770"
EXCEPTION_STATUS = 0xC0000000
PATHS = ("straight", "cancel", "play")
HEADINGS = ("crashes", "hangs", "non-zero exits", "stray processes", "wrong outcomes", "message boxes",
            "registry changes")


@dataclass
class Tally:
    launches: collections.Counter = field(default_factory=collections.Counter)
    faults: dict = field(default_factory=lambda: {h: collections.Counter() for h in HEADINGS})
    seconds: dict = field(default_factory=lambda: collections.defaultdict(list))
    notes: list = field(default_factory=list)

    def fault(self, heading: str, path: str, number: int, detail: str, count: int = 1) -> None:
        self.faults[heading][path] += count
        self.notes.append(f"launch {number} ({path}): {heading}: {detail}")
        print(f"  launch {number} ({path}): {heading}: {detail}", flush=True)

    def total(self, heading: str) -> int:
        return sum(self.faults[heading].values())


def prepare(host: WineHost) -> dict[str, GameFolder]:
    """One game folder per path, each naming a toolbar key of its own; one start page for all. The
    patterns decide the home-page finding per folder: the straight folder's occurs, the play folder's
    does not."""
    keys = {path: LauncherRegistry(host, key_name=f"ZorbalSoak{path.capitalize()}") for path in PATHS}
    keys["straight"].apply(visible1="TRUE", start_page=START_PAGE)
    host.reg_import(
        f"[HKEY_CURRENT_USER\\Software\\{keys['play'].key_name}\\toolbar\\IE5]\n\"Visible\"=\"FALSE\"\n"
    )
    patterns = {"straight": ("zorbal.example/search", ""), "cancel": ("", ""), "play": ("no.such.page", "")}
    folders = {}
    for path in PATHS:
        folders[path] = host.make_game_folder(ini=ini_bytes(*patterns[path], keys[path].key_name), name=path)
    return folders


def expected_log(path: str) -> list[tuple[str, str]]:
    game = [(GAME_EXE, "start"), (GAME_EXE, "end")]
    if path == "straight":
        return game
    if path == "cancel":
        return []
    return [(SETUP_EXE, "start"), (SETUP_EXE, "end")] * 2 + game


def settle(host: WineHost, timeout: float = 10) -> None:
    """Waits until no game.exe or ToolbarSetup.exe runs (the stand-ins end at once)."""
    names = {GAME_EXE.lower(), SETUP_EXE.lower()}
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline and any(p["exe"].lower() in names for p in host.processes()):
        time.sleep(0.05)


def process_census(host: WineHost) -> collections.Counter:
    """Windows processes by image name, less the wintool.exe that takes the census."""
    return collections.Counter(p["exe"].lower() for p in host.processes() if p["exe"].lower() != "wintool.exe")


def click(host: WineHost, window: dict, point: tuple[int, int]) -> None:
    host.xdotool("mousemove", str(window["client_origin"][0] + point[0]),
                 str(window["client_origin"][1] + point[1]), "click", "1")


def launch_once(host: WineHost, folder: GameFolder, path: str, number: int, timeout: float,
                baseline: collections.Counter, tally: Tally) -> None:
    (folder.path / GameFolder.LOG).unlink(missing_ok=True)
    started = time.monotonic()
    run = folder.run_launcher()
    hung = False
    try:
        if path != "straight":
            try:
                window = host.wait_window(WINDOW_CLASS, process="launcher.exe", timeout_ms=int(timeout * 1000))
                click(host, window, CANCEL_CENTRE if path == "cancel" else PLAY_CENTRE)
            except WineError as error:
                # Ended without an offer is judged by its exit status and log below; still running
                # without one is a hang.
                if run.process.running:
                    hung = True
                    tally.fault("hangs", path, number, f"no offer: {error}")
        if not hung:
            try:
                run.wait(timeout)
            except subprocess.TimeoutExpired:
                hung = True
                tally.fault("hangs", path, number, f"still running after {timeout} s")
    finally:
        if hung:
            run.stop()
    tally.seconds[path].append(time.monotonic() - started)
    if hung:
        host.kill_processes("launcher.exe")
    else:
        seen = run.watch_result()
        status = seen["exit"] & 0xFFFFFFFF
        if status >= EXCEPTION_STATUS:
            tally.fault("crashes", path, number, f"exit status 0x{status:08X}")
        elif status != 0:
            tally.fault("non-zero exits", path, number, f"exit status {status}")
        boxes = [s for s in seen["states"] if s["class"] == MESSAGE_BOX_CLASS]
        if boxes:
            tally.fault("message boxes", path, number, f"{len(boxes)} seen")

    settle(host)
    log = [(r["exe"], r["event"]) for r in folder.records()]
    if log != expected_log(path):
        tally.fault("wrong outcomes", path, number, f"log {log}")
    setups = [r["cmdline"] for r in folder.starts(SETUP_EXE)]
    if any(c != SETUP_COMMAND_LINE for c in setups):
        tally.fault("wrong outcomes", path, number, f"installer command lines {setups}")

    strays = process_census(host) - baseline
    if strays:
        tally.fault("stray processes", path, number, f"{dict(strays)}", count=sum(strays.values()))
        host.kill_processes(*strays)


def report(tally: Tally, count: int, took: float) -> None:
    print()
    print(f"{count} launches in {took / 60:.1f} min: " +
          ", ".join(f"{path} {tally.launches[path]}" for path in PATHS))
    width = max(map(len, HEADINGS))
    print(f"{'':{width}}  total  " + "  ".join(f"{p:>8}" for p in PATHS))
    for heading in HEADINGS:
        print(f"{heading:{width}}  {tally.total(heading):5}  " +
              "  ".join(f"{tally.faults[heading][p]:8}" for p in PATHS))
    timings = [f"{p} {statistics.median(tally.seconds[p]):.2f} / {max(tally.seconds[p]):.2f}"
               for p in PATHS if tally.seconds[p]]
    print("seconds per launch (median / max): " + ", ".join(timings))


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("-n", "--launches", type=int, default=500, help="number of launches (default 500)")
    parser.add_argument("--timeout", type=float, default=30, help="seconds before a launch counts as hung")
    parser.add_argument("--build-dir", type=Path, default=ROOT / "build" / "windows",
                        help="the Windows build: launcher.exe, recorder.exe and wintool.exe (default build/windows)")
    args = parser.parse_args()

    tally = Tally()
    began = time.monotonic()
    with WineHost(build_dir=args.build_dir) as host:
        folders = prepare(host)
        registry_before = host.reg_snapshot()
        # Warm-up, not counted: Wine starts some of its own background processes at the first run.
        launch_once(host, folders["play"], "play", 0, args.timeout, process_census(host), Tally())
        baseline = process_census(host)
        print(f"soak: {args.launches} launches; Windows processes before: {dict(baseline)}", flush=True)
        for number in range(1, args.launches + 1):
            path = PATHS[(number - 1) % len(PATHS)]
            tally.launches[path] += 1
            launch_once(host, folders[path], path, number, args.timeout, baseline, tally)
            if host.reg_snapshot() != registry_before:
                tally.fault("registry changes", path, number, "HKEY_CURRENT_USER differs from before the soak")
                registry_before = host.reg_snapshot()
            if number % 50 == 0:
                print(f"  {number} launches done, {time.monotonic() - began:.0f} s", flush=True)
    report(tally, args.launches, time.monotonic() - began)
    return 0 if all(tally.total(h) == 0 for h in HEADINGS) else 1


if __name__ == "__main__":
    sys.exit(main())
