"""One Wine test session: a private display, a private Wine prefix and the helpers that drive them.

A `WineHost` starts an X server on a free display (an Xvfb screen, or Xorg's dummy driver for several
monitors), makes a private WINEPREFIX under the Windows build folder (copied from a template prefix
that is made once), keeps one persistent wineserver for the session, and at the end stops exactly
what it started: `wineserver -k` for its own prefix and the X server by its own process id.

On top of that it offers what the end-to-end tests, the demo script and later tests need:
game folders with the launcher and the recorder stand-ins, background runs with a time-out, the
recorder's log, the registry (`wine reg` and `wintool.exe`), window inspection, screenshots and
real pointer and keyboard input through xdotool.

Texts that come back from Windows programs are ANSI bytes; they are decoded as Latin-1 so that each
byte is one character and nothing is lost.
"""

from __future__ import annotations

import contextlib
import fcntl
import json
import os
import shutil
import signal
import subprocess
import tempfile
import time
from dataclasses import dataclass, field
from pathlib import Path
from typing import Any, Iterable, Iterator, Mapping, Sequence

REPO_ROOT = Path(__file__).resolve().parents[2]
DEFAULT_BUILD_DIR = REPO_ROOT / "build" / "windows"

# Window styles the tests look at (winuser.h).
WS_POPUP = 0x80000000
WS_VISIBLE = 0x10000000
WS_CAPTION = 0x00C00000
WS_BORDER = 0x00800000
WS_DLGFRAME = 0x00400000
WS_SYSMENU = 0x00080000
WS_THICKFRAME = 0x00040000
WS_MINIMIZEBOX = 0x00020000
WS_MAXIMIZEBOX = 0x00010000
WS_EX_DLGMODALFRAME = 0x00000001
WS_EX_LAYERED = 0x00080000
LWA_COLORKEY = 0x1
LWA_ALPHA = 0x2
SS_ICON = 0x3
SS_TYPEMASK = 0x1F
IDOK = 1

# Registry access masks.
KEY_ALL_ACCESS = 0xF003F
KEY_READ_NO_NOTIFY = 0x20009  # STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS

WINE_ENV = {
    "WINEDEBUG": "-all",
    # No .NET or Gecko installers, no desktop menu entries: each would cost seconds and change nothing.
    "WINEDLLOVERRIDES": "mscoree,mshtml=;winemenubuilder.exe=d",
}

# Set once in the template prefix, so every session starts from them.
TEMPLATE_REGISTRY = (
    # Without a window manager, the default (managed) mode makes DestroyWindow take 2 s and leaves the
    # caption undrawn; unmanaged, the X window is the whole Win32 window.
    ("HKCU\\Software\\Wine\\X11 Driver", "Managed", "REG_SZ", "N"),
    # A crashing program must end, not wait for someone to close a dialog.
    ("HKCU\\Software\\Wine\\WineDbg", "ShowCrashDialog", "REG_DWORD", "0"),
)


# Keys Wine itself writes while programs run, whatever they do: user32 keeps system parameters it
# learns from X (the mouse settings, for one) under this key the first time it needs them.
VOLATILE_KEYS = ("HKCU\\Software\\Wine\\Temporary System Parameters",)


class WineError(RuntimeError):
    """A Wine, Xvfb or helper command failed in a way the harness cannot go on from."""


