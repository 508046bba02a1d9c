"""Checks of the end-to-end harness itself, against programs of known behaviour (the recorder and
wintool's own `show` window and `alert` box), so a failure in a launcher test points at the launcher
and not at the harness. None of these needs launcher.exe."""

from __future__ import annotations

import shutil

import pytest

from winehost import (
    Watcher,
    IDOK,
    KEY_ALL_ACCESS,
    KEY_READ_NO_NOTIFY,
    LWA_COLORKEY,
    SS_ICON,
    SS_TYPEMASK,
    WS_CAPTION,
    WS_EX_LAYERED,
    WS_MINIMIZEBOX,
    WS_POPUP,
    WS_SYSMENU,
    WS_VISIBLE,
    to_windows_path,
)

MB_OK = 0x0
MB_ICONERROR = 0x10
MB_ICONINFORMATION = 0x40


@pytest.fixture
def folder(host):
    folder = host.make_game_folder(ini=b"", launcher=False)
    yield folder
    host.kill_processes("game.exe", "ToolbarSetup.exe")


def dominant_colour(path) -> tuple[int, int, int]:
    from PIL import Image

    with Image.open(path) as image:
        colours = image.convert("RGB").getcolors(maxcolors=1 << 20)
    return max(colours)[1]


@pytest.mark.parametrize(
    ("exe", "arguments", "exit_code"),
    [
        ("game.exe", ["target=_blank"], 0),
        ("ToolbarSetup.exe", ["/s", "-silent"], 3),
        ("game.exe", [], 255),
    ],
)
def test_recorder_logs_name_command_line_directory_and_exit(host, folder, exe, arguments, exit_code):
    folder.set_exit(exe, exit_code)
    elsewhere = folder.path / "elsewhere"
    elsewhere.mkdir()
    # Arguments without quotes or blanks: `wine` escapes those when it builds the Windows command line.
    result = host.run([folder.path / exe, *arguments], cwd=elsewhere, timeout=30)

    assert result.returncode == exit_code
    start, end = folder.records()
    assert (start["event"], end["event"]) == ("start", "end")
    assert start["exe"] == end["exe"] == exe
    assert start["cwd"] == to_windows_path(elsewhere)
    assert start["cmdline"].startswith(f'"{to_windows_path(folder.path / exe)}"')
    assert start["cmdline"].endswith(" ".join(arguments))
    assert start["pid"] == end["pid"]
    assert end["exit"] == exit_code
    assert end["time_ms"] >= start["time_ms"]


def test_recorder_runs_as_long_as_told(host, folder):
    folder.set_sleep("game.exe", 300)
    host.run([folder.path / "game.exe"], cwd=folder.path)
    start, end = folder.records()
    assert end["time_ms"] - start["time_ms"] >= 300


def test_recorder_killed_writes_no_end_line(host, folder):
    folder.set_sleep("ToolbarSetup.exe", "forever")
    proc = host.spawn([folder.path / "ToolbarSetup.exe"], cwd=folder.path)
    folder.wait_for_records(lambda rs: len(rs) == 1)
    assert proc.running
    assert host.kill_processes("ToolbarSetup.exe") == 1
    proc.wait(10)
    assert [r["event"] for r in folder.records()] == ["start"]
    assert host.processes("ToolbarSetup.exe") == []


def test_two_copies_share_one_log(host, folder):
    host.run([folder.path / "ToolbarSetup.exe"], cwd=folder.path)
    host.run([folder.path / "game.exe"], cwd=folder.path)
    assert [(r["exe"], r["event"]) for r in folder.records()] == [
        ("ToolbarSetup.exe", "start"),
        ("ToolbarSetup.exe", "end"),
        ("game.exe", "start"),
        ("game.exe", "end"),
    ]


LOOKS = {
    # The launcher's two looks, made by wintool's own window: borderless and colour-keyed, and
    # captioned with a fixed frame.
    "popup_layered": dict(style=WS_POPUP, exstyle=WS_EX_LAYERED, colorkey="000000"),
    "caption": dict(style=WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, exstyle=0, colorkey=None),
}


