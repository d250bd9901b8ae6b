"""The real pellix.scr under Wine: run modes, the saver window and its frames."""

import re
import subprocess

import numpy as np
import pytest

import harness
from harness import WM_CLOSE, WS_CHILD, WS_POPUP, WS_VISIBLE, wait_until

SAVER_X_CLASS = r"^pellix\.scr$"
PARENT_WIDTH = 320
PARENT_HEIGHT = 240
START_SECONDS = 90
END_SECONDS = 60
# Wine reports the presented rate once a second; two reports above zero mean
# the loop went on presenting, not that one frame slipped out.
PRESENTING_REPORTS = 2
ALLOWED_IMPORTS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "opengl32.dll", "glu32.dll",
                   "msvcrt.dll"}


def presenting(process, reports=PRESENTING_REPORTS):
    return len([rate for rate in process.fps_reports() if rate > 0]) >= reports


def wait_presenting(process):
    wait_until(lambda: presenting(process), START_SECONDS, f"{process.name} to present frames")


@pytest.mark.parametrize("args", [["/x"], ["/"], ["/p", "0"], ["/p", "999999999"]],
                         ids=["unknown-switch", "lone-slash", "preview-null", "preview-no-window"])
def test_switches_without_a_window_end_quietly(wine, args):
    saver = wine.start_saver(*args, trace_fps=True)
    seen = set()

    def ended():
        # A message box or a saver window would be a visible X window of the
        # program; a message box would also keep it from ending.
        seen.update(wine.x_windows(x_class=SAVER_X_CLASS))
        return not saver.running()

    wait_until(ended, END_SECONDS, f"{saver.name} to end")
    assert saver.wait() == 0
    assert seen == set()
    assert saver.fps_reports() == []


def test_full_screen_covers_the_screen_and_presents_frames(wine):
    assert not wine.screensaver_running()
    saver = wine.start_saver("/s", trace_fps=True)

    window = wine.wait_window("OpenGL", "SaverWindow", START_SECONDS)
    assert window["style"] & (WS_POPUP | WS_VISIBLE) == WS_POPUP | WS_VISIBLE
    assert window["style"] & WS_CHILD == 0
    assert window["parent"] == 0
    assert (window["x"], window["y"], window["width"], window["height"]) == (
        0, 0, harness.SCREEN_WIDTH, harness.SCREEN_HEIGHT)
    x_window = wine.wait_x_window("^SaverWindow$", SAVER_X_CLASS)
    assert wine.x_geometry(x_window) == {"x": 0, "y": 0, "width": harness.SCREEN_WIDTH,
                                         "height": harness.SCREEN_HEIGHT}
    assert wine.screensaver_running()

    wait_presenting(saver)
    first = np.asarray(wine.screenshot(), dtype=np.int16)
    assert first.max() > 0, "the saver's frames never reached the screen"
    wait_until(lambda: np.abs(np.asarray(wine.screenshot(), dtype=np.int16) - first).max() > 0,
               START_SECONDS, "the picture on the screen to change")
    assert saver.running()

    # Any key that is not a command closes the saver inside its grace period.
    wine.focus(x_window)
    wine.key("x")
    assert saver.wait(END_SECONDS) == 0
    assert not wine.screensaver_running()


@pytest.mark.parametrize("screensaver_state", [False, True], ids=["state-off", "state-on"])
def test_preview_is_a_child_filling_its_parent_and_ends_with_it(wine, screensaver_state):
    # The preview leaves the screen-saver-running state as it finds it, on or off.
    wine.set_screensaver_running(screensaver_state)
    host, parent = wine.start_parent(PARENT_WIDTH, PARENT_HEIGHT)
    outer = wine.describe_window(parent)
    saver = wine.start_saver("/p", parent, trace_fps=True)

    children = wait_until(lambda: wine.child_windows(parent), START_SECONDS, "the preview window")
    assert [(child["class"], child["title"]) for child in children] == [("OpenGL", "SaverWindow")]
    child = children[0]
    assert child["style"] & (WS_CHILD | WS_VISIBLE) == WS_CHILD | WS_VISIBLE
    assert child["parent"] == parent
    assert (child["clientx"], child["clienty"]) == (0, 0)
    assert (child["width"], child["height"]) == (outer["width"], outer["height"])
    wait_presenting(saver)
    assert wine.screensaver_running() == screensaver_state

    assert wine.post_message(parent, WM_CLOSE)
    assert host.wait(END_SECONDS) == 0
    assert saver.wait(END_SECONDS) == 0
    assert wine.screensaver_running() == screensaver_state
    wine.set_screensaver_running(False)


def test_saver_is_a_gui_program_importing_only_windows_dlls():
    dump = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", str(harness.saver_path())],
                          capture_output=True, text=True, check=True).stdout
    assert re.search(r"^Subsystem\s+0+2\s+\(Windows GUI\)", dump, re.MULTILINE)
    imports = {name.lower() for name in re.findall(r"DLL Name: (\S+)", dump)}
    assert "kernel32.dll" in imports
    assert imports <= ALLOWED_IMPORTS, f"unexpected imports: {sorted(imports - ALLOWED_IMPORTS)}"