def to_windows_path(path: os.PathLike | str) -> str:
    """The Windows name of a Unix path through Wine's Z: drive (Z: maps to /)."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def rect_size(rect: Sequence[int]) -> tuple[int, int]:
    left, top, right, bottom = rect
    return right - left, bottom - top


@dataclass
class ToolResult:
    """What a wintool.exe run printed. `value` is its JSON (or key=value pairs as a dict)."""

    returncode: int
    stdout: str
    stderr: str
    value: Any = None


class WineProcess:
    """A Windows program started in the background through `wine`. Owns the Unix process.

    Its stdout goes to a file, not a pipe: Wine's own background processes (services, the desktop
    process) may inherit the descriptors of the program that woke them and keep a pipe open for the
    rest of the session, so reading a pipe to its end could wait forever."""

    def __init__(self, popen: subprocess.Popen, name: str, output: Path):
        self.popen = popen
        self.name = name
        self.output = output
        self._read = 0

    @property
    def running(self) -> bool:
        return self.popen.poll() is None

    def wait(self, timeout: float) -> int:
        """The program's exit code; raises subprocess.TimeoutExpired when it runs longer."""
        return self.popen.wait(timeout=timeout)

    def kill(self) -> None:
        """Ends the program if it still runs (the Windows process dies with its Unix process)."""
        if self.popen.poll() is None:
            self.popen.kill()
            with contextlib.suppress(subprocess.TimeoutExpired):
                self.popen.wait(timeout=10)

    def stdout(self) -> str:
        """Everything the program printed so far."""
        return self.output.read_bytes().decode("latin-1") if self.output.exists() else ""

    def read_line(self, timeout: float = 20) -> str:
        """The next whole line the program prints (without its end), waiting up to `timeout`;
        raises WineError when none comes or the program ends first."""
        deadline = time.monotonic() + timeout
        while True:
            data = self.output.read_bytes() if self.output.exists() else b""
            end = data.find(b"\n", self._read)
            if end >= 0:
                line = data[self._read:end].decode("latin-1").rstrip("\r")
                self._read = end + 1
                return line
            if self.popen.poll() is not None or time.monotonic() > deadline:
                # One last look: the line may have come just before the end.
                data = self.output.read_bytes() if self.output.exists() else b""
                if data.find(b"\n", self._read) >= 0:
                    continue
                raise WineError(f"{self.name} printed no further line: {data[self._read:]!r}")
            time.sleep(0.01)


class Watcher:
    """wintool's `watch`: samples the windows of one process from its start to its end.

    Started before the program it watches; `result()` gives the distinct window states it saw
    (hwnd, class, visible, masked style and ex-style, rect), the process's exit code, and whether
    the process was seen at all.
    """

    def __init__(self, host: "WineHost", process: str, classes: Iterable[str], timeout_ms: int):
        args = ["watch", "--process", process, "--timeout", str(timeout_ms)]
        for cls in classes:
            args += ["--class", cls]
        self._proc = host.spawn_tool(*args)
        line = self._proc.read_line()
        if line != "ready":
            self._proc.kill()
            raise WineError(f"wintool watch did not start: {line!r}")
        self._timeout = timeout_ms / 1000 + 10

    def result(self) -> dict:
        try:
            self._proc.wait(self._timeout)
        finally:
            self._proc.kill()
        lines = self._proc.stdout().splitlines()
        return json.loads(lines[-1])

    def stop(self) -> None:
        self._proc.kill()


@dataclass
class LauncherRun:
    """One background run of launcher.exe (or any program) in a game folder."""

    process: WineProcess
    watcher: Watcher | None = None
    _watch_result: dict | None = field(default=None, init=False)

    def wait(self, timeout: float = 20) -> int:
        """Waits for the run to end and returns its exit code (TimeoutExpired if it does not end)."""
        return self.process.wait(timeout)

    def watch_result(self) -> dict:
        """The watcher's findings; only after the process has ended (see Watcher)."""
        if self.watcher is None:
            raise WineError("this run was started without a watcher")
        if self._watch_result is None:
            self._watch_result = self.watcher.result()
        return self._watch_result

    def stop(self) -> None:
        """Ends whatever of the run is still going (for clean-up after a failed test)."""
        self.process.kill()
        if self.watcher is not None:
            self.watcher.stop()