@pytest.mark.parametrize("look", LOOKS)
def test_inspection_reports_a_known_window(host, look):
    wanted = LOOKS[look]
    rect = (100, 50, 100 + 302, 50 + 208)
    args = ["show", "--class", "HarnessWindow", "--caption", f"harness {look}", "--style", hex(wanted["style"]),
            "--exstyle", hex(wanted["exstyle"]), "--x", str(rect[0]), "--y", str(rect[1]), "--w", "302", "--h", "208",
            "--color", "00ff00"]
    if wanted["colorkey"]:
        args += ["--colorkey", wanted["colorkey"]]
    proc = host.spawn_tool(*args)
    try:
        assert proc.read_line().startswith("hwnd=")
        window = host.wait_window("HarnessWindow")

        assert window["caption"] == f"harness {look}"
        assert window["visible"] is True
        assert window["style"] == wanted["style"] | WS_VISIBLE
        assert window["exstyle"] == wanted["exstyle"]
        assert tuple(window["rect"]) == rect
        if wanted["colorkey"]:
            assert (window["layered"]["key"], window["layered"]["flags"]) == (0, LWA_COLORKEY)
        else:
            assert window["layered"] is None
            assert window["client"][0] < 302 and window["client"][1] < 208
        left, top = window["client_origin"]
        width, height = window["client"]
        shot = host.screenshot(f"harness-{look}", (left, top, left + width, top + height))
        assert dominant_colour(shot) == (0, 255, 0)

        host.close_window(window["hwnd"])
        assert proc.wait(10) == 0
        assert host.wait_gone("HarnessWindow")
    finally:
        proc.kill()


@pytest.mark.parametrize("point", [(5, 7), (150, 90)])
def test_pointer_lands_at_client_coordinates(host, point):
    proc = host.spawn_tool("show", "--class", "HarnessClick", "--style", hex(WS_POPUP), "--x", "200", "--y", "120",
                           "--w", "300", "--h", "200")
    try:
        assert proc.read_line().startswith("hwnd=")
        window = host.wait_window("HarnessClick")
        x, y = window["client_origin"]
        host.xdotool("mousemove", x + point[0], y + point[1], "click", "1")
        assert proc.read_line() == f"click={point[0]},{point[1]}"
    finally:
        proc.kill()


def test_child_check_box_is_listed_and_toggled_by_a_real_click(host):
    proc = host.spawn_tool("show", "--class", "HarnessBox", "--style", hex(WS_POPUP), "--x", "300", "--y", "200",
                           "--checkbox")
    try:
        proc.read_line()
        window = host.wait_window("HarnessBox")
        (box,) = window["children"]
        assert (box["class"], box["id"], box["check"], box["visible"]) == ("Button", 100, 1, True)
        assert tuple(box["rect"]) == (300 + 20, 200 + 30, 300 + 33, 200 + 43)

        left, top = box["rect"][:2]
        host.xdotool("mousemove", left + 6, top + 6, "click", "1")
        (box,) = host.wait_window("HarnessBox")["children"]
        assert box["check"] == 0
        assert host.wait_window("HarnessBox")["focus"] == box["hwnd"]
    finally:
        proc.kill()


def test_end_session_is_asked_and_told(host):
    proc = host.spawn_tool("show", "--class", "HarnessSession")
    try:
        proc.read_line()
        window = host.wait_window("HarnessSession")
        assert host.end_session(window["hwnd"]) == 1  # DefWindowProc agrees to end the session
    finally:
        proc.kill()


@pytest.mark.parametrize(
    ("icon_type", "colour_test"),
    [
        (MB_ICONERROR, lambda r, g, b: r > 150 and g < 100 and b < 100),  # the red stop sign
        (MB_ICONINFORMATION, lambda r, g, b: b > 150 and r < 100),  # the blue "i"
    ],
)
def test_message_box_is_read_and_answered(host, icon_type, colour_test):
    caption = "harness box"
    proc = host.spawn_tool("alert", "--caption", caption, "--text", "I/O error 32.", "--type", hex(MB_OK | icon_type))
    try:
        box = host.message_box(caption)
        assert box["text"] == "I/O error 32."
        assert box["caption"] == caption
        assert box["icon"]["visible"] is True
        assert box["icon"]["style"] & SS_TYPEMASK == SS_ICON
        visible_buttons = [b for b in box["buttons"] if b["visible"]]
        assert [b["id"] for b in visible_buttons] == [IDOK]

        shot = host.screenshot("harness-box-icon", box["icon"]["rect"])
        from PIL import Image

        with Image.open(shot) as image:
            pixels = list(image.convert("RGB").getdata())
        assert sum(1 for p in pixels if colour_test(*p)) > len(pixels) // 10

        assert host.message_box(caption, wait_ms=0, press_ok=True) is not None
        assert proc.wait(10) == 0
        assert proc.stdout().strip() == f"result={IDOK}"
        assert host.message_box(caption, wait_ms=0) is None
    finally:
        proc.kill()


@pytest.mark.parametrize(
    ("make", "error"),
    [
        ("file", 0),
        ("held", 32),  # sharing violation
        ("directory", 5),
        ("missing", 2),
    ],
)
def test_read_open_errors(host, folder, make, error):
    target = folder.path / "toolbar.ini"
    if make == "directory":
        folder.make_dir("toolbar.ini")
    elif make == "missing":
        folder.remove("toolbar.ini")
    if make == "held":
        with host.hold_file(target):
            assert host.open_read_error(target) == error
        assert host.open_read_error(target) == 0
    else:
        assert host.open_read_error(target) == error


