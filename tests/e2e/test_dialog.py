"""The real pellix.scr under Wine: the configuration dialog with real key
presses, the mirror setting it stores as the next full-screen run sees it,
and the password change handed to a stand-in password provider."""

import shutil
import sys
import tempfile
from pathlib import Path

import numpy as np
import pytest

import harness
from harness import wait_until, windows_path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "linux"))

from linux_session import shows_slots  # noqa: E402

SAVER_X_CLASS = r"^pellix\.scr$"
DIALOG_CLASS = "#32770"
DIALOG_TITLE = "Config dialog"
SAVER_KEY = r"HKCU\Software\Vessop\Quorrel Saver"
VENDOR_KEY = r"HKCU\Software\Vessop"
MIRRORS = "UseMirrors"
START_SECONDS = 90
END_SECONDS = 60
SLOTS = 10
# Screenshots of a running kaleidoscope that must all lack the symmetry.
PLAIN_SHOTS = 3
WM_SYSCOMMAND = 0x0112
SC_CLOSE = 0xF060
TOGGLE_BOX = ["Tab", "Tab", "space"]  # OK, Cancel, then the box in tab order
MPR_LOG = "PELLIX_TEST_MPR_LOG"


def shell_fake(*parts):
    path = harness.windows_build_dir().joinpath("tests", "shell", "fakes", *parts)
    assert path.exists(), f"{path} is missing: build the Windows tree"
    return path


@pytest.fixture
def settings(wine):
    """The saver's own key removed before and after the test."""
    wine.reg_delete(VENDOR_KEY)
    try:
        yield wine
    finally:
        wine.reg_delete(VENDOR_KEY)


def store(wine, value):
    if value is not None:
        wine.reg_add(SAVER_KEY, MIRRORS, str(value))


def open_dialog(wine, *args):
    saver = wine.start_saver("/c", *args)
    dialog = wine.wait_window(DIALOG_CLASS, DIALOG_TITLE, START_SECONDS)
    wine.focus(wine.wait_x_window(f"^{DIALOG_TITLE}$", SAVER_X_CLASS, START_SECONDS))
    return saver, dialog


def answer_dialog(wine, keys):
    """Opens the dialog, presses `keys` and waits for the program to end."""
    saver, _ = open_dialog(wine)
    wine.key(*keys)
    assert saver.wait(END_SECONDS) == 0


def test_config_shows_its_dialog_with_the_option_and_the_key_help(settings):
    wine = settings
    saver, dialog = open_dialog(wine)
    assert saver.running()
    controls = [(child["class"].lower(), child["title"]) for child in wine.child_windows(dialog["hwnd"])]
    texts = [title for _, title in controls]
    assert texts[:2] == ["OK", "Cancel"]
    assert ("button", "Use Mirrors") in controls
    assert "Version 1.0" in texts
    information = [title for kind, title in controls[2:5]]
    assert all(kind == "static" and title for kind, title in controls[2:5]), controls
    help_text = " ".join(information)
    assert "M" in help_text and "Up" in help_text and "0" in help_text, information
    wine.key("Escape")
    assert saver.wait(END_SECONDS) == 0


@pytest.mark.parametrize("stored, keys, expected", [
    (None, ["Return"], 1),
    (None, TOGGLE_BOX + ["Return"], 0),
    (0, ["Return"], 0),
    (0, TOGGLE_BOX + ["Return"], 1),
    (1, TOGGLE_BOX + ["Return"], 0),
], ids=["nothing-stored", "nothing-stored-box-cleared", "off-kept", "off-box-ticked", "on-box-cleared"])
def test_enter_stores_the_box_as_a_dword(settings, stored, keys, expected):
    wine = settings
    store(wine, stored)
    answer_dialog(wine, keys)
    assert wine.reg_query(SAVER_KEY, MIRRORS) == ("REG_DWORD", f"0x{expected:x}")


