"""End-to-end: what PLAY does in the real launcher.exe under Wine.

Each case sets the registry so that the offer shows, clicks PLAY with the real pointer and then
looks from outside: the recorder's log (which installer ran, with what command line, from which
folder, when it started and ended, and when the game started), the launcher's windows and exit
code, and the registry, which the launcher itself must leave as it was (the recorder standing in
for the installer writes nothing either).
"""

from __future__ import annotations

import ctypes
import json
import os
import struct
import time
from pathlib import Path

import pytest

from launcher_case import (
    Launch,
    LAUNCHER_EXE,
    companions_running,
    windows_of,
    GAME_EXE,
    GAME_PARAMETERS,
    PATTERN1,
    SETUP_EXE,
    WINDOW_CLASS,
    LauncherRegistry,
)
from winehost import DEFAULT_BUILD_DIR, WS_CAPTION, GameFolder, WineHost

pytestmark = pytest.mark.skipif(
    not (DEFAULT_BUILD_DIR / "launcher.exe").exists(),
    reason=f"launcher.exe is not built yet ({DEFAULT_BUILD_DIR}); build the Windows target 'launcher' first",
)

MESSAGE_BOX_CLASS = "#32770"
SETUP_COMMAND_LINE = "ToolbarSetup.exe /s -silent"
# PLAY's centre in client coordinates: the button sits at (339, 205) and is 146 x 64.
# Long enough for the log's times to show each run awaited before the next step.
SETUP_SLEEP_MS = 300

OTHER_PAGE = "http://www.example.org/"
OUR_PAGE = f"http://{PATTERN1}/"

# Registry states by what the probe finds, and the installer runs each one calls for.
NOT_INSTALLED = dict(start_page=OUR_PAGE)
NOT_INSTALLED_NO_HOME_PAGE = dict(start_page=OTHER_PAGE)
HIDDEN_NO_HOME_PAGE = dict(visible1="FALSE", start_page=OTHER_PAGE)
HIDDEN = dict(visible1="FALSE", start_page=OUR_PAGE)
NO_HOME_PAGE = dict(visible1="TRUE", start_page=OTHER_PAGE)
ALL_SET = dict(visible1="TRUE", start_page=OUR_PAGE)


def settled_records(host: WineHost, folder: GameFolder, timeout: float = 10) -> list[dict]:
    """The recorder's log once no game.exe or ToolbarSetup.exe runs any more. Called after the
    launcher has ended: every program it started exists by then, so the log is final."""
    deadline = time.monotonic() + timeout
    while companions_running(host):
        assert time.monotonic() < deadline, "game.exe or ToolbarSetup.exe still running"
        time.sleep(0.05)
    return folder.records()


def of(records: list[dict], exe: str, event: str) -> list[dict]:
    return [r for r in records if r["exe"] == exe and r["event"] == event]


def assert_game_started_once(records: list[dict], folder: GameFolder, launcher_pid: int) -> dict:
    games = of(records, GAME_EXE, "start")
    assert len(games) == 1, records
    game = games[0]
    assert game["cmdline"] == f'"{GAME_EXE}" {GAME_PARAMETERS}'
    assert game["cwd"] == folder.windows_path
    assert game["ppid"] == launcher_pid
    return game


def assert_runs_awaited_in_turn(records: list[dict], folder: GameFolder, launcher_pid: int, runs: int) -> None:
    """`runs` installer runs, each the launcher's child with the fixed command line in the game
    folder, each ended before the next started, the last ended before the game started."""
    starts, ends = of(records, SETUP_EXE, "start"), of(records, SETUP_EXE, "end")
    assert len(starts) == runs and len(ends) == runs, records
    for start, end in zip(starts, ends):
        assert start["cmdline"] == SETUP_COMMAND_LINE
        assert start["cwd"] == folder.windows_path
        assert start["ppid"] == launcher_pid
        assert end["pid"] == start["pid"]
        # The sleep really happened, so the order below is the launcher's waiting, not luck.
        assert end["time_ms"] - start["time_ms"] >= SETUP_SLEEP_MS - 20
    for earlier_end, later_start in zip(ends, starts[1:]):
        assert earlier_end["time_ms"] <= later_start["time_ms"]
    game = of(records, GAME_EXE, "start")[0]
    if ends:
        assert ends[-1]["time_ms"] <= game["time_ms"]
    # The log's own order says the same: every installer line comes before the game's start.
    order = [(r["exe"], r["event"]) for r in records if not (r["exe"] == GAME_EXE and r["event"] == "end")]
    assert order == [(SETUP_EXE, "start"), (SETUP_EXE, "end")] * runs + [(GAME_EXE, "start")]