REG_SZ, REG_DWORD, REG_MULTI_SZ = 1, 4, 7


@pytest.mark.parametrize(
    ("kind", "data"),
    [
        (REG_SZ, b"FALSE\x00xx\x00"),  # a NUL inside the text, which `reg add` cannot write
        (REG_DWORD, (0).to_bytes(4, "little")),
        (REG_MULTI_SZ, b"FALSE\x00\x00"),
        (REG_SZ, b""),  # a text value without data
    ],
)
def test_exact_value_bytes_reach_the_registry(host, registry, kind, data):
    key = registry.toolbar_key(1)
    host.reg_set_bytes(key, "Visible", kind, data)
    assert host.reg_value(key, "Visible") == (kind, data)
    # The snapshot shows what is stored: texts as UTF-16.
    stored = data.decode("latin-1").encode("utf-16-le") if kind in (REG_SZ, REG_MULTI_SZ) else data
    assert f" | Visible | {kind} | {stored.hex()}" in host.reg_snapshot(key)


def test_lock_makes_a_key_readable_but_not_fully_openable(host, registry):
    registry.apply(visible1="TRUE")
    key = registry.toolbar_key(1)
    assert host.reg_open_error(key, KEY_ALL_ACCESS) == 0

    assert registry.lock(key) == {"all_access_error": 5, "read_error": 0}
    assert host.reg_open_error(key, KEY_ALL_ACCESS) == 5
    assert host.reg_open_error(key, KEY_READ_NO_NOTIFY) == 0
    assert host.reg_query(key, "Visible") == "TRUE"

    registry.clear()
    assert host.reg_open_error(key, KEY_ALL_ACCESS) == 2  # gone: the unlock let the clean-up delete it


def test_registry_state_is_set_and_cleared(host, registry):
    registry.apply(visible1="FALSE", visible2="TRUE", start_page="http://x/")
    assert host.reg_query(registry.toolbar_key(1), "Visible") == "FALSE"
    assert host.reg_query(registry.toolbar_key(2), "Visible") == "TRUE"
    assert host.reg_query("HKCU\\Software\\Microsoft\\Internet Explorer\\Main", "Start Page") == "http://x/"
    registry.clear()
    assert host.reg_export(registry.toolbar_key(1)) == ""
    assert host.reg_export(registry.toolbar_key(2)) == ""
    assert host.reg_query("HKCU\\Software\\Microsoft\\Internet Explorer\\Main", "Start Page") is None


def test_programs_that_only_read_leave_the_registry_unchanged(host, folder, registry):
    registry.all_set()
    before = host.reg_snapshot()
    host.run([folder.path / "game.exe"], cwd=folder.path)
    proc = host.spawn_tool("show", "--class", "HarnessQuiet")
    try:
        window = host.wait_window("HarnessQuiet")
        host.close_window(window["hwnd"])
        assert proc.wait(10) == 0
    finally:
        proc.kill()
    assert host.reg_snapshot() == before


@pytest.mark.parametrize(
    "change",
    [
        lambda host, key: host.reg_add(key, "Marker", "REG_SZ", "1"),
        lambda host, key: host.reg_add(key + "\\NewKey"),
        lambda host, key: host.reg_set_bytes(key, "Visible", "REG_SZ", b"TRUE\x00x\x00"),  # after the NUL only
    ],
)
def test_snapshot_shows_every_change(host, registry, change):
    registry.apply(visible1="TRUE")
    before = host.reg_snapshot()
    change(host, registry.toolbar_key(1))
    assert host.reg_snapshot() != before


def test_watcher_sees_a_window_from_start_to_end(host, folder):
    # A copy under another name: the watcher, itself a wintool.exe, must not take itself for it.
    watched = folder.path / "watched.exe"
    shutil.copy2(host.wintool_exe, watched)
    watcher = Watcher(host, watched.name, ["HarnessWatched"], timeout_ms=20000)
    proc = host.spawn([watched, "show", "--class", "HarnessWatched", "--style", hex(WS_POPUP), "--x", "30", "--y", "40",
                       "--w", "100", "--h", "50"])
    try:
        window = host.wait_window("HarnessWatched")
        host.close_window(window["hwnd"])
        assert proc.wait(10) == 0
        seen = watcher.result()
    finally:
        proc.kill()
        watcher.stop()

    assert (seen["seen_process"], seen["ended"], seen["exit"]) == (True, True, 0)
    assert {s["class"] for s in seen["states"]} == {"HarnessWatched"}
    assert {s["hwnd"] for s in seen["states"]} == {window["hwnd"]}
    assert any(s["visible"] and s["style"] & WS_POPUP and tuple(s["rect"]) == (30, 40, 130, 90) for s in seen["states"])