class GameFolder:
    """A folder shaped like a game's: launcher.exe, game.exe, ToolbarSetup.exe and toolbar.ini.

    game.exe and ToolbarSetup.exe are copies of recorder.exe; both append to `record.log` here.
    """

    LOG = "record.log"

    def __init__(self, host: "WineHost", path: Path):
        self.host = host
        self.path = path

    @property
    def windows_path(self) -> str:
        return to_windows_path(self.path)

    @property
    def launcher(self) -> Path:
        return self.path / "launcher.exe"

    def write(self, name: str, data: bytes) -> Path:
        target = self.path / name
        target.write_bytes(data)
        return target

    def remove(self, name: str) -> None:
        target = self.path / name
        if target.is_dir():
            shutil.rmtree(target)
        elif target.exists():
            target.unlink()

    def make_dir(self, name: str) -> Path:
        """Replaces `name` with an empty directory of that name."""
        self.remove(name)
        target = self.path / name
        target.mkdir()
        return target

    def set_sleep(self, exe: str, milliseconds: int | str) -> None:
        """How long the recorder copy named `exe` runs: milliseconds or "forever"."""
        self.write(Path(exe).stem + ".sleep", str(milliseconds).encode())

    def set_exit(self, exe: str, code: int) -> None:
        self.write(Path(exe).stem + ".exit", str(code).encode())

    def records(self) -> list[dict]:
        """Every line the recorder copies wrote so far, oldest first."""
        log = self.path / self.LOG
        if not log.exists():
            return []
        lines = log.read_bytes().decode("latin-1").splitlines()
        return [json.loads(line) for line in lines if line.strip()]

    def starts(self, exe: str | None = None) -> list[dict]:
        """The start records, of one program (by file name, e.g. "game.exe") or of all."""
        return [r for r in self.records() if r["event"] == "start" and (exe is None or r["exe"] == exe)]

    def wait_for_records(self, predicate, timeout: float = 10) -> list[dict]:
        """Polls the log until predicate(records) holds; returns the records, or raises WineError."""
        deadline = time.monotonic() + timeout
        while True:
            records = self.records()
            if predicate(records):
                return records
            if time.monotonic() > deadline:
                raise WineError(f"record.log did not reach the expected state: {records}")
            time.sleep(0.02)

    def wait_for_end(self, exe: str, count: int = 1, timeout: float = 10) -> list[dict]:
        """Waits until `count` runs of `exe` have written their end line."""
        return self.wait_for_records(
            lambda rs: sum(1 for r in rs if r["event"] == "end" and r["exe"] == exe) >= count, timeout
        )

    def run_launcher(
        self,
        cwd: os.PathLike | str | None = None,
        watch: bool = True,
        watch_classes: Iterable[str] = ("TForm1", "#32770"),
        env: Mapping[str, str] | None = None,
        program: os.PathLike | str | None = None,
    ) -> LauncherRun:
        """Starts launcher.exe of this folder in the background, current directory the folder itself
        (or `cwd`). With `watch`, a watcher samples its windows from start to end."""
        exe = Path(program) if program else self.launcher
        watcher = Watcher(self.host, exe.name, watch_classes, timeout_ms=60000) if watch else None
        try:
            proc = self.host.spawn([str(exe)], cwd=cwd or self.path, env=env)
        except BaseException:
            if watcher:
                watcher.stop()
            raise
        return LauncherRun(proc, watcher)


def _wait_for_display_number(read_fd: int, server: str) -> str:
    """Reads the display number an X server started with -displayfd writes, as ":N"."""
    with os.fdopen(read_fd, "rb") as reader:
        number = reader.readline().strip()
    if not number:
        raise WineError(f"{server} did not start")
    return ":" + number.decode()


def _end_server(server: subprocess.Popen) -> None:
    if server.poll() is None:
        server.send_signal(signal.SIGTERM)
        try:
            server.wait(timeout=10)
        except subprocess.TimeoutExpired:
            server.kill()
            server.wait()


class XvfbDisplay:
    """One Xvfb screen: the session's display unless another is asked for. Started and stopped by
    the WineHost that is given it; one display per session."""

    tools = ("Xvfb",)

    def __init__(self, screen: tuple[int, int, int] = (1024, 768, 24)):
        self.screen = screen
        self._server: subprocess.Popen | None = None

    @property
    def size(self) -> tuple[int, int]:
        """The whole desktop's width and height."""
        return self.screen[0], self.screen[1]

    def start(self, workdir: Path) -> str:
        """Starts the server; returns its display name (":N")."""
        # -displayfd: the server picks a free display itself and tells us which, so two sessions
        # never race for a number.
        read_fd, write_fd = os.pipe()
        width, height, depth = self.screen
        try:
            self._server = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", f"{width}x{height}x{depth}", "-nolisten", "tcp"],
                pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            )
        finally:
            os.close(write_fd)
        return _wait_for_display_number(read_fd, "Xvfb")

    def stop(self) -> None:
        """Ends the server by its own process id. Safe to call more than once."""
        if self._server is not None:
            _end_server(self._server)
            self._server = None


