"""The real full-screen pellix.scr under Wine driven by real key presses,
clicks and pointer movement (XTEST through xdotool): what keeps it drawing,
what ends it, and the Windows 98 password gate with a stand-in
PASSWORD.CPL beside the saver."""

import shutil
import tempfile
from pathlib import Path

import pytest

import harness
from harness import wait_until

SAVER_X_CLASS = r"^pellix\.scr$"
SCREEN_SAVERS_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Screen Savers"
APP_DEFAULTS_KEY = r"HKCU\Software\Wine\AppDefaults\pellix.scr"
START_SECONDS = 90
END_SECONDS = 60
CENTRE = (640, 360)
COMMAND_KEYS = ["1", "2", "0", "m", "m", "Up", "Down", "Left", "Right", "space", "s"]
# Wine reports the presented rate once a second: this many more reports after
# an input mean the saver handled it and went on drawing.
REPORTS_AFTER_INPUT = 2


def presented(saver):
    return len([rate for rate in saver.fps_reports() if rate > 0])


def keeps_drawing(saver, what):
    """Waits until the saver has presented for a while longer, still running."""
    seen = presented(saver)
    wait_until(lambda: presented(saver) >= seen + REPORTS_AFTER_INPUT or not saver.running(), START_SECONDS,
               f"frames after {what}")
    assert saver.running(), f"the saver ended after {what}"


def move_pointer(wine, x, y):
    wine.mouse_move(x, y)
    wait_until(lambda: wine.mouse_position() == (x, y), END_SECONDS, f"the pointer at {x}, {y}")


def start_full_screen(wine, program=None, **options):
    move_pointer(wine, *CENTRE)
    saver = wine.start(program or harness.saver_path(), "/s", trace_fps=True, **options)
    wait_until(lambda: presented(saver) >= REPORTS_AFTER_INPUT, START_SECONDS, "the saver to present frames")
    wine.focus(wine.wait_x_window("^SaverWindow$", SAVER_X_CLASS))
    return saver


@pytest.fixture
def screen_savers_settings(wine):
    names = ("Password Delay", "Mouse Threshold")
    for name in names:
        wine.reg_delete(SCREEN_SAVERS_KEY, name)
    try:
        yield wine
    finally:
        for name in names:
            wine.reg_delete(SCREEN_SAVERS_KEY, name)


def test_command_and_system_keys_keep_it_drawing(screen_savers_settings):
    wine = screen_savers_settings
    saver = start_full_screen(wine)
    wine.key(*COMMAND_KEYS)
    keeps_drawing(saver, "the command keys")
    wine.key("alt+F4", "F10", "alt+x")
    keeps_drawing(saver, "Alt+F4, F10 and Alt+X")
    wine.key("x")
    assert saver.wait(END_SECONDS) == 0


@pytest.mark.parametrize("threshold, moves", [
    (None, [(50, 0), (0, 50), (-50, -50)]),
    (10, [(10, 0), (0, -10)]),
], ids=["default-50", "stored-10"])
@pytest.mark.parametrize("last_axis", ["x", "y"])
def test_the_pointer_closes_it_one_pixel_past_the_threshold(screen_savers_settings, threshold, moves, last_axis):
    wine = screen_savers_settings
    if threshold is not None:
        wine.reg_add(SCREEN_SAVERS_KEY, "Mouse Threshold", str(threshold))
    limit = threshold or 50
    saver = start_full_screen(wine)
    for dx, dy in moves:
        move_pointer(wine, CENTRE[0] + dx, CENTRE[1] + dy)
        keeps_drawing(saver, f"a move of {dx}, {dy}")
    past = (limit + 1, 0) if last_axis == "x" else (0, -(limit + 1))
    move_pointer(wine, CENTRE[0] + past[0], CENTRE[1] + past[1])
    assert saver.wait(END_SECONDS) == 0


@pytest.mark.parametrize("closing", ["Escape", "q", "KP_Add", "click-1", "click-2", "click-3"])
def test_other_keys_and_clicks_close_it(wine, closing):
    saver = start_full_screen(wine)
    wine.key("Up")
    keeps_drawing(saver, "the up arrow")
    if closing.startswith("click-"):
        wine.click(int(closing.split("-")[1]))
    else:
        wine.key(closing)
    assert saver.wait(END_SECONDS) == 0


# --- the Windows 98 password gate ------------------------------------------

class PasswordGate:
    """A saver copy with the stand-in PASSWORD.CPL beside it, Wine told to
    report Windows 98 to pellix.scr, and the stand-in's answer and log."""

    def __init__(self, wine):
        self.wine = wine
        self.folder = Path(tempfile.mkdtemp(prefix="pellix-input.", dir=wine.root))
        shutil.copy(harness.saver_path(), self.folder / "pellix.scr")
        panel = harness.windows_build_dir() / "tests" / "shell" / "fakes" / "answering" / "PASSWORD.CPL"
        assert panel.exists(), f"{panel} is missing: build the Windows tree"
        shutil.copy(panel, self.folder / "PASSWORD.CPL")
        self.answer_file = self.folder / "answer.txt"
        self.log = self.folder / "password.log"
        self.answer(False)

    def answer(self, right):
        self.answer_file.write_text("1" if right else "0")

    def checks(self):
        if not self.log.exists():
            return []
        return [line for line in self.log.read_text().splitlines() if line.startswith("verify ")]

    def start(self):
        env = {"PELLIX_TEST_PASSWORD_ANSWER_FILE": "Z:" + str(self.answer_file).replace("/", "\\"),
               "PELLIX_TEST_PASSWORD_LOG": "Z:" + str(self.log).replace("/", "\\")}
        return start_full_screen(self.wine, self.folder / "pellix.scr", cwd=self.folder, env=env)


@pytest.fixture
def gate(screen_savers_settings):
    wine = screen_savers_settings
    wine.reg_add(APP_DEFAULTS_KEY, "Version", "win98", "REG_SZ")
    gate = PasswordGate(wine)
    try:
        yield gate
    finally:
        wine.reg_delete(APP_DEFAULTS_KEY)
        shutil.rmtree(gate.folder, ignore_errors=True)


def test_within_the_grace_period_no_password_is_asked(gate):
    saver = gate.start()
    gate.wine.key("x")
    assert saver.wait(END_SECONDS) == 0
    assert gate.checks() == []


def test_past_the_grace_period_only_the_right_password_closes_it(gate):
    wine = gate.wine
    wine.reg_add(SCREEN_SAVERS_KEY, "Password Delay", "0")
    saver = gate.start()

    wine.key("x")
    wait_until(lambda: len(gate.checks()) == 1, END_SECONDS, "the password check")
    keeps_drawing(saver, "a wrong password")
    assert "arrow=1" in gate.checks()[0]

    # Every way to ask, after a refused check; each asks again and is refused.
    asks = [lambda: wine.key("q"), lambda: wine.click(1),
            lambda: move_pointer(wine, CENTRE[0] - 200, CENTRE[1] + 120)]
    for number, ask in enumerate(asks, start=2):
        ask()
        wait_until(lambda: len(gate.checks()) >= number, END_SECONDS, f"password check {number}")
        keeps_drawing(saver, f"wrong password {number}")
    wine.key("alt+F4")
    keeps_drawing(saver, "Alt+F4 after a refused check")

    gate.answer(True)
    wine.key("x")
    assert saver.wait(END_SECONDS) == 0
    assert gate.checks()[-1].endswith("answer=1")
