"""End-to-end: the real launcher.exe under Wine, fed bad input from every side it reads.

What the launcher reads can be damaged or hostile: toolbar.ini, the registry values and key names,
the companion programs, and other programs acting on its window. Each case here sets one such input,
runs the launcher and checks the outcome its rules give: the game at once, or the offer and, after a
click on PLAY, exactly the installer runs that the probe's findings call for (so the run count shows
the findings from outside), or the I/O error box. Every run must end with exit code 0, show no
message but the I/O error box, and leave the registry byte for byte as it was.

Cases already covered by test_launch.py and test_handoff.py are not repeated here; docs/bad-input.md
lists the whole matrix with the test of each case.
"""

from __future__ import annotations

import random
import shutil
import struct
import subprocess
import time
from dataclasses import dataclass
from pathlib import Path

import pytest

from launcher_case import (
    Launch,
    companions_running,
    windows_of,
    GAME_EXE,
    IE_MAIN,
    INI,
    PATTERN1,
    PATTERN2,
    SETUP_EXE,
    START_PAGE,
    TITLE,
    VISIBLE,
    WINDOW_CLASS,
    ini_bytes,
)
from winehost import (
    DEFAULT_BUILD_DIR,
    IDOK,
    KEY_READ_NO_NOTIFY,
    WS_CAPTION,
    WS_EX_LAYERED,
    WS_POPUP,
    GameFolder,
    WineHost,
)

pytestmark = pytest.mark.skipif(
    not (DEFAULT_BUILD_DIR / "launcher.exe").exists(),
    reason=f"launcher.exe is not built yet ({DEFAULT_BUILD_DIR}); build the Windows target 'launcher' first",
)

HERE = Path(__file__).resolve().parent
MESSAGE_BOX_CLASS = "#32770"
SETUP_COMMAND_LINE = "ToolbarSetup.exe /s -silent"
# PLAY's centre in client coordinates: the button sits at (339, 205) and is 146 x 64.

OUR_PAGE = f"http://{PATTERN1}/"
OTHER_PAGE = "http://www.example.org/"
BOTH_PATTERNS_PAGE = f"http://{PATTERN1}/ http://{PATTERN2}/"

REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD, REG_MULTI_SZ = 1, 2, 3, 4, 7


# ------------------------------------------------------------------------------------------------
# Running the launcher and reading what it did

def offer_look_seen(seen: dict) -> bool:
    return any(s["style"] & WS_CAPTION for s in windows_of(seen, WINDOW_CLASS))


def of(records: list[dict], exe: str, event: str) -> list[dict]:
    return [r for r in records if r["exe"] == exe and r["event"] == event]


def settled_records(host: WineHost, folder: GameFolder, timeout: float = 10) -> list[dict]:
    """The stand-ins' log once no game.exe or ToolbarSetup.exe runs any more. Called after the
    launcher has ended: every program it started exists by then, so the log is final."""
    deadline = time.monotonic() + timeout
    while companions_running(host):
        assert time.monotonic() < deadline, "game.exe or ToolbarSetup.exe still running"
        time.sleep(0.05)
    return folder.records()


def assert_no_message_anywhere(host: WineHost, seen: dict) -> None:
    """No box of the launcher's (the watcher's samples) and none of any other program now (Wine's
    crash dialog, a shell error box)."""
    assert windows_of(seen, MESSAGE_BOX_CLASS) == []
    assert host.windows(cls=MESSAGE_BOX_CLASS, visible=True) == []


def assert_initial_look(window: dict) -> None:
    assert window["style"] & (WS_CAPTION | WS_POPUP) == WS_POPUP
    assert window["exstyle"] & WS_EX_LAYERED


# ------------------------------------------------------------------------------------------------
# The probe's findings and what the launcher does with them

@dataclass(frozen=True)
class Findings:
    """The three probe flags a case must produce."""

    installed: bool
    visible: bool
    home_page: bool

    @property
    def runs(self) -> int | None:
        """None: straight to the game. Otherwise the installer runs that PLAY makes."""
        if self.installed and self.visible and self.home_page:
            return None
        if not self.installed:
            return 1
        return int(not self.visible) + int(not self.home_page)