class DummyXorgDisplay:
    """Several monitors side by side, left to right in the order given, the first one primary.

    Wine takes its monitors from RandR outputs: an Xvfb with several screens is one monitor to it.
    Xorg with the dummy video driver has outputs that xrandr can switch on and place, so Wine sees
    one monitor per output. Each size must be one of the dummy driver's standard modes (1024x768,
    1280x1024, 800x600, ...). Xorg is started with a configuration file of its own, which it takes
    from outside /etc/X11 only when run as root."""

    tools = ("Xorg", "xrandr")

    _CONFIG = """\
Section "ServerFlags"
    Option "AutoAddDevices" "false"
    Option "AutoEnableDevices" "false"
    Option "DontVTSwitch" "true"
EndSection
Section "Device"
    Identifier "dummy"
    Driver "dummy"
    VideoRam {video_ram_kb}
EndSection
Section "Monitor"
    Identifier "monitor"
    HorizSync 5.0-1000.0
    VertRefresh 5.0-200.0
EndSection
Section "Screen"
    Identifier "screen"
    Device "dummy"
    Monitor "monitor"
    DefaultDepth 24
    SubSection "Display"
        Depth 24
        Virtual {width} {height}
    EndSubSection
EndSection
"""

    def __init__(self, monitors: Sequence[tuple[int, int]]):
        if not monitors:
            raise ValueError("at least one monitor")
        self.monitors = [tuple(m) for m in monitors]
        self._server: subprocess.Popen | None = None
        self._workdir: Path | None = None

    @property
    def size(self) -> tuple[int, int]:
        """The virtual screen: the widths added up, the tallest height."""
        return sum(w for w, _ in self.monitors), max(h for _, h in self.monitors)

    def start(self, workdir: Path) -> str:
        width, height = self.size
        self._workdir = Path(tempfile.mkdtemp(prefix="xorg-", dir=workdir))
        config = self._workdir / "xorg.conf"
        # 4 bytes a pixel, and room to spare for the driver's own use.
        config.write_text(self._CONFIG.format(video_ram_kb=max(65536, width * height * 4 // 1024 * 2),
                                              width=width, height=height))
        (self._workdir / "conf.d").mkdir()
        read_fd, write_fd = os.pipe()
        try:
            self._server = subprocess.Popen(
                ["Xorg", "-displayfd", str(write_fd), "-config", str(config), "-configdir", str(self._workdir / "conf.d"),
                 "-logfile", str(self._workdir / "xorg.log"), "-noreset", "-nolisten", "tcp", "-novtswitch"],
                pass_fds=(write_fd,), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            )
        finally:
            os.close(write_fd)
        try:
            display = _wait_for_display_number(read_fd, "Xorg")
        except WineError:
            log = self._workdir / "xorg.log"
            errors = [line for line in (log.read_text(errors="replace") if log.exists() else "").splitlines()
                      if line.startswith("(EE)")]
            raise WineError("Xorg with the dummy driver did not start: " + " | ".join(errors[-5:])) from None
        self._arrange(display)
        return display

    def _arrange(self, display: str) -> None:
        env = dict(os.environ, DISPLAY=display)

        def xrandr(*args: str) -> str:
            result = subprocess.run(["xrandr", *args], env=env, capture_output=True, timeout=30)
            if result.returncode != 0:
                raise WineError(f"xrandr {' '.join(args)}: {result.stderr.decode(errors='replace')}")
            return result.stdout.decode()

        for index, (width, height) in enumerate(self.monitors):
            output, mode = f"DUMMY{index}", f"{width}x{height}"
            if index == 0:
                xrandr("--output", output, "--mode", mode, "--pos", "0x0", "--primary")
            else:
                xrandr("--addmode", output, mode)
                xrandr("--output", output, "--mode", mode, "--right-of", f"DUMMY{index - 1}")
        listed = xrandr("--listmonitors").splitlines()[0]
        if listed.strip() != f"Monitors: {len(self.monitors)}":
            raise WineError(f"xrandr shows {listed!r}, not {len(self.monitors)} monitors")

    def stop(self) -> None:
        if self._server is not None:
            _end_server(self._server)
            self._server = None
        if self._workdir is not None:
            shutil.rmtree(self._workdir, ignore_errors=True)
            self._workdir = None


class WineHost:
    """Owns one test session: an X server (Xvfb unless told otherwise), a private Wine prefix, and one
    persistent wineserver.

    Use as a context manager, or call start() and stop(). Not thread-safe; one session per object.
    """

    def __init__(
        self,
        build_dir: os.PathLike | str = DEFAULT_BUILD_DIR,
        screen: tuple[int, int, int] = (1024, 768, 24),
        keep_prefix: bool = False,
        display: XvfbDisplay | DummyXorgDisplay | None = None,
    ):
        """`display`: the X server the session starts and stops (by default an Xvfb of `screen`)."""
        self.build_dir = Path(build_dir).resolve()
        self.x_server = display if display is not None else XvfbDisplay(screen)
        self.screen = (*self.x_server.size, screen[2])
        self.keep_prefix = keep_prefix or os.environ.get("WINEHOST_KEEP") == "1"
        self.wine_root = self.build_dir / "wine"
        self.template = self.wine_root / "template"
        self.screenshot_dir = self.build_dir / "screenshots"
        self.prefix: Path | None = None
        self.display: str | None = None
        self._server_started = False
        self._spawned: list[WineProcess] = []
        self._output_count = 0

    # ----------------------------------------------------------------------------------------
    # Session

    def __enter__(self) -> "WineHost":
        self.start()
        return self

    def __exit__(self, *exc) -> None:
        self.stop()

    @property
    def screen_size(self) -> tuple[int, int]:
        """The whole desktop (all monitors together)."""
        return self.x_server.size

    @property
    def env(self) -> dict[str, str]:
        """The environment for every Wine and X command of this session."""
        if self.prefix is None or self.display is None:
            raise WineError("the session is not started")
        env = dict(os.environ)
        env.update(WINE_ENV)
        env["WINEPREFIX"] = str(self.prefix)
        env["DISPLAY"] = self.display
        return env

    def start(self) -> None:
        for tool in ("wine", "wineserver", *self.x_server.tools):
            if shutil.which(tool) is None:
                raise WineError(f"{tool} is not installed (scripts/install-deps.sh installs it)")
        self.wine_root.mkdir(parents=True, exist_ok=True)
        try:
            self.display = self.x_server.start(self.wine_root)
            self._ensure_template()
            self.prefix = Path(tempfile.mkdtemp(prefix="session-", dir=self.wine_root))
            # cp -a keeps the template's symlinks (dosdevices) and times; about 1 s.
            subprocess.run(["cp", "-a", f"{self.template}/.", str(self.prefix)], check=True)
            subprocess.run(["wineserver", "-p"], env=self.env, check=True,
                           stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            self._server_started = True
            # Wakes Wine's own background processes (services, the desktop process) with nothing of
            # ours inherited, and makes the first real run as quick as the others.
            self.run([self.wintool_exe, "metrics"], check=True)
        except BaseException:
            self.stop()
            raise

    def stop(self) -> None:
        """Stops what this session started, and only that. Safe to call more than once."""
        for proc in self._spawned:
            proc.kill()
        self._spawned.clear()
        if self._server_started:
            subprocess.run(["wineserver", "-k"], env=self.env, check=False)
            subprocess.run(["wineserver", "-w"], env=self.env, check=False, timeout=30)
            self._server_started = False
        self.x_server.stop()
        if self.prefix is not None and not self.keep_prefix:
            shutil.rmtree(self.prefix, ignore_errors=True)
        self.prefix = None
        self.display = None

    def _ensure_template(self) -> None:
        """Makes the template prefix once (wineboot, about 10 s); later sessions copy it."""
        ready = self.template / ".ready"
        with open(self.wine_root / "template.lock", "w") as lock:
            fcntl.flock(lock, fcntl.LOCK_EX)
            if ready.exists():
                return
            shutil.rmtree(self.template, ignore_errors=True)
            env = dict(os.environ)
            env.update(WINE_ENV)
            env["WINEPREFIX"] = str(self.template)
            env["DISPLAY"] = self.display or ""
            subprocess.run(["wineboot", "-i"], env=env, check=True, capture_output=True, timeout=300)
            for key, name, kind, data in TEMPLATE_REGISTRY:
                subprocess.run(
                    ["wine", "reg", "add", key, "/v", name, "/t", kind, "/d", data, "/f"],
                    env=env, check=True, capture_output=True, timeout=60,
                )
            # The registry reaches the prefix's files only when the server ends.
            subprocess.run(["wineserver", "-k"], env=env, check=False)
            subprocess.run(["wineserver", "-w"], env=env, check=True, timeout=60)
            ready.write_text("made by winehost.py\n")

    # ----------------------------------------------------------------------------------------
    # Running programs

    def run(
        self,
        args: Sequence[str],
        cwd: os.PathLike | str | None = None,
        timeout: float = 60,
        check: bool = False,
        env: Mapping[str, str] | None = None,
    ) -> subprocess.CompletedProcess:
        """Runs `wine ARGS...` in the foreground and waits for it (stdout, stderr as bytes)."""
        full_env = self.env
        if env:
            full_env.update(env)
        # Files, not pipes: see WineProcess.
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            completed = subprocess.run(
                ["wine", *map(str, args)], cwd=cwd, env=full_env, stdin=subprocess.DEVNULL,
                stdout=out, stderr=err, timeout=timeout,
            )
            out.seek(0)
            err.seek(0)
            result = subprocess.CompletedProcess(completed.args, completed.returncode, out.read(), err.read())
        if check and result.returncode != 0:
            raise WineError(f"wine {' '.join(map(str, args))} failed ({result.returncode}): {result.stderr!r}")
        return result

    def spawn(
        self,
        args: Sequence[str],
        cwd: os.PathLike | str | None = None,
        env: Mapping[str, str] | None = None,
    ) -> WineProcess:
        """Starts `wine ARGS...` in the background, its stdout captured to a file (see WineProcess).
        The session kills it at stop() if it still runs."""
        full_env = self.env
        if env:
            full_env.update(env)
        self._output_count += 1
        output = self.prefix / "output" / f"{self._output_count}-{Path(str(args[0])).stem}.txt"
        output.parent.mkdir(exist_ok=True)
        with open(output, "wb") as out:
            popen = subprocess.Popen(
                ["wine", *map(str, args)], cwd=cwd, env=full_env,
                stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.DEVNULL,
            )
        proc = WineProcess(popen, Path(str(args[0])).name, output)
        self._spawned = [p for p in self._spawned if p.running]
        self._spawned.append(proc)
        return proc

    @property
    def wintool_exe(self) -> Path:
        return self.build_dir / "wintool.exe"

    @property
    def recorder_exe(self) -> Path:
        return self.build_dir / "recorder.exe"

    @property
    def launcher_exe(self) -> Path:
        return self.build_dir / "launcher.exe"

    def wintool(self, *args: str, timeout: float = 60, check: bool = True) -> ToolResult:
        """Runs wintool.exe with ARGS and parses what it prints (JSON, else key=value lines).

        With `check`, exit codes other than 0 and 1 ("not found") raise WineError."""
        result = self.run([self.wintool_exe, *args], timeout=timeout)
        out = result.stdout.decode("latin-1")
        tool = ToolResult(result.returncode, out, result.stderr.decode("latin-1"))
        text = out.strip()
        if text.startswith(("{", "[")) or text == "null":
            tool.value = json.loads(text)
        elif text:
            tool.value = dict(line.split("=", 1) for line in text.splitlines() if "=" in line)
        if check and result.returncode not in (0, 1):
            raise WineError(f"wintool {' '.join(args)} failed ({result.returncode}): {out}{tool.stderr}")
        return tool

    def spawn_tool(self, *args: str) -> WineProcess:
        """wintool.exe in the background; read what it prints with read_line() and stdout()."""
        return self.spawn([self.wintool_exe, *args])

    # ----------------------------------------------------------------------------------------
    # Windows on the screen

    def windows(
        self,
        cls: str | None = None,
        caption: str | None = None,
        process: str | None = None,
        visible: bool = False,
        wait_ms: int | None = None,
    ) -> list[dict]:
        """Top-level windows matching all the given filters (see wintool `windows`). With `wait_ms`,
        waits up to that long for at least one."""
        args = ["windows"]
        for flag, value in (("--class", cls), ("--caption", caption), ("--process", process)):
            if value is not None:
                args += [flag, value]
        if visible:
            args.append("--visible")
        if wait_ms is not None:
            args += ["--wait", str(wait_ms)]
        return self.wintool(*args).value["windows"]

    def wait_window(self, cls: str, visible: bool = True, timeout_ms: int = 10000, **filters) -> dict:
        """The first window of class `cls` (visible by default); raises WineError if none comes."""
        found = self.windows(cls=cls, visible=visible, wait_ms=timeout_ms, **filters)
        if not found:
            raise WineError(f"no {'visible ' if visible else ''}window of class {cls} within {timeout_ms} ms")
        return found[0]

    def wait_gone(self, cls: str, timeout_ms: int = 10000, visible: bool = False) -> bool:
        args = ["gone", "--class", cls, "--wait", str(timeout_ms)]
        if visible:
            args.append("--visible")
        return self.wintool(*args).returncode == 0

    def message_box(self, caption: str, wait_ms: int = 10000, press_ok: bool = False) -> dict | None:
        """The message box with this caption (text, icon control, buttons), or None if none shows
        within `wait_ms`. With `press_ok`, OK is pressed after it has been read."""
        args = ["msgbox", "--caption", caption, "--wait", str(wait_ms)]
        if press_ok:
            args.append("--ok")
        return self.wintool(*args).value

    def close_window(self, hwnd: int | None = None, cls: str | None = None) -> None:
        """Posts WM_CLOSE, as the caption's close button does."""
        args = ["close"] + (["--hwnd", str(hwnd)] if hwnd is not None else ["--class", cls or ""])
        if self.wintool(*args).returncode != 0:
            raise WineError(f"no window to close ({hwnd=}, {cls=})")

    def end_session(self, hwnd: int | None = None, cls: str | None = None) -> int:
        """WM_QUERYENDSESSION then WM_ENDSESSION(TRUE); returns the answer to the query."""
        args = ["endsession"] + (["--hwnd", str(hwnd)] if hwnd is not None else ["--class", cls or ""])
        return int(self.wintool(*args).value["query"])

    def metrics(self) -> dict:
        """Screen, virtual screen, work area, monitor count, caption height and fixed frame size."""
        return self.wintool("metrics").value

    def processes(self, name: str | None = None) -> list[dict]:
        args = ["procs"] + (["--name", name] if name else [])
        return self.wintool(*args).value["processes"]

    def kill_processes(self, *names: str) -> int:
        """Terminates every Windows process of these image names in the session; returns how many."""
        args = ["kill"]
        for name in names:
            args += ["--name", name]
        return int(self.wintool(*args).value["killed"])

    def open_read_error(self, path: os.PathLike | str) -> int:
        """The error code of opening `path` as the launcher opens toolbar.ini (0: it opened)."""
        return int(self.wintool("openread", to_windows_path(path)).value["error"])

    @contextlib.contextmanager
    def hold_file(self, path: os.PathLike | str, share: int | None = None) -> Iterator[WineProcess]:
        """Keeps `path` open with GENERIC_WRITE in another Windows process for the `with` block."""
        args = ["hold", to_windows_path(path)]
        if share is not None:
            args += ["--share", str(share)]
        proc = self.spawn_tool(*args)
        try:
            line = proc.read_line()
            if line != "held=1":
                raise WineError(f"could not hold {path}: {proc.stdout()}")
            yield proc
        finally:
            proc.kill()

    # ----------------------------------------------------------------------------------------
    # Registry (HKEY_CURRENT_USER)

    def reg_add(self, key: str, name: str | None = None, kind: str = "REG_SZ", data: str | None = None) -> None:
        """`reg add`: the key, and a value when `name` is given ("" is the default value)."""
        args = ["reg", "add", key]
        if name is not None:
            args += ["/v", name] if name else ["/ve"]
            args += ["/t", kind]
            if data is not None:
                args += ["/d", data]
        args.append("/f")
        self.run(args, check=True)

    def reg_delete(self, key: str, name: str | None = None) -> bool:
        """`reg delete` of a key (with its subkeys) or of one value; False when it was not there."""
        args = ["reg", "delete", key]
        if name is not None:
            args += ["/v", name] if name else ["/ve"]
        args.append("/f")
        return self.run(args).returncode == 0

    def reg_import(self, text: str) -> None:
        """`reg import` of .reg text (the "Windows Registry Editor Version 5.00" header is added).
        Lines "[-KEY]" delete a key, "\"name\"=-" a value: one process for a whole state."""
        body = "Windows Registry Editor Version 5.00\r\n\r\n" + text.replace("\r\n", "\n").replace("\n", "\r\n")
        with tempfile.NamedTemporaryFile("wb", suffix=".reg", dir=self.prefix, delete=False) as f:
            f.write(b"\xff\xfe" + body.encode("utf-16-le"))
            name = f.name
        try:
            result = self.run(["reg", "import", to_windows_path(name)])
            if result.returncode != 0:
                raise WineError(f"reg import failed: {result.stderr!r}\n{text}")
        finally:
            os.unlink(name)

    def reg_value(self, key: str, name: str) -> tuple[int, bytes] | None:
        """(type, data bytes) of one value as RegQueryValueExA gives them; None when key or value
        is missing ("" is the default value)."""
        result = self.wintool("regget", key, name)
        if result.returncode != 0:
            return None
        return int(result.value["type"]), bytes.fromhex(result.value["hex"])

    def reg_query(self, key: str, name: str) -> str | None:
        """A text value up to its first NUL; None when key or value is missing."""
        value = self.reg_value(key, name)
        if value is None:
            return None
        return value[1].split(b"\0", 1)[0].decode("latin-1")

    def reg_snapshot(self, key: str = "HKCU", exclude: Iterable[str] = VOLATILE_KEYS) -> str:
        """Every subkey and value under `key` (all of HKCU by default), exact to the byte, less the
        subtrees in `exclude`: what the tests compare before and after a run of the launcher."""
        result = self.run([self.wintool_exe, "regdump", key], check=True)
        excluded = tuple(exclude)

        def kept(line: str) -> bool:
            path = line[2:].split(" | ", 1)[0].split(" error=", 1)[0]
            return not any(path == e or path.startswith(e + "\\") for e in excluded)

        return "\n".join(line for line in result.stdout.decode("latin-1").splitlines() if kept(line))

    def reg_export(self, key: str = "HKCU") -> str:
        """`reg export` of a key (the whole hive by default) as text; "" when the key is missing."""
        with tempfile.NamedTemporaryFile(suffix=".reg", dir=self.prefix, delete=False) as f:
            name = f.name
        try:
            result = self.run(["reg", "export", key, to_windows_path(name), "/y"])
            if result.returncode != 0:
                return ""
            return Path(name).read_bytes().decode("utf-16")
        finally:
            os.unlink(name)

    def reg_set_bytes(self, key: str, name: str, kind: str | int, data: bytes) -> None:
        """RegSetValueExA with exactly these bytes and this type (for NULs inside texts, odd types)."""
        self.wintool("regset", key, name, str(kind), data.hex(), check=True)

    def reg_lock(self, key: str, sddl: str | None = None) -> dict:
        """Makes `key` readable but not openable with KEY_ALL_ACCESS (or applies `sddl`). Returns the
        open results wintool saw afterwards: all_access_error and read_error. The DACL lives only as
        long as the wineserver; reg_unlock gives full access back."""
        args = ["reglock", key] + (["--sddl", sddl] if sddl else [])
        result = self.wintool(*args)
        if result.returncode != 0:
            raise WineError(f"reglock {key}: {result.stdout}")
        return {k: int(v) for k, v in result.value.items()}

    def reg_unlock(self, key: str) -> None:
        result = self.wintool("regunlock", key)
        if result.returncode != 0:
            raise WineError(f"regunlock {key}: {result.stdout}")

    def reg_open_error(self, key: str, access: int) -> int:
        """The error code RegOpenKeyExA gives for this key and access mask (0: it opened)."""
        return int(self.wintool("regopen", key, hex(access)).value["error"])

    # ----------------------------------------------------------------------------------------
    # Game folders

    def make_game_folder(
        self,
        ini: bytes | None = b"",
        game: bool = True,
        setup: bool = True,
        launcher: bool = True,
        name: str = "game",
    ) -> GameFolder:
        """A fresh folder under the build folder with launcher.exe, recorder copies as game.exe and
        ToolbarSetup.exe, and toolbar.ini holding `ini` (None: no toolbar.ini). Removed with the
        session's prefix."""
        if self.prefix is None:
            raise WineError("the session is not started")
        games = self.prefix / "games"
        games.mkdir(exist_ok=True)
        folder = GameFolder(self, Path(tempfile.mkdtemp(prefix=f"{name}-", dir=games)))
        if launcher:
            if not self.launcher_exe.exists():
                raise WineError(f"{self.launcher_exe} is not built")
            shutil.copy2(self.launcher_exe, folder.launcher)
        if game:
            shutil.copy2(self.recorder_exe, folder.path / "game.exe")
        if setup:
            shutil.copy2(self.recorder_exe, folder.path / "ToolbarSetup.exe")
        if ini is not None:
            folder.write("toolbar.ini", ini)
        return folder

    # ----------------------------------------------------------------------------------------
    # Screen and input

    def screenshot(self, name: str, rect: Sequence[int] | None = None) -> Path:
        """Saves the screen (or the part within rect = left, top, right, bottom) as
        build/windows/screenshots/NAME.png and returns the path."""
        from PIL import Image  # only the tests that take pictures need Pillow

        self.screenshot_dir.mkdir(parents=True, exist_ok=True)
        target = self.screenshot_dir / f"{name}.png"
        raw = subprocess.run(
            ["import", "-display", self.display, "-window", "root", "png:-"],
            env=self.env, check=True, capture_output=True, timeout=30,
        ).stdout
        tmp = target.with_suffix(".full.png")
        tmp.write_bytes(raw)
        try:
            with Image.open(tmp) as image:
                picture = image.convert("RGB")
                if rect is not None:
                    picture = picture.crop(tuple(rect))
                picture.save(target)
        finally:
            tmp.unlink()
        return target

    def xdotool(self, *args: str) -> str:
        """Runs xdotool on the session's display (e.g. "mousemove", "10", "20", "click", "1")."""
        result = subprocess.run(
            ["xdotool", *map(str, args)], env=self.env, capture_output=True, timeout=30
        )
        if result.returncode != 0:
            raise WineError(f"xdotool {' '.join(map(str, args))}: {result.stderr!r}")
        return result.stdout.decode()