class FileOpens:
    """Counts the opens of one file, seen by the Linux kernel (inotify), whoever opens it.

    A program run under Wine opens its own file before it runs any of its code: creating the process
    opens it for the image section. So this sees a start that the recorder cannot report, one killed
    before it reached its first line."""

    IN_OPEN = 0x20
    _EVENT = struct.Struct("iIII")

    def __init__(self, path: Path):
        self._libc = ctypes.CDLL(None, use_errno=True)
        self._fd = self._libc.inotify_init1(os.O_NONBLOCK | os.O_CLOEXEC)
        if self._fd < 0:
            raise OSError(ctypes.get_errno(), "inotify_init1")
        if self._libc.inotify_add_watch(self._fd, os.fsencode(path), self.IN_OPEN) < 0:
            os.close(self._fd)
            raise OSError(ctypes.get_errno(), f"inotify_add_watch {path}")

    def take(self) -> int:
        """The opens since the last call."""
        count = 0
        while True:
            try:
                data = os.read(self._fd, 4096)
            except BlockingIOError:
                return count
            at = 0
            while at < len(data):
                _, mask, _, length = self._EVENT.unpack_from(data, at)
                count += bool(mask & self.IN_OPEN)
                at += self._EVENT.size + length

    def close(self) -> None:
        os.close(self._fd)


def launcher_window(host: WineHost) -> dict:
    found = host.windows(cls=WINDOW_CLASS, process=LAUNCHER_EXE)
    assert len(found) == 1, found
    return found[0]


# ------------------------------------------------------------------------------------------------
# The runs by what the probe found: each awaited in turn, then the game, then the end.

RUN_TABLE = {
    "not installed": (NOT_INSTALLED, 1),
    "not installed, home page not set": (NOT_INSTALLED_NO_HOME_PAGE, 1),
    "installed, hidden, home page not set": (HIDDEN_NO_HOME_PAGE, 2),
    "installed, hidden, home page set": (HIDDEN, 1),
    "installed, visible, home page not set": (NO_HOME_PAGE, 1),
    "all set": (ALL_SET, 0),
}


@pytest.mark.parametrize("state", RUN_TABLE)
def test_play_runs_the_installer_as_often_as_the_probe_found_then_starts_the_game(host, registry, launch, state):
    findings, runs = RUN_TABLE[state]
    registry.apply(**findings)
    folder = host.make_game_folder(ini=registry.ini())
    folder.set_sleep(SETUP_EXE, SETUP_SLEEP_MS)
    run = launch.start(folder)

    if runs:
        launch.click_play(launch.offer())
    seen = launch.finish(run)

    records = settled_records(host, folder)
    assert_game_started_once(records, folder, seen["pid"])
    assert_runs_awaited_in_turn(records, folder, seen["pid"], runs)
    assert windows_of(seen, MESSAGE_BOX_CLASS) == []
    if not runs:
        # Straight to the game: the offer never showed.
        assert all(not s["style"] & WS_CAPTION for s in windows_of(seen, WINDOW_CLASS))


# ------------------------------------------------------------------------------------------------
# Whatever became of a run, the hand-off goes on: the next run, the game, the end.

# How long each run lasts and the exit code it ends with; None: it never ends, and another program
# kills it (exit code 1, no end line).
ENDINGS = {
    "exits with code 3": (SETUP_SLEEP_MS, 3),
    "killed by another program": ("forever", None),
}


