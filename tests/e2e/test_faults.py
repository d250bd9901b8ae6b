"""Faults the real pellix.scr meets under Wine, and what the user sees.

The preview handle that names no window is covered by test_spine.py
(``preview-no-window``); the registry and password-service faults in-process
by tests/shell; damaged pictures by tests/faults.
"""

import os
import re
import shutil
import subprocess
import tempfile
from pathlib import Path

import pytest

import harness
from harness import WM_CLOSE, wait_until

SAVER_X_CLASS = r"^pellix\.scr$"
START_SECONDS = 90
END_SECONDS = 60
LONG_LINE = 100000
# Below the 32,767-character limit with the program name and quotes.
LONGEST_PASSED = 32000
MESSAGE_BOX_CLASS = "#32770"


def presenting(process):
    return len([rate for rate in process.fps_reports() if rate > 0]) >= 2


@pytest.fixture
def display_without_glx(wine):
    """A second X server with no GLX, for one saver of the session's prefix."""
    xvfb = harness.Xvfb(log_path=wine.log_dir / "xvfb-noglx.log")
    start = xvfb.start
    original = subprocess.Popen

    def popen_without_glx(argv, *args, **kwargs):
        return original(argv + ["-extension", "GLX"], *args, **kwargs)

    subprocess.Popen = popen_without_glx
    try:
        start()
    finally:
        subprocess.Popen = original
    try:
        yield xvfb.display
    finally:
        wine.end_processes()
        xvfb.stop()


def test_without_opengl_the_pixel_format_error_shows_and_the_saver_ends(wine, display_without_glx):
    saver = wine.start_saver("/s", env={"DISPLAY": display_without_glx})
    box = wine.wait_window(MESSAGE_BOX_CLASS, "Error", START_SECONDS)
    texts = [child["title"] for child in wine.child_windows(box["hwnd"])]
    assert "ChoosePixelFormat() failed:  Cannot find a suitable pixel format." in texts, texts
    assert saver.running(), "the saver must wait for the box to be closed"
    assert wine.find_window("OpenGL", "SaverWindow") is not None
    assert wine.post_message(box["hwnd"], WM_CLOSE)
    assert saver.wait(END_SECONDS) == 0
    assert wine.find_window("OpenGL", "SaverWindow") is None
    assert not wine.screensaver_running()


def test_a_command_line_of_100000_characters_never_reaches_the_saver(wine):
    # Windows passes at most 32,767 characters to a new process; Wine refuses
    # the start as Windows would, so nothing is shown and nothing crashes.
    saver = wine.start_saver("/s", "x" * LONG_LINE, trace_fps=True)
    assert saver.wait(END_SECONDS) != 0
    assert saver.fps_reports() == []
    assert wine.find_window("OpenGL", "SaverWindow") is None
    assert "Unhandled" not in saver.stderr()


@pytest.mark.parametrize("args, draws", [
    (["/s", "x" * LONGEST_PASSED], True),
    (["/p", "9" * LONGEST_PASSED], False),
    (["/" + "q" * LONGEST_PASSED], False),
], ids=["full-screen-then-text", "preview-huge-number", "unknown-switch-run-on"])
def test_the_longest_command_line_windows_passes(wine, args, draws):
    saver = wine.start_saver(*args, trace_fps=True)
    if draws:
        wait_until(lambda: presenting(saver), START_SECONDS, "the saver to present frames")
        x_window = wine.wait_x_window("^SaverWindow$", SAVER_X_CLASS)
        wine.focus(x_window)
        wine.key("x")
    assert saver.wait(END_SECONDS) == 0
    assert "Unhandled" not in saver.stderr()
    if not draws:
        assert saver.fps_reports() == []


def test_password_change_with_an_mpr_dll_lacking_the_export_ends_quietly(wine):
    fake = harness.windows_build_dir() / "tests" / "faults" / "mpr-without-export" / "MPR.DLL"
    assert fake.exists(), f"{fake} is missing: build the Windows tree"
    folder = Path(tempfile.mkdtemp(prefix="pellix-mpr.", dir=wine.root))
    shutil.copy(harness.saver_path(), folder / "pellix.scr")
    shutil.copy(fake, folder / "MPR.DLL")
    overrides = wine.env["WINEDLLOVERRIDES"] + ";mpr=n"
    saver = wine.start(folder / "pellix.scr", "/a", "0", winedebug="-all,+loaddll", cwd=folder,
                       env={"WINEDLLOVERRIDES": overrides})
    seen = set()

    def ended():
        seen.update(wine.x_windows(x_class=SAVER_X_CLASS))
        return not saver.running()

    wait_until(ended, END_SECONDS, "the password change to end")
    assert saver.wait() == 0
    assert re.search(r"Loaded .*MPR\.DLL.*: native", saver.stderr(), re.IGNORECASE), saver.stderr()[-2000:]
    assert seen == set()


@pytest.mark.parametrize("failing, calls", [
    ("create", ["wglCreateContext handle"]),
    ("current", ["wglCreateContext handle", "wglMakeCurrent handle", "wglDeleteContext handle"]),
], ids=["no-context", "context-not-current"])
def test_a_context_that_fails_after_a_good_pixel_format_ends_cleanly(wine, failing, calls):
    # Under Wine a pixel format that was set always gives a context, so a
    # stand-in OPENGL32.DLL beside a copy of the saver fails it instead.
    fake = harness.windows_build_dir() / "tests" / "faults" / "opengl-without-context" / "OPENGL32.DLL"
    assert fake.exists(), f"{fake} is missing: build the Windows tree"
    folder = Path(tempfile.mkdtemp(prefix="pellix-gl.", dir=wine.root))
    shutil.copy(harness.saver_path(), folder / "pellix.scr")
    shutil.copy(fake, folder / "OPENGL32.DLL")
    log = folder / "gl.log"
    env = {"WINEDLLOVERRIDES": wine.env["WINEDLLOVERRIDES"] + ";opengl32=n",
           "PELLIX_TEST_GL_FAIL": failing, "PELLIX_TEST_GL_LOG": harness.windows_path(log)}
    saver = wine.start(folder / "pellix.scr", "/s", winedebug="-all,+loaddll", cwd=folder, env=env)
    boxes = []

    def ended():
        box = wine.find_window(MESSAGE_BOX_CLASS, "Error")
        if box is not None:
            boxes.append(box)
            wine.post_message(box["hwnd"], WM_CLOSE)
        return not saver.running()

    wait_until(ended, END_SECONDS, "the saver to end")
    assert saver.wait() == 0
    assert re.search(r"Loaded .*OPENGL32\.DLL.*: native", saver.stderr(), re.IGNORECASE), saver.stderr()[-2000:]
    assert log.read_text().splitlines() == calls
    assert boxes == [], "a context failure has no message box"
    assert wine.find_window("OpenGL", "SaverWindow") is None
    assert not wine.screensaver_running()