@pytest.mark.parametrize("stored", [None, 0, 1], ids=["nothing-stored", "off", "on"])
@pytest.mark.parametrize("leave", ["escape", "cancel-button", "close-box"])
def test_leaving_without_ok_stores_nothing(settings, stored, leave):
    wine = settings
    store(wine, stored)
    saver, dialog = open_dialog(wine)
    wine.key(*TOGGLE_BOX)
    if leave == "escape":
        wine.key("Escape")
    elif leave == "cancel-button":
        wine.key("shift+Tab", "space")
    else:
        assert wine.post_message(dialog["hwnd"], WM_SYSCOMMAND, SC_CLOSE)
    assert saver.wait(END_SECONDS) == 0
    if stored is None:
        assert wine.reg_query(SAVER_KEY, MIRRORS) is None
    else:
        assert wine.reg_dword(SAVER_KEY, MIRRORS) == stored


@pytest.mark.parametrize("mirrors", [False, True], ids=["stored-off", "stored-on"])
def test_the_next_full_screen_run_draws_with_the_stored_setting(settings, mirrors):
    wine = settings
    store(wine, 0 if mirrors else 1)
    answer_dialog(wine, TOGGLE_BOX + ["Return"])
    assert wine.reg_dword(SAVER_KEY, MIRRORS) == (1 if mirrors else 0)

    saver = wine.start_saver("/s", trace_fps=True)
    wait_until(lambda: len([rate for rate in saver.fps_reports() if rate > 0]) >= 2, START_SECONDS,
               "the saver to present frames")
    if mirrors:
        wait_until(lambda: shows_slots(np.asarray(wine.screenshot()), SLOTS), START_SECONDS,
                   f"the {SLOTS}-slot kaleidoscope")
    else:
        for _ in range(PLAIN_SHOTS):
            shot = np.asarray(wine.screenshot())
            assert shot.max() > 0
            assert not shows_slots(shot, SLOTS)
    wine.focus(wine.wait_x_window("^SaverWindow$", SAVER_X_CLASS))
    wine.key("x")
    assert saver.wait(END_SECONDS) == 0


# --- password change ------------------------------------------------------

@pytest.fixture
def saver_folder(wine):
    """A copy of the saver in a folder of its own, for DLLs placed beside it."""
    folder = Path(tempfile.mkdtemp(prefix="pellix-input.", dir=wine.root))
    shutil.copy(harness.saver_path(), folder / "pellix.scr")
    try:
        yield folder
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def run_password_change(wine, folder, args, overrides):
    log = folder / "mpr.log"
    env = {MPR_LOG: windows_path(log), "WINEDLLOVERRIDES": wine.env["WINEDLLOVERRIDES"] + overrides}
    saver = wine.start(folder / "pellix.scr", *args, cwd=folder, env=env)
    seen = set()

    def ended():
        seen.update(wine.x_windows(x_class=SAVER_X_CLASS))
        return not saver.running()

    wait_until(ended, END_SECONDS, "the password change to end")
    assert saver.wait() == 0
    assert seen == set(), "the password change showed a window of its own"
    return log.read_text().splitlines() if log.exists() else []


@pytest.mark.parametrize("handle", ["parent", "number", "none"])
def test_password_change_calls_the_provider_with_its_parent(wine, saver_folder, handle):
    shutil.copy(shell_fake("mpr", "MPR.DLL"), saver_folder / "MPR.DLL")
    if handle == "parent":
        _, parent = wine.start_parent(200, 100)
        args, expected = ["/a", str(parent)], parent
    elif handle == "number":
        args, expected = ["-A:1234"], 1234
    else:
        args, expected = ["/a"], 0
    calls = run_password_change(wine, saver_folder, args, ";mpr=n")
    assert calls == [f"provider=SCRSAVE parent={expected} reserved=0,0"]


@pytest.mark.parametrize("overrides", [";mpr=d", ""], ids=["no-provider", "wine-own-provider"])
def test_password_change_without_the_stand_in_does_nothing(wine, saver_folder, overrides):
    assert run_password_change(wine, saver_folder, ["/a", "1234"], overrides) == []
