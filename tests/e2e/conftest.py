"""Fixtures over harness.WineSession (see its docstring for the API).

- ``wine_session``: one display and one booted prefix for the whole pytest
  run, closed at the end whatever happened.
- ``wine``: the same session for one test; every process the test started is
  ended by PID afterwards, so the next test starts with a quiet display; a
  saver killed that way cannot switch the screen-saver-running state off, so
  the fixture does it for it.
"""

import signal
import sys
from pathlib import Path

import pytest

sys.path.insert(0, str(Path(__file__).resolve().parent))

import harness  # noqa: E402


def _interrupt_on_terminate(signum, frame):
    raise KeyboardInterrupt(f"signal {signum}")


def pytest_configure(config):
    # A run stopped with SIGTERM (a timeout, CI cancelling) ends like one
    # stopped with Ctrl-C: pytest still tears the fixtures down, so every
    # Xvfb, wineserver and program they started is stopped.
    config.pellix_previous_sigterm = signal.signal(signal.SIGTERM, _interrupt_on_terminate)


def pytest_unconfigure(config):
    previous = getattr(config, "pellix_previous_sigterm", None)
    if previous is not None:
        signal.signal(signal.SIGTERM, previous)


@pytest.fixture(scope="session")
def wine_session():
    if not harness.saver_path().exists():
        pytest.fail(f"{harness.saver_path()} is missing: build the Windows tree (make windows) "
                    "or point PELLIX_WINDOWS_BUILD at one")
    session = harness.WineSession().open()
    try:
        yield session
    finally:
        session.close()


@pytest.fixture
def wine(wine_session):
    try:
        yield wine_session
    finally:
        if wine_session.end_processes():
            wine_session.set_screensaver_running(False)