@pytest.mark.parametrize("ending", ENDINGS)
def test_a_failed_installer_run_changes_no_step(host, registry, launch, ending):
    sleep, exit_code = ENDINGS[ending]
    registry.apply(**HIDDEN_NO_HOME_PAGE)
    folder = host.make_game_folder(ini=registry.ini())
    folder.set_sleep(SETUP_EXE, sleep)
    if exit_code is not None:
        folder.set_exit(SETUP_EXE, exit_code)
    run = launch.start(folder)
    launch.click_play(launch.offer())

    for number in (1, 2):
        folder.wait_for_records(lambda rs, n=number: len(of(rs, SETUP_EXE, "start")) >= n)
        if exit_code is None:
            # An installer that never ends keeps the launcher waiting, hidden, with the game unstarted.
            time.sleep(0.5)
            assert run.process.running
            assert not launcher_window(host)["visible"]
            assert of(folder.records(), GAME_EXE, "start") == []
            assert host.kill_processes(SETUP_EXE) == 1
    seen = launch.finish(run)

    records = settled_records(host, folder)
    starts = of(records, SETUP_EXE, "start")
    assert [s["cmdline"] for s in starts] == [SETUP_COMMAND_LINE] * 2
    ends = of(records, SETUP_EXE, "end")
    assert [e["exit"] for e in ends] == ([] if exit_code is None else [exit_code] * 2)
    game = assert_game_started_once(records, folder, seen["pid"])
    assert all(s["time_ms"] <= game["time_ms"] for s in starts)
    assert windows_of(seen, MESSAGE_BOX_CLASS) == []


# ------------------------------------------------------------------------------------------------
# The installer that runs is the game folder's own, or none.

# A recorder copy named ToolbarSetup.exe beside launcher.exe (which the system's search for a bare
# program name would find first), the game folder's own installer removed after start-up checked it,
# the runs due, and how many runs of the game folder's installer follow.
WHICH_INSTALLER = {
    "removed before PLAY": (False, True, 1, 0),
    "decoy beside launcher.exe": (True, False, 1, 1),
    "decoy beside launcher.exe, two runs": (True, False, 2, 2),
    "decoy beside launcher.exe, removed before PLAY": (True, True, 1, 0),
}


@pytest.mark.parametrize("layout", WHICH_INSTALLER)
def test_only_the_installer_in_the_game_folder_runs(host, registry, launch, layout):
    decoy, removed, due, expected = WHICH_INSTALLER[layout]
    registry.apply(**(HIDDEN_NO_HOME_PAGE if due == 2 else NOT_INSTALLED))
    # launcher.exe in a folder of its own, started with the game folder as its current directory.
    program_folder = host.make_game_folder(ini=None, game=False, setup=decoy, name="program")
    game_folder = host.make_game_folder(ini=registry.ini(), launcher=False)
    game_folder.set_sleep(SETUP_EXE, SETUP_SLEEP_MS)
    run = launch.start(game_folder, program=program_folder.launcher)
    window = launch.offer()

    if removed:
        game_folder.remove(SETUP_EXE)
    launch.click_play(window)
    seen = launch.finish(run)

    records = settled_records(host, game_folder)
    assert program_folder.records() == [], "the installer beside launcher.exe ran"
    assert_game_started_once(records, game_folder, seen["pid"])
    assert_runs_awaited_in_turn(records, game_folder, seen["pid"], expected)
    assert windows_of(seen, MESSAGE_BOX_CLASS) == []


# ------------------------------------------------------------------------------------------------
# A second click on PLAY starts no second hand-off.

# Milliseconds between the two clicks: both in the queue before the first is handled, or the
# second while the installer runs.
DOUBLE_CLICK_DELAYS = {"at once": 1, "during the run": 150}


@pytest.mark.parametrize("delay", DOUBLE_CLICK_DELAYS)
def test_double_click_on_play_hands_off_once(host, registry, launch, delay):
    registry.apply(**NOT_INSTALLED)
    folder = host.make_game_folder(ini=registry.ini())
    folder.set_sleep(SETUP_EXE, SETUP_SLEEP_MS)
    run = launch.start(folder)

    launch.click_play(launch.offer(), "--repeat", "2", "--delay", str(DOUBLE_CLICK_DELAYS[delay]))
    seen = launch.finish(run)

    records = settled_records(host, folder)
    assert_game_started_once(records, folder, seen["pid"])
    assert_runs_awaited_in_turn(records, folder, seen["pid"], 1)


# ------------------------------------------------------------------------------------------------
# Asked to close while an installer runs: that run is killed, no further run starts, the game does.

# The launcher looks at the queue every 100 ms while an installer runs. The measured time also holds
# starting wintool to post the close and Wine's own latency on a shared machine, hence 1 s.
KILL_BOUND_S = 1.0


