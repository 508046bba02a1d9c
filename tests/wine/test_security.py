"""Security checks of the real launcher.exe: what it links to, what it asks Windows for, what it
leaves behind, and which DLLs it can be made to load.

- Its import table names only system DLLs (objdump), and it has no delay-loaded imports.
- Its embedded manifest asks to run as the invoking user (asInvoker), never elevated.
- On every path it writes no file and changes no registry value.
- A DLL planted in the game folder is not loaded: comctl32.dll, the one import that Windows does not
  take from its list of known system DLLs, is bound to the side-by-side assembly by the manifest; and
  the searches by name that the process makes after entry cover only the system folder
  (SetDefaultDllDirectories at entry). Why no other planted name makes a meaningful test under Wine
  is in docs/security.md.
"""

from __future__ import annotations

import contextlib
import os
import re
import shutil
import subprocess
import time
import xml.etree.ElementTree as ET
from pathlib import Path

import pytest

from launcher_case import GAME_EXE, INI, PATTERN1, SETUP_EXE, TITLE, WINDOW_CLASS
from winehost import DEFAULT_BUILD_DIR, WINE_ENV, GameFolder, WineHost, to_windows_path

LAUNCHERS = {
    "x86_64": (DEFAULT_BUILD_DIR / "launcher.exe", "x86_64-w64-mingw32-objdump"),
    "i686": (DEFAULT_BUILD_DIR.parent / "windows-i686" / "launcher.exe", "i686-w64-mingw32-objdump"),
}

# The system's own DLLs that the launcher may link to. Each is in the system folder of every Windows
# the launcher runs on; all but comctl32 are on the system's list of known DLLs, which the loader
# never looks for anywhere else, and comctl32 comes from the side-by-side store through the manifest.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll", "comctl32.dll", "msvcrt.dll"}