def check_outcome(host: WineHost, launch: Launch, folder: GameFolder, findings: Findings) -> list[dict]:
    """Runs the launcher in `folder` and checks the outcome the findings call for: the game at once,
    or the offer in its offer look, then PLAY, the due installer runs and the game. Returns the log."""
    run = launch.start(folder)
    if findings.runs is not None:
        window = launch.offer()
        assert window["style"] & WS_CAPTION, "the offer is not in its offer look"
        launch.click_play(window)
    seen = launch.finish(run)
    records = settled_records(host, folder)
    assert offer_look_seen(seen) == (findings.runs is not None)
    assert [r["cmdline"] for r in of(records, SETUP_EXE, "start")] == [SETUP_COMMAND_LINE] * (findings.runs or 0)
    assert [r["ppid"] for r in of(records, GAME_EXE, "start")] == [seen["pid"]]
    assert_no_message_anywhere(host, seen)
    return records


def probe_finds(host: WineHost, key_name: str) -> bool:
    """Whether this registry answers "present" for the toolbar key of `key_name` at either place,
    asked the way the probe asks (the same path, the same read rights)."""
    paths = (
        f"HKCU\\Software\\{key_name}\\toolbar\\IE5",
        f"HKCU\\Software\\AppDataLow\\Software\\{key_name}\\toolbar\\IE5",
    )
    return any(host.reg_open_error(path, KEY_READ_NO_NOTIFY) == 0 for path in paths)


def ansi_code_page(host: WineHost) -> str:
    """The prefix's ANSI code page as a Python codec name (e.g. "cp1252")."""
    key = "HKLM\\System\\CurrentControlSet\\Control\\Nls\\CodePage"
    result = host.run(["reg", "query", key, "/v", "ACP"], check=True)
    return "cp" + result.stdout.decode("latin-1").split()[-1]


def import_toolbar_key(host: WineHost, key_name: str, codec: str = "latin-1") -> None:
    """The toolbar key Software\\NAME\\toolbar\\IE5 with "Visible" = "TRUE". NAME is given as the ANSI
    bytes the launcher reads (decoded with `codec`); `reg import` takes the name in UTF-16, exactly."""
    name = key_name.encode("latin-1").decode(codec)
    host.reg_import(f"[HKEY_CURRENT_USER\\Software\\{name}\\toolbar\\IE5]\n\"{VISIBLE}\"=\"TRUE\"\n")


@pytest.fixture
def empty_name_key(host):
    """The key that an empty ToolbarKeyName names, made present with "Visible" = "TRUE". The probe's
    path then holds two backslashes in a row; what the registry answers for that is the platform's
    affair, so the fixture yields the platform's answer (Wine folds them into one and finds the key)."""
    host.reg_add("HKCU\\Software\\toolbar\\IE5", VISIBLE, "REG_SZ", "TRUE")
    try:
        yield probe_finds(host, "")
    finally:
        host.reg_delete("HKCU\\Software\\toolbar")


# ------------------------------------------------------------------------------------------------
# toolbar.ini: damaged contents. The settings read decide what the probe finds, so the outcome shows
# whether each line was read as the rules say.

MIB = 1 << 20


@dataclass(frozen=True)
class IniCase:
    content: bytes
    # Whether the file names the case's own toolbar key on line 3 (else the empty name's key).
    names_own_key: bool
    home_page: bool


# "{key}" in a content stands for the case's own toolbar key name.
def _lines(*lines: bytes) -> bytes:
    return b"".join(line + b"\r\n" for line in lines)


