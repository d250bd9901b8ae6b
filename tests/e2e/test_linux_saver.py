"""The Linux saver `pellix` under Xvfb: its window, full screen, and the
XScreenSaver modes drawing into someone else's window."""

import sys
from pathlib import Path
from xml.etree import ElementTree

import pytest

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "linux"))

from linux_session import (LinuxSession, is_blank, program, shows_slots,  # noqa: E402
                           slot_symmetry, wait_until)

REPO_ROOT = Path(__file__).resolve().parents[2]
START_SECONDS = 90
GLIDE_SECONDS = 60
END_SECONDS = 30
CENTRE = (640, 360)
THRESHOLD = 50


@pytest.fixture(scope="module")
def x_server():
    with LinuxSession() as session:
        yield session


@pytest.fixture
def x(x_server):
    """The module's X server for one test; what the test started is stopped
    afterwards, and the pointer goes back to the centre."""
    try:
        yield x_server
    finally:
        x_server.end_processes()
        x_server.mouse_move(*CENTRE)


def wait_for_slots(session, window, slots, what, timeout=START_SECONDS, size=None):
    """Waits until screenshots of `window` show `slots` mirror slots (and, if
    given, have `size` = (width, height)); returns the last screenshot."""
    last = {}

    def check():
        image = session.screenshot(window)
        last["image"] = image
        if size is not None and (image.shape[1], image.shape[0]) != size:
            return None
        return (image,) if shows_slots(image, slots) else None

    try:
        return wait_until(check, timeout, what, interval=0.5)[0]
    except AssertionError:
        image = last.get("image")
        detail = "" if image is None else f" (size {image.shape[1]}x{image.shape[0]}, " \
                                          f"symmetry {slot_symmetry(image, slots)})"
        raise AssertionError(f"{what}{detail}") from None


def test_window_draws_the_kaleidoscope_follows_a_digit_key_and_a_resize(x):
    saver = x.start([program("pellix")])
    window = x.wait_x_window("^Pellix$", START_SECONDS)
    assert x.geometry(window)["width"] == 1280
    assert x.geometry(window)["height"] == 720
    first = wait_for_slots(x, window, 10, "the 10-slot kaleidoscope in the window")
    assert not is_blank(first)

    x.focus(window)
    x.key("2")
    wait_for_slots(x, window, 14, "the glide to 14 slots after the 2 key", GLIDE_SECONDS)

    # Centred and undistorted at another aspect: the mirror lines off the
    # axes only match when the picture keeps its proportions.
    x.resize(window, 700, 600)
    wait_for_slots(x, window, 14, "the picture centred in the resized window", GLIDE_SECONDS, size=(700, 600))

    x.key("Escape")
    assert saver.wait(END_SECONDS) == 0


@pytest.mark.parametrize("key", ["Escape", "q", "Q", "close button"])
def test_window_ends_with_zero_on_its_closing_keys_and_its_close_button(x, key):
    saver = x.start([program("pellix"), "-fps"])
    window = x.wait_x_window("^Pellix$", START_SECONDS)
    saver.wait_for_fps_reports(1, START_SECONDS)
    x.focus(window)
    # Command keys steer it and leave it open.
    x.key("1", "m", "Up", "space")
    reports = len(saver.fps_reports())
    saver.wait_for_fps_reports(reports + 1)
    if key == "close button":
        assert x.run([program("pellix-test-window"), "close", window]).rc == 0
    else:
        x.key(key)
    assert saver.wait(END_SECONDS) == 0


@pytest.mark.parametrize("window_kind", ["default", "single-buffered"])
@pytest.mark.parametrize("mode", ["-window-id", "-root"])
def test_draws_into_a_given_window_and_follows_its_size(x, mode, window_kind):
    helper, window = x.test_window(480, 360, window_kind)
    if mode == "-window-id":
        saver = x.start([program("pellix"), "-window-id", hex(window)])
    else:
        # XScreenSaver names its window in decimal or hex; decimal here.
        saver = x.start([program("pellix"), "-root"], env={"XSCREENSAVER_WINDOW": str(window)})
    wait_for_slots(x, window, 10, f"the kaleidoscope in the test window ({mode})", size=(480, 360))

    x.resize(window, 640, 400)
    wait_for_slots(x, window, 10, "the kaleidoscope following the resize", GLIDE_SECONDS, size=(640, 400))
    assert saver.running()

    # The window going away ends the saver.
    helper.stop()
    assert saver.wait(END_SECONDS) == 0