LAUNCHER_EXE = "launcher.exe"
MESSAGE_BOX_CLASS = "#32770"
SETUP_COMMAND_LINE = "ToolbarSetup.exe /s -silent"
# Centres of the controls in client coordinates (the form's description places them).
PLAY_CENTRE = (339 + 146 // 2, 205 + 64 // 2)
CANCEL_CENTRE = (339 + 146 // 2, 281 + 64 // 2)
LINK_CENTRES = ((8 + 65 // 2, 358 + 13 // 2), (95 + 25 // 2, 358 + 13 // 2))  # privacy policy, licence

OUR_PAGE = f"http://{PATTERN1}/"
OTHER_PAGE = "http://www.example.org/"


def built(arch: str) -> Path:
    exe, _ = LAUNCHERS[arch]
    if not exe.exists():
        pytest.skip(f"{exe} is not built")
    return exe


# ------------------------------------------------------------------------------------------------
# Imports

def pe_imports(exe: Path, objdump: str) -> tuple[list[str], int]:
    """The DLL names of the import table, and the size of the delay-import directory."""
    if shutil.which(objdump) is None:
        pytest.skip(f"{objdump} is not installed")
    text = subprocess.run([objdump, "-p", str(exe)], check=True, capture_output=True, text=True).stdout
    names = re.findall(r"^\s*DLL Name: (\S+)\s*$", text, flags=re.MULTILINE)
    delay = re.search(r"^Entry d \S+ ([0-9a-fA-F]+) Delay Import Directory", text, flags=re.MULTILINE)
    assert delay is not None, "objdump showed no data directory"
    return names, int(delay.group(1), 16)


@pytest.mark.parametrize("arch", LAUNCHERS)
def test_launcher_imports_only_system_dlls(arch):
    names, delay_size = pe_imports(built(arch), LAUNCHERS[arch][1])

    assert "kernel32.dll" in {n.lower() for n in names}, f"the import table was not read: {names}"
    assert {n.lower() for n in names} <= SYSTEM_DLLS, f"imports beyond the system DLLs: {names}"
    assert delay_size == 0, "delay-loaded imports would be looked for at run time"


# ------------------------------------------------------------------------------------------------
# Manifest

ASM_V1 = "urn:schemas-microsoft-com:asm.v1"


def local(tag: str) -> str:
    return tag.rsplit("}", 1)[-1]


def embedded_manifest(host: WineHost, exe: Path) -> ET.Element:
    """The manifest Windows applies when it starts `exe`: its resource RT_MANIFEST #1."""
    result = host.wintool("manifest", to_windows_path(exe))
    assert result.returncode == 0, f"no manifest resource in {exe.name}: {result.stdout}"
    return ET.fromstring(bytes.fromhex(result.value["hex"]))


@pytest.mark.parametrize("arch", LAUNCHERS)
def test_manifest_asks_to_run_as_the_invoking_user(host, arch):
    manifest = embedded_manifest(host, built(arch))

    levels = [e for e in manifest.iter() if local(e.tag) == "requestedExecutionLevel"]
    assert len(levels) == 1, "exactly one requested execution level"
    assert levels[0].get("level") == "asInvoker"
    assert levels[0].get("uiAccess", "false") == "false"


@pytest.mark.parametrize("arch", LAUNCHERS)
def test_manifest_binds_common_controls_to_the_side_by_side_assembly(host, arch):
    manifest = embedded_manifest(host, built(arch))

    dependencies = [
        e for e in manifest.iter()
        if local(e.tag) == "assemblyIdentity" and e.get("name") == "Microsoft.Windows.Common-Controls"
    ]
    assert [(d.get("version"), d.get("publicKeyToken")) for d in dependencies] == [("6.0.0.0", "6595b64144ccf1df")]


# ------------------------------------------------------------------------------------------------
# Driving the launcher along each path

class Journey:
    """What a user does to the launcher's window: clicks at client coordinates, waits for the window."""

    def __init__(self, host: WineHost):
        self.host = host

    def click(self, window: dict, point: tuple[int, int]) -> None:
        x, y = window["client_origin"][0] + point[0], window["client_origin"][1] + point[1]
        self.host.xdotool("mousemove", str(x), str(y), "click", "1")

    def offer(self) -> dict:
        return self.host.wait_window(WINDOW_CLASS, process=LAUNCHER_EXE)


def _straight(journey: Journey) -> None:
    pass


def _cancel(journey: Journey) -> None:
    journey.click(journey.offer(), CANCEL_CENTRE)


def _links_then_play(journey: Journey) -> None:
    window = journey.offer()
    for link in LINK_CENTRES:
        journey.click(window, link)
    journey.click(window, PLAY_CENTRE)


def _error_box_then_close(journey: Journey) -> None:
    assert journey.host.message_box(TITLE, press_ok=True) is not None
    journey.host.close_window(journey.offer()["hwnd"])


# Registry state (arguments of LauncherRegistry.apply), whether toolbar.ini is held open for writing,
# and what the user does.
PATHS = {
    "straight to the game": (dict(visible1="TRUE", start_page=OUR_PAGE), False, _straight),
    "offer, CANCEL": (dict(start_page=OUR_PAGE), False, _cancel),
    "offer, both links, PLAY with two runs": (dict(visible1="FALSE", start_page=OTHER_PAGE), False, _links_then_play),
    "I/O error box, then closed": (dict(visible1="TRUE", start_page=OUR_PAGE), True, _error_box_then_close),
}


def travel(host: WineHost, folder: GameFolder, path: str, env: dict | None = None) -> dict:
    """Runs the launcher in `folder` along `path` to its end (the registry state of the path already
    set); returns what the watcher saw."""
    _, hold, act = PATHS[path]
    journey = Journey(host)
    with host.hold_file(folder.path / INI) if hold else contextlib.nullcontext():
        run = folder.run_launcher(env=env)
        try:
            act(journey)
            assert run.wait(30) == 0
            seen = run.watch_result()
        finally:
            run.stop()
    assert seen["exit"] == 0
    return seen


def wait_for_companions(host: WineHost, timeout: float = 10) -> None:
    names = {GAME_EXE.lower(), SETUP_EXE.lower(), "winebrowser.exe"}
    deadline = time.monotonic() + timeout
    while [p for p in host.processes() if p["exe"].lower() in names]:
        assert time.monotonic() < deadline, "a program the launcher started is still running"
        time.sleep(0.05)


# ------------------------------------------------------------------------------------------------
# Nothing written

# Left out of the file comparison: the harness's own output, and the wineserver's copies of the
# registry hives, which it rewrites on its own schedule (the registry is compared key by key instead).
NOT_FILES_OF_INTEREST = ("output", "system.reg", "user.reg", "userdef.reg")


def files_under(root: Path) -> dict[str, tuple]:
    """Every file and folder under root: files by size and modification time, folders by presence."""
    found = {}
    for folder, dirs, files in os.walk(root):
        rel = os.path.relpath(folder, root)
        if rel == ".":
            dirs[:] = [d for d in dirs if d not in NOT_FILES_OF_INTEREST]
            files = [f for f in files if f not in NOT_FILES_OF_INTEREST]
        for name in dirs:
            found[os.path.join(rel, name)] = ("dir",)
        for name in files:
            try:
                info = os.lstat(os.path.join(folder, name))
            except FileNotFoundError:
                continue
            found[os.path.join(rel, name)] = (info.st_size, info.st_mtime_ns)
    return found


@pytest.mark.parametrize("path", PATHS)
def test_launcher_writes_no_file_and_no_registry_value(host, registry, path):
    folder = host.make_game_folder(ini=registry.ini())
    log = os.path.relpath(folder.path / GameFolder.LOG, host.prefix)
    machine_wide = path == "offer, both links, PLAY with two runs"  # an export of HKLM takes seconds
    state, _, _ = PATHS[path]
    registry.apply(**state)
    files_before, user_before = files_under(host.prefix), host.reg_snapshot()
    machine_before = host.reg_export("HKLM\\Software") if machine_wide else None

    travel(host, folder, path)
    wait_for_companions(host)

    files_after = files_under(host.prefix)
    # The stand-ins for the game and the installer write their log; nothing else may appear or change.
    names = files_before.keys() | files_after.keys()
    changed = {name for name in names if files_before.get(name) != files_after.get(name)}
    assert changed <= {log}, f"files written: {sorted(changed)}"
    assert all(r["exe"] in (GAME_EXE, SETUP_EXE) for r in folder.records())
    assert host.reg_snapshot() == user_before, "the launcher changed HKEY_CURRENT_USER"
    if machine_wide:
        assert host.reg_export("HKLM\\Software") == machine_before, "the launcher changed HKEY_LOCAL_MACHINE"


# ------------------------------------------------------------------------------------------------
# Planted DLLs

PLANTED_LOG = "planted.log"


def plant(host: WineHost, folder: GameFolder, dll: str) -> dict[str, str]:
    """Copies planted.dll into the folder as `dll`; returns the environment that makes Wine take a
    DLL of that name from the search path before its own built-in one (without it Wine would load its
    built-in DLL whatever lies in the folder, and no placement could be seen)."""
    shutil.copy2(host.build_dir / "planted.dll", folder.path / dll)
    return {"WINEDLLOVERRIDES": f"{WINE_ENV['WINEDLLOVERRIDES']};{Path(dll).stem}=n,b"}


def loads_seen(folder: GameFolder) -> list[tuple[str, str]]:
    """(program, DLL) for every load of the planted DLL so far, with Windows paths."""
    log = folder.path / PLANTED_LOG
    if not log.exists():
        return []
    return [tuple(line.split("|", 1)) for line in log.read_bytes().decode("latin-1").splitlines() if line]


@pytest.mark.parametrize("restricted", [False, True], ids=["ordinary search", "system folder only"])
def test_planted_dll_is_loaded_by_a_program_whose_search_reaches_the_folder(host, registry, restricted):
    # The control: the same planted file, the same override, a program in the same folder. The
    # ordinary search loads it, which shows the set-up can see a load; restricted as the launcher
    # restricts its own searches at entry, the same request gets the system's DLL.
    folder = host.make_game_folder(ini=registry.ini())
    env = plant(host, folder, "comctl32.dll")
    control = folder.path / "wintool.exe"
    shutil.copy2(host.wintool_exe, control)

    result = host.run([control, "loadlib", "comctl32.dll", *(["--restrict"] if restricted else [])],
                      cwd=folder.path, env=env)

    assert result.returncode == 0, result.stdout
    planted = to_windows_path(folder.path / "comctl32.dll")
    loaded = result.stdout.decode("latin-1").split("path=", 1)[-1].strip()
    if restricted:
        assert loaded.lower() != planted.lower()
        assert loads_seen(folder) == []
    else:
        assert loaded.lower() == planted.lower()
        assert loads_seen(folder) == [(to_windows_path(control), planted)]


def test_launcher_does_not_load_a_planted_comctl32(host, registry):
    folder = host.make_game_folder(ini=registry.ini())
    env = plant(host, folder, "comctl32.dll")

    path = "offer, both links, PLAY with two runs"
    registry.apply(**PATHS[path][0])
    try:
        seen = travel(host, folder, path, env=env)
        wait_for_companions(host)
    finally:
        # Looked at first: a launcher that took the planted DLL fails here rather than by what the DLL
        # then did to it (it has none of the real one's functions).
        loaded_by_launcher = [dll for program, dll in loads_seen(folder) if program.lower().endswith(LAUNCHER_EXE)]
        assert loaded_by_launcher == [], "the launcher loaded the planted DLL"

    assert [r["cmdline"] for r in folder.starts(SETUP_EXE)] == [SETUP_COMMAND_LINE] * 2
    assert [r["ppid"] for r in folder.starts(GAME_EXE)] == [seen["pid"]]


def test_dll_searches_after_entry_cover_only_the_system_folder(host, registry, tmp_path):
    """Wine's loader traces each search by name with the folders it searches. The launcher's first own
    picture lookup marks the point after its entry, when the search has been restricted; every search
    its process makes from there on must cover the system folder and nothing else."""
    registry.apply(visible1="FALSE", start_page=OTHER_PAGE)
    folder = host.make_game_folder(ini=registry.ini())
    trace = tmp_path / "loader.trace"
    env = host.env
    env["WINEDEBUG"] = "+pid,+module"
    windir = host.run(["cmd", "/c", "echo %windir%"], check=True).stdout.decode("latin-1").strip()
    system_folder = windir + "\\system32"

    with open(trace, "wb") as err:
        proc = subprocess.Popen(["wine", str(folder.launcher)], cwd=folder.path, env=env,
                                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=err)
        try:
            journey = Journey(host)
            journey.click(journey.offer(), PLAY_CENTRE)
            assert proc.wait(30) == 0
        finally:
            if proc.poll() is None:
                proc.kill()
    wait_for_companions(host)

    launcher_pid = folder.starts(GAME_EXE)[0]["ppid"]
    prefix = f"{launcher_pid:04x}:"
    lines = [line for line in trace.read_bytes().decode("latin-1").splitlines() if line.startswith(prefix)]
    entry = next((i for i, line in enumerate(lines) if 'FindResourceExW' in line and 'L"BACKGROUND"' in line), None)
    assert entry is not None, "the launcher's first picture lookup is not in the trace"
    searches = [
        (m.group(1), m.group(2).replace("\\\\", "\\"))
        for m in (re.search(r'load_dll looking for L"([^"]*)" in L"([^"]*)"', line) for line in lines[entry:])
        if m
    ]
    assert searches, "no search by name after entry: nothing to check"
    for name, folders in searches:
        assert [f.rstrip("\\").lower() for f in folders.split(";") if f] == [system_folder.lower()], (name, folders)