INI_CASES = {
    # Three empty settings: the empty name's key, and no pattern (an empty one never matches).
    "empty": IniCase(b"", names_own_key=False, home_page=False),
    # Pattern 1 is "z", read to the end of the file; it occurs in the start page.
    "one byte": IniCase(b"z", names_own_key=False, home_page=True),
    # A CR not followed by LF is dropped: one line of nothing, so three empty settings.
    "only CRs": IniCase(b"\r" * 64, names_own_key=False, home_page=False),
    # Line 1 is a MiB long and matches nothing; line 2 must still be read as pattern 2, line 3 as the key.
    "a 1 MiB line": IniCase(_lines(b"y" * MIB, PATTERN2.encode(), b"{key}"), names_own_key=True, home_page=True),
    # One line of NULs: a pattern of NULs never occurs in a start page, which ends at its first NUL.
    "only NUL bytes": IniCase(b"\0" * 1024, names_own_key=False, home_page=False),
    # The patterns keep their NULs and the bytes after them, so neither occurs (a search that stopped
    # at the NUL would find both).
    "NUL inside both patterns": IniCase(
        _lines(PATTERN1.encode() + b"\0tail", PATTERN2.encode() + b"\0tail", b"{key}"),
        names_own_key=True,
        home_page=False,
    ),
}


@pytest.mark.parametrize("case", INI_CASES)
def test_damaged_settings_file_is_read_by_the_rules(host, registry, launch, empty_name_key, case):
    row = INI_CASES[case]
    registry.apply(visible1="TRUE", start_page=BOTH_PATTERNS_PAGE)
    content = row.content.replace(b"{key}", registry.key_name.encode())
    folder = host.make_game_folder(ini=content)
    installed = True if row.names_own_key else empty_name_key

    check_outcome(host, launch, folder, Findings(installed, installed, row.home_page))


# The key name may come out anywhere in random bytes, but no key of that name exists and there is no
# start page, so the findings are known: nothing installed, no home page.
RANDOM_STREAMS = (1, 2)


@pytest.mark.parametrize("stream", RANDOM_STREAMS)
def test_random_binary_settings_file_shows_the_offer(host, registry, launch, stream):
    registry.apply()
    assert not probe_finds(host, ""), "a key for the empty name is left from elsewhere"
    folder = host.make_game_folder(ini=random.Random(stream).randbytes(16 * 1024))

    check_outcome(host, launch, folder, Findings(False, False, False))


def test_nul_inside_the_key_name_ends_the_name_there(host, registry, launch):
    # The registry takes key paths as NUL-terminated text, so "Software\NAME<NUL>junk\toolbar\IE5"
    # reaches it as "Software\NAME": that key exists (it holds toolbar\IE5) and has no "Visible",
    # which counts as visible.
    registry.apply(visible1="TRUE", start_page=OUR_PAGE)
    folder = host.make_game_folder(ini=ini_bytes(PATTERN1, PATTERN2, registry.key_name.encode() + b"\0junk"))

    check_outcome(host, launch, folder, Findings(True, True, True))


# ------------------------------------------------------------------------------------------------
# toolbar.ini removed between the existence check and the read.

@pytest.fixture(scope="module")
def vanishing_file_shim(tmp_path_factory) -> Path:
    """vanishing_file_shim.so, built from its source for this run (a Linux library, not a Windows one)."""
    if shutil.which("cc") is None:
        pytest.skip("no C compiler (cc) for the preload library")
    target = tmp_path_factory.mktemp("shim") / "vanishing_file_shim.so"
    subprocess.run(
        ["cc", "-shared", "-fPIC", "-O2", "-o", str(target), str(HERE / "vanishing_file_shim.c"), "-ldl"],
        check=True, capture_output=True,
    )
    return target


class VanishingFileHost(WineHost):
    """A session whose wineserver, which opens files for the programs, finds every file of one name
    gone, while the programs' own existence checks still see it (see vanishing_file_shim.c)."""

    def __init__(self, shim: Path, name: str):
        super().__init__()
        self._shim = shim
        self._name = name

    @property
    def env(self) -> dict[str, str]:
        env = super().env
        env["LD_PRELOAD"] = str(self._shim)
        env["VANISHING_FILE"] = self._name
        return env