def test_root_without_a_named_window_draws_on_the_root_window(x):
    saver = x.start([program("pellix"), "-root", "-no-mirrors"])
    image = wait_until(lambda: (lambda shot: None if is_blank(shot) else (shot,))(x.screenshot("root")),
                       START_SECONDS, "a picture on the root window", interval=0.5)[0]
    # -no-mirrors: one unclipped copy, no kaleidoscope symmetry.
    assert not shows_slots(image, 10)
    assert saver.stop() == 0


def start_full_screen(x):
    x.mouse_move(*CENTRE)
    saver = x.start([program("pellix"), "-fullscreen", "-fps"])
    window = x.wait_x_window("^Pellix$", START_SECONDS)
    assert x.geometry(window) == {"x": 0, "y": 0, "width": 1280, "height": 720}
    wait_for_slots(x, "root", 10, "the full-screen kaleidoscope")
    saver.wait_for_fps_reports(1, START_SECONDS)
    return saver


def assert_still_running_after(saver, action):
    """Does `action`, lets the loop go round twice (two more -fps lines, so
    all of that input has been read), and checks that the saver is still
    open: a close would have ended it for good."""
    before = len(saver.fps_reports())
    action()
    saver.wait_for_fps_reports(before + 2)
    assert saver.running()


def within_threshold_and_command_keys(x):
    for dx, dy in [(THRESHOLD, 0), (0, THRESHOLD), (THRESHOLD, THRESHOLD), (-THRESHOLD, -THRESHOLD)]:
        x.mouse_move(CENTRE[0] + dx, CENTRE[1] + dy)
    x.mouse_move(*CENTRE)
    x.key("2", "m", "s", "space", "Left", "Up", "Right", "Down")


@pytest.mark.parametrize("closing_input", [("move", THRESHOLD + 1, 0), ("move", 0, -(THRESHOLD + 1)),
                                           ("key", "a"), ("click", 1), ("click", 3)])
def test_full_screen_stays_for_command_keys_and_small_moves_and_closes_on_other_input(x, closing_input):
    saver = start_full_screen(x)
    assert_still_running_after(saver, lambda: within_threshold_and_command_keys(x))
    kind = closing_input[0]
    if kind == "move":
        x.mouse_move(CENTRE[0] + closing_input[1], CENTRE[1] + closing_input[2])
    elif kind == "key":
        x.key(closing_input[1])
    else:
        x.click(closing_input[1])
    assert saver.wait(END_SECONDS) == 0


def test_the_hack_configuration_gives_options_that_pellix_takes(x):
    config = ElementTree.parse(REPO_ROOT / "resources" / "pellix.xml").getroot()
    assert config.tag == "screensaver"
    assert config.get("name") == "pellix" and config.get("gl") == "yes"
    assert config.findtext("_description").strip()
    arguments = [command.get("arg") for command in config.iter("command")]
    for switch in config.iter("boolean"):
        assert switch.get("_label")
        arguments += [switch.get(name) for name in ("arg-set", "arg-unset") if switch.get(name)]
    assert "-no-mirrors" in arguments
    # Every one of them together is a command line that pellix accepts.
    result = x.run([program("pellix"), *arguments, "-help"])
    assert result.rc == 0, result.stderr
    assert result.stdout.startswith("usage: pellix")


@pytest.mark.parametrize("arguments", [["-bogus"], ["-window-id"], ["-window-id", "nonsense"],
                                       ["-root", "-fullscreen"], ["fullscreen"]])
def test_bad_options_print_one_usage_line_and_end_with_two(x, arguments):
    result = x.run([program("pellix"), *arguments])
    assert result.rc == 2
    assert result.stderr.startswith("usage: pellix")
    assert result.stderr.count("\n") == 1


def test_no_display_is_a_clear_failure(x):
    result = x.run([program("pellix")], env={"DISPLAY": ":99999"})
    assert result.rc == 1
    assert "cannot open the X display" in result.stderr


def test_a_window_id_that_names_no_window_is_a_clear_failure(x):
    result = x.run([program("pellix"), "-window-id", "0x7ffffff"])
    assert result.rc == 1
    assert "there is no window 0x7ffffff" in result.stderr
