"""Fixtures of the Wine end-to-end tests: one Wine session for the whole run, and per test a clean
state of the registry keys the launcher reads."""

from __future__ import annotations

import sys
from pathlib import Path

import pytest

sys.path.insert(0, str(Path(__file__).resolve().parent))

from launcher_case import GAME_EXE, SETUP_EXE, Launch, LauncherRegistry  # noqa: E402
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


@pytest.hookimpl(hookwrapper=True)
def pytest_runtest_makereport(item, call):
    # Keeps each phase's report on the test item, so fixtures can tell a failed test from a passed one.
    outcome = yield
    report = outcome.get_result()
    setattr(item, f"report_{report.when}", report)


@pytest.fixture
def registry(host, request):
    """The registry keys the launcher reads, for one test: a toolbar key name of the test's own
    (so no earlier test's keys are seen), and afterwards every key it locked unlocked and its keys
    and the start page removed. Each test sets the whole state it needs with apply()."""
    state = LauncherRegistry(host)
    yield state
    call = getattr(request.node, "report_call", None)
    if call is None or call.failed:
        # Only a test that stopped half-way can have left a program running (each ~0.1 s to look).
        host.kill_processes(*STRAY_PROGRAMS)
    state.clear()


@pytest.fixture
def launch(host, registry):
    """Runs of the launcher that each must end with 0 and leave the registry as it was."""
    launcher = Launch(host)
    yield launcher
    launcher.stop_all()