def test_settings_file_gone_between_check_and_read_reports_file_not_found(vanishing_file_shim):
    with VanishingFileHost(vanishing_file_shim, INI) as own_host:
        state = Launch(own_host)
        folder = own_host.make_game_folder(ini=ini_bytes(PATTERN1, PATTERN2, "AnyName"))
        # The set-up itself: the file is there to a look, and gone to an open.
        assert (folder.path / INI).is_file()
        assert own_host.open_read_error(folder.path / INI) == 2
        run = state.start(folder)
        try:
            box = own_host.message_box(TITLE)
            assert box is not None, "no message box captioned with the application title"
            assert box["text"] == "File not found."
            assert [b["id"] for b in box["buttons"] if b["visible"]] == [IDOK]
            assert own_host.message_box(TITLE, wait_ms=0, press_ok=True) is not None

            window = own_host.wait_window(WINDOW_CLASS)
            assert_initial_look(window)
            own_host.close_window(window["hwnd"])
            seen = state.finish(run)
        finally:
            run.stop()

    assert len({s["hwnd"] for s in windows_of(seen, MESSAGE_BOX_CLASS)}) == 1
    assert not offer_look_seen(seen)
    assert folder.records() == [], "a program was started"


# ------------------------------------------------------------------------------------------------
# Registry values of the wrong type, empty, with a NUL inside, or very long.

@dataclass(frozen=True)
class ValueCase:
    name: str  # "Visible" or "Start Page"
    kind: int
    data: bytes
    findings: Findings
    pattern1: str = PATTERN1


def _text(value: str) -> bytes:
    return value.encode("latin-1") + b"\0"


