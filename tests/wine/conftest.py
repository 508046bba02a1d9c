"""Fixtures of the Wine end-to-end tests: one Wine session for the whole run, and per test a clean
state of the registry keys the launcher reads."""

from __future__ import annotations

import sys
from pathlib import Path

import pytest

sys.path.insert(0, str(Path(__file__).resolve().parent))

from launcher_case import GAME_EXE, SETUP_EXE, LauncherRegistry  # noqa: E402
from winehost import WineHost  # noqa: E402

# Whatever a failed test may leave running; the launcher itself is ended through its own run object.
STRAY_PROGRAMS = ("launcher.exe", GAME_EXE, SETUP_EXE)


@pytest.fixture(scope="session")
def host():
    """The session's Xvfb, Wine prefix and wineserver; stopped after the last test."""
    probe = WineHost()
    missing = [p.name for p in (probe.wintool_exe, probe.recorder_exe) if not p.exists()]
    if missing:
        pytest.fail(f"build the Windows test helpers first ({', '.join(missing)} missing in {probe.build_dir})")
    with WineHost() as session:
        yield session


@pytest.fixture
def registry(host):
    """The launcher's registry keys, cleared before and after the test: its own toolbar key name,
    no start page, every key it locked unlocked again."""
    state = LauncherRegistry(host)
    state.clear()
    yield state
    host.kill_processes(*STRAY_PROGRAMS)
    state.clear()