def test_close_during_the_first_of_two_runs_kills_it_and_starts_no_second(host, registry, launch):
    registry.apply(**HIDDEN_NO_HOME_PAGE)
    folder = host.make_game_folder(ini=registry.ini())
    folder.set_sleep(SETUP_EXE, "forever")
    # A second run started now would be killed at its first poll, before Wine has brought the
    # recorder as far as its start line; the opens of the installer's file show it regardless.
    opens = FileOpens(folder.path / SETUP_EXE)
    try:
        run = launch.start(folder)
        launch.click_play(launch.offer())

        first = folder.wait_for_records(lambda rs: len(of(rs, SETUP_EXE, "start")) == 1)[0]
        assert opens.take() > 0, "starting the first run did not show as an open of its file"
        window = launcher_window(host)
        assert not window["visible"]
        watch = host.spawn_tool("watch", "--process", SETUP_EXE, "--timeout", "30000")
        try:
            assert watch.read_line() == "ready"
            time.sleep(0.1)  # let it find the running installer
            assert run.process.running and watch.running, "the installer ended before the close"
            before = time.monotonic()
            host.close_window(window["hwnd"])
            ended = json.loads(watch.read_line(timeout=10))
            took = time.monotonic() - before
        finally:
            watch.kill()
        seen = launch.finish(run)
        records = settled_records(host, folder)
        opened_after_close = opens.take()
    finally:
        opens.close()

    assert ended["ended"] and ended["pid"] == first["pid"]
    assert ended["exit"] == 0, "not killed with exit code 0"
    assert took < KILL_BOUND_S
    assert opened_after_close == 0, "a second installer run was started after the close"
    assert of(records, SETUP_EXE, "start") == [first]
    assert of(records, SETUP_EXE, "end") == [], "the installer ended by itself rather than being killed"
    assert_game_started_once(records, folder, seen["pid"])
    assert windows_of(seen, MESSAGE_BOX_CLASS) == []


# ------------------------------------------------------------------------------------------------
# The session ends while an installer runs: the launcher ends at once, and the game does not start.

def test_end_of_session_message_during_a_run_ends_the_launcher_without_the_game(host, registry, launch):
    registry.apply(**NOT_INSTALLED)
    folder = host.make_game_folder(ini=registry.ini())
    folder.set_sleep(SETUP_EXE, "forever")
    run = launch.start(folder)
    launch.click_play(launch.offer())
    first = folder.wait_for_records(lambda rs: len(of(rs, SETUP_EXE, "start")) == 1)[0]

    assert host.end_session(launcher_window(host)["hwnd"]) == 1, "the launcher refused the end of session"
    launch.finish(run)

    # Neither waited for nor stopped: the installer runs on, and the game never started.
    running = host.processes(SETUP_EXE)
    assert [p["pid"] for p in running] == [first["pid"]]
    assert host.kill_processes(SETUP_EXE) == 1
    records = folder.records()
    assert of(records, SETUP_EXE, "end") == []
    assert of(records, GAME_EXE, "start") == []
    assert host.processes(GAME_EXE) == []


@pytest.fixture
def own_host():
    """A session of its own: `wineboot -e` ends every process of the prefix, Wine's own included,
    and the shared session's later tests should not have to start from that."""
    with WineHost() as session:
        yield session


def test_real_end_of_session_during_a_run_ends_the_launcher_without_the_game(own_host):
    registry = LauncherRegistry(own_host)
    registry.apply(**NOT_INSTALLED)
    folder = own_host.make_game_folder(ini=registry.ini())
    folder.set_sleep(SETUP_EXE, "forever")
    # No watcher: wineboot would end it too.
    run = folder.run_launcher(watch=False)
    window = own_host.wait_window(WINDOW_CLASS, process=LAUNCHER_EXE)
    Launch(own_host).click_play(window)
    folder.wait_for_records(lambda rs: len(of(rs, SETUP_EXE, "start")) == 1)
    assert of(folder.records(), GAME_EXE, "start") == []

    ended = own_host.run(["wineboot", "-e"], timeout=60)
    assert ended.returncode == 0, ended.stderr

    assert run.wait(20) == 0
    assert of(folder.records(), GAME_EXE, "start") == []
    assert own_host.processes(GAME_EXE) == []