# "Visible" at the first toolbar place, the start page holding pattern 1: a value of another type
# that holds data ends the probe there, leaving "visible" and "home page" false, so PLAY runs twice
# (a probe that went on would find the home page and run once).
VISIBLE_CASES = {
    "REG_DWORD 0": ValueCase(VISIBLE, REG_DWORD, struct.pack("<I", 0), Findings(True, False, False)),
    "REG_MULTI_SZ": ValueCase(VISIBLE, REG_MULTI_SZ, b"FALSE\0\0", Findings(True, False, False)),
    "REG_BINARY": ValueCase(VISIBLE, REG_BINARY, b"TRUE", Findings(True, False, False)),
    # A value without data reads as the empty text, whatever its type: not "FALSE", so visible.
    "REG_SZ empty text": ValueCase(VISIBLE, REG_SZ, b"\0", Findings(True, True, True)),
    "REG_BINARY without data": ValueCase(VISIBLE, REG_BINARY, b"", Findings(True, True, True)),
    "REG_EXPAND_SZ FALSE": ValueCase(VISIBLE, REG_EXPAND_SZ, _text("FALSE"), Findings(True, False, True)),
    # The text ends at the first NUL.
    "FALSE, NUL, more": ValueCase(VISIBLE, REG_SZ, b"FALSE\0TRUE\0", Findings(True, False, True)),
    # 64 KiB that begin with FALSE are not the text FALSE.
    "64 KiB": ValueCase(VISIBLE, REG_SZ, _text("FALSE" * (64 * 1024 // 5 + 1)), Findings(True, True, True)),
}

# "Start Page", the toolbar installed and visible: a value of another type ends the probe before the
# home page is written, even when its bytes hold pattern 1.
START_PAGE_CASES = {
    "REG_DWORD spelling pattern 1": ValueCase(
        START_PAGE, REG_DWORD, b"abcd", Findings(True, True, False), pattern1="abcd"
    ),
    "REG_MULTI_SZ": ValueCase(START_PAGE, REG_MULTI_SZ, _text(OUR_PAGE) + b"\0", Findings(True, True, False)),
    "REG_BINARY": ValueCase(START_PAGE, REG_BINARY, OUR_PAGE.encode(), Findings(True, True, False)),
    "REG_SZ empty text": ValueCase(START_PAGE, REG_SZ, b"\0", Findings(True, True, False)),
    "REG_BINARY without data": ValueCase(START_PAGE, REG_BINARY, b"", Findings(True, True, False)),
    # The text ends at the first NUL: the pattern after it is not seen, the one before it is.
    "pattern after a NUL": ValueCase(
        START_PAGE, REG_SZ, _text(OTHER_PAGE) + _text(OUR_PAGE), Findings(True, True, False)
    ),
    "pattern before a NUL": ValueCase(START_PAGE, REG_SZ, _text(OUR_PAGE) + b"junk\0", Findings(True, True, True)),
    # The pattern lies past the first 64 KiB: the whole text is searched.
    "64 KiB, pattern at the end": ValueCase(
        START_PAGE, REG_SZ, _text("x" * 64 * 1024 + OUR_PAGE), Findings(True, True, True)
    ),
}

VALUE_CASES = {f"{c.name}: {label}": c for cases in (VISIBLE_CASES, START_PAGE_CASES) for label, c in cases.items()}


def set_value(host: WineHost, key: str, name: str, kind: int, data: bytes) -> None:
    """The value with exactly these bytes. Long texts go through `reg import`, since wintool takes the
    bytes on its command line, which Windows limits to 32 K characters."""
    if len(data) > 8000:
        text = data.decode("latin-1")
        assert kind == REG_SZ and text.endswith("\0") and "\0" not in text[:-1], "only long plain texts"
        escaped = text[:-1].replace("\\", "\\\\").replace('"', '\\"')
        host.reg_import(f"[{key.replace('HKCU', 'HKEY_CURRENT_USER', 1)}]\n\"{name}\"=\"{escaped}\"\n")
    else:
        host.reg_set_bytes(key, name, kind, data)
    assert host.reg_value(key, name)[0] == kind


@pytest.mark.parametrize("case", VALUE_CASES)
def test_odd_registry_values_give_the_findings_of_the_rules(host, registry, launch, case):
    row = VALUE_CASES[case]
    registry.apply(visible1="TRUE", start_page=OUR_PAGE)
    key = registry.toolbar_key(1) if row.name == VISIBLE else IE_MAIN
    set_value(host, key, row.name, row.kind, row.data)
    folder = host.make_game_folder(ini=registry.ini(pattern1=row.pattern1))

    check_outcome(host, launch, folder, row.findings)


# ------------------------------------------------------------------------------------------------
# ToolbarKeyName: empty, with backslashes, 300 bytes long, with bytes above 127.

def test_empty_key_name_follows_the_registrys_answer(host, registry, launch, empty_name_key):
    registry.apply(start_page=OUR_PAGE)
    folder = host.make_game_folder(ini=ini_bytes(PATTERN1, PATTERN2, ""))

    check_outcome(host, launch, folder, Findings(empty_name_key, empty_name_key, True))


def _inner(key: str) -> str:
    return f"{key}\\Inner\\Deeper"


def _long_single(key: str) -> str:
    # One path component of 300 bytes: longer than a registry key name may be (255), so no such key
    # can exist.
    return key + "x" * (300 - len(key))


def _long_in_parts(key: str) -> str:
    # 300 bytes in components of 100, which can exist.
    name = key
    while len(name) < 300:
        name += "\\" + "p" * min(99, 300 - len(name) - 1)
    return name


# How the name is made from the case's own key name, and whether the key is made at that path.
KEY_NAMES = {
    "with backslashes": (_inner, True),
    "300 bytes, one component": (_long_single, False),
    "300 bytes, several components": (_long_in_parts, True),
}


@pytest.mark.parametrize("case", KEY_NAMES)
def test_key_name_goes_into_the_key_paths_unchanged(host, registry, launch, case):
    make_name, create = KEY_NAMES[case]
    name = make_name(registry.key_name)
    registry.apply(start_page=OUR_PAGE)
    if create:
        import_toolbar_key(host, name)
        assert host.run(["reg", "query", f"HKCU\\Software\\{name}\\toolbar\\IE5"]).returncode == 0
    # The platform's answer decides. Wine's ANSI registry functions answer 234 (more data) for a key
    # path of more than about 260 characters, so there a 300-byte name is not found even where its key
    # exists; the launcher must act on that answer like on any other.
    installed = probe_finds(host, name)
    folder = host.make_game_folder(ini=ini_bytes(PATTERN1, PATTERN2, name))

    check_outcome(host, launch, folder, Findings(installed, installed, True))


def test_key_name_with_bytes_above_127_is_taken_as_ansi_bytes(host, registry, launch):
    # The bytes are the key name in the system's ANSI code page, byte for byte; the key is made under
    # the same name decoded with that code page.
    codec = ansi_code_page(host)
    name = registry.key_name + "\\Zorbal" + bytes([0xE9, 0xFC, 0xDF, 0xC6]).decode("latin-1")
    registry.apply(start_page=OUR_PAGE)
    import_toolbar_key(host, name, codec)
    folder = host.make_game_folder(ini=ini_bytes(PATTERN1, PATTERN2, name.encode("latin-1")))

    check_outcome(host, launch, folder, Findings(True, True, True))


# ------------------------------------------------------------------------------------------------
# game.exe missing or not a program: nothing is reported, the launcher ends all the same.

NOT_A_PROGRAM = b"This is not a program.\r\n"

# (game.exe present as a text file?, straight to the game?)
GAME_CASES = {
    "missing, after PLAY": (False, False),
    "not a program, straight": (True, True),
    "not a program, after PLAY": (True, False),
}


@pytest.mark.parametrize("case", GAME_CASES)
def test_game_that_cannot_start_is_not_reported(host, registry, launch, case):
    text_file, straight = GAME_CASES[case]
    registry.apply(visible1="TRUE", start_page=OUR_PAGE if straight else OTHER_PAGE)
    folder = host.make_game_folder(ini=registry.ini(), game=False)
    if text_file:
        folder.write(GAME_EXE, NOT_A_PROGRAM)
    run = launch.start(folder)
    if not straight:
        launch.click_play(launch.offer())
    seen = launch.finish(run)

    records = settled_records(host, folder)
    assert of(records, GAME_EXE, "start") == []
    assert [r["cmdline"] for r in of(records, SETUP_EXE, "start")] == [SETUP_COMMAND_LINE] * int(not straight)
    assert offer_look_seen(seen) == (not straight)
    assert_no_message_anywhere(host, seen)


# ------------------------------------------------------------------------------------------------
# The installer: not a program, replaced by a directory, crashing, leaving a grandchild behind.

def _installer_not_a_program(folder: GameFolder) -> None:
    folder.write(SETUP_EXE, NOT_A_PROGRAM)


def _installer_made_a_directory(folder: GameFolder) -> None:
    folder.make_dir(SETUP_EXE)


# What is done to ToolbarSetup.exe, and whether before the start (else after the offer showed).
UNRUNNABLE_INSTALLERS = {
    "not a program": (_installer_not_a_program, True),
    "replaced by a directory before PLAY": (_installer_made_a_directory, False),
}


@pytest.mark.parametrize("case", UNRUNNABLE_INSTALLERS)
def test_installer_that_cannot_run_is_skipped_silently(host, registry, launch, case):
    spoil, before_start = UNRUNNABLE_INSTALLERS[case]
    registry.apply(visible1="FALSE", start_page=OTHER_PAGE)  # two runs due
    folder = host.make_game_folder(ini=registry.ini())
    if before_start:
        spoil(folder)
    run = launch.start(folder)
    window = launch.offer()
    if not before_start:
        spoil(folder)
    launch.click_play(window)
    seen = launch.finish(run)

    records = settled_records(host, folder)
    assert of(records, SETUP_EXE, "start") == []
    assert [r["ppid"] for r in of(records, GAME_EXE, "start")] == [seen["pid"]]
    assert_no_message_anywhere(host, seen)


def bad_installer_folder(host: WineHost, registry, mode: str) -> GameFolder:
    folder = host.make_game_folder(ini=registry.ini())
    shutil.copy2(host.build_dir / "bad_installer.exe", folder.path / SETUP_EXE)
    folder.write("ToolbarSetup.mode", mode.encode())
    return folder


@pytest.fixture
def crash_handler_settled(host, registry) -> None:
    """Wine's crash handler runs in a console of its own, and the first console of a prefix writes its
    defaults under HKCU\\Console. One crash outside the launcher's run puts them there before the run's
    registry snapshot, so that snapshot still shows everything the launcher itself might change."""
    folder = bad_installer_folder(host, registry, "crash")
    host.run([folder.path / SETUP_EXE], cwd=folder.path)
    assert [r["mode"] for r in folder.records()] == ["crash"]
    # The handler's console settles a moment after the crashed program has gone.
    deadline = time.monotonic() + 10
    while host.processes("winedbg.exe") or host.processes("conhost.exe"):
        assert time.monotonic() < deadline, "Wine's crash handler did not end"
        time.sleep(0.1)


def test_crashing_installer_runs_change_no_step(host, registry, launch, crash_handler_settled):
    registry.apply(visible1="FALSE", start_page=OTHER_PAGE)  # two runs due
    folder = bad_installer_folder(host, registry, "crash")
    run = launch.start(folder)
    launch.click_play(launch.offer())
    seen = launch.finish(run)

    records = settled_records(host, folder)
    starts = of(records, SETUP_EXE, "start")
    assert [(s["mode"], s["ppid"], s["cmdline"]) for s in starts] == [("crash", seen["pid"], SETUP_COMMAND_LINE)] * 2
    game = of(records, GAME_EXE, "start")
    assert [g["ppid"] for g in game] == [seen["pid"]]
    assert starts[1]["time_ms"] <= game[0]["time_ms"]
    # Each run was awaited to its crash: neither runs any more, and no crash report is left on screen.
    assert [p for p in host.processes() if p["pid"] in {s["pid"] for s in starts}] == []
    assert_no_message_anywhere(host, seen)


def test_installer_that_leaves_a_grandchild_is_awaited_alone(host, registry, launch):
    registry.apply(start_page=OUR_PAGE)  # not installed: one run
    folder = bad_installer_folder(host, registry, "grandchild")
    shutil.copy2(host.recorder_exe, folder.path / "grandchild.exe")
    folder.set_sleep("grandchild.exe", "forever")
    try:
        run = launch.start(folder)
        launch.click_play(launch.offer())
        seen = launch.finish(run)

        records = settled_records(host, folder)
        (setup,) = of(records, SETUP_EXE, "start")
        (grandchild,) = of(records, "grandchild.exe", "start")
        (game,) = of(records, GAME_EXE, "start")
        assert setup["ppid"] == game["ppid"] == seen["pid"]
        assert grandchild["ppid"] == setup["pid"]
        # The launcher went on when its child ended, and left the grandchild alone: it still runs.
        assert [p["pid"] for p in host.processes("grandchild.exe")] == [grandchild["pid"]]
        assert_no_message_anywhere(host, seen)
    finally:
        host.kill_processes("grandchild.exe")


# ------------------------------------------------------------------------------------------------
# Another program closes the window while the I/O error box is up.

def test_main_window_closed_while_the_error_box_is_up_ends_the_run(host, registry, launch):
    registry.all_set()
    folder = host.make_game_folder(ini=registry.ini())
    with host.hold_file(folder.path / INI):
        run = launch.start(folder)
        box = host.message_box(TITLE)
        assert box is not None and box["text"] == "I/O error 32."
        host.close_window(box["owner"])
        seen = launch.finish(run)

    assert len({s["hwnd"] for s in windows_of(seen, MESSAGE_BOX_CLASS)}) == 1
    assert not offer_look_seen(seen)
    assert folder.records() == []
    assert companions_running(host) == []


def test_error_box_closed_by_another_program_leads_to_the_initial_look(host, registry, launch):
    registry.all_set()
    folder = host.make_game_folder(ini=registry.ini())
    with host.hold_file(folder.path / INI):
        run = launch.start(folder)
        box = host.message_box(TITLE)
        assert box is not None
        host.close_window(box["hwnd"])

        window = host.wait_window(WINDOW_CLASS)
        assert_initial_look(window)
        assert host.message_box(TITLE, wait_ms=0) is None
        host.close_window(window["hwnd"])
        seen = launch.finish(run)

    assert len({s["hwnd"] for s in windows_of(seen, MESSAGE_BOX_CLASS)}) == 1
    assert folder.records() == []
