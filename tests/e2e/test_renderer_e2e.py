"""The kaleidoscope of the real full-screen pellix.scr under Wine: the mirror
symmetry of what reaches the screen, a digit key's glide to another slot
count, the mirror switch, and the frame rate the pacing settles at."""

import time

import numpy as np

import harness
from harness import wait_until

SAVER_X_CLASS = r"^pellix\.scr$"
SAVER_KEY = r"HKCU\Software\Vessop\Quorrel Saver"
START_SECONDS = 90
GLIDE_SECONDS = 60
PRESENTING_REPORTS = 2
# The sprites stay inside a ring of 4 units in the plane that lies 4.5 units
# in front of the camera, whose view spans 9 units from top to bottom: the
# kaleidoscope fills a disc of 4/9 of the screen height around the centre.
PATTERN_RADIUS = harness.SCREEN_HEIGHT * 4.0 / 9.0
# A mirror line leaves the pattern much as it was; any other line through
# the centre changes it several times as much (the backdrop behind is not
# symmetric, so neither figure is 0).
MIRROR_LINE_SHARE = 0.5
PACING_SECONDS = 20
SETTLED_SECONDS = 10
TARGET_FPS = 24
FPS_TOLERANCE = 6


def reflection_difference(image, degrees):
    """Mean absolute difference, inside the pattern's disc, between the image
    and its reflection across the line through the centre at `degrees`
    (counter-clockwise from the positive x axis, y up)."""
    height, width = image.shape[:2]
    rows, columns = np.mgrid[0:height, 0:width]
    x = columns + 0.5 - width / 2.0
    y = height / 2.0 - (rows + 0.5)
    twice = np.radians(2.0 * degrees)
    mirrored_x = np.cos(twice) * x + np.sin(twice) * y
    mirrored_y = np.sin(twice) * x - np.cos(twice) * y
    mirrored_columns = np.floor(mirrored_x + width / 2.0).astype(int)
    mirrored_rows = np.floor(height / 2.0 - mirrored_y).astype(int)
    judged = ((x * x + y * y < PATTERN_RADIUS * PATTERN_RADIUS) & (mirrored_columns >= 0)
              & (mirrored_columns < width) & (mirrored_rows >= 0) & (mirrored_rows < height))
    original = image[rows[judged], columns[judged]].astype(np.int16)
    mirrored = image[mirrored_rows[judged], mirrored_columns[judged]].astype(np.int16)
    return float(np.abs(original - mirrored).mean())


def symmetry(image, slots):
    """(worst difference across the slot boundaries, best across the slots'
    middle lines) for a pattern of `slots` slots, whose boundaries lie at
    270 + k * 360 / slots degrees."""
    angle = 360.0 / slots
    lines = slots // 2
    boundaries = [reflection_difference(image, 270.0 + k * angle) for k in range(lines)]
    middles = [reflection_difference(image, 270.0 + (k + 0.5) * angle) for k in range(lines)]
    return max(boundaries), min(middles)


def mirrored_into(image, slots):
    boundaries, middles = symmetry(image, slots)
    return boundaries < MIRROR_LINE_SHARE * middles


def screenshot(wine):
    return np.asarray(wine.screenshot(), dtype=np.uint8)


def presented(saver):
    return len([rate for rate in saver.fps_reports() if rate > 0])


def start_full_screen(wine):
    wine.reg_add(SAVER_KEY, "UseMirrors", "1")
    saver = wine.start_saver("/s", trace_fps=True)
    wait_until(lambda: presented(saver) >= PRESENTING_REPORTS, START_SECONDS, "the saver to present frames")
    wine.focus(wine.wait_x_window("^SaverWindow$", SAVER_X_CLASS))
    return saver


def pattern_of(wine, slots):
    """A screenshot in a one-element list (truthy for wait_until), when it
    shows the pattern mirrored into `slots` slots."""
    image = screenshot(wine)
    return [image] if mirrored_into(image, slots) else None


def test_digit_glides_the_mirrored_pattern_to_another_slot_count(wine):
    saver = start_full_screen(wine)
    first = screenshot(wine)
    assert first.max() > 0 and first.mean() > 8, "the screen stays black"
    boundaries, middles = symmetry(first, 10)
    assert boundaries < MIRROR_LINE_SHARE * middles, (
        f"no ten-fold mirror symmetry: {boundaries:.1f} across the boundaries, {middles:.1f} across the middles")
    assert not mirrored_into(first, 14)

    # Digit 2 asks for 14 slots; the glide takes two seconds of the
    # saver's clock, screenshots here take a few seconds each.
    pressed = time.monotonic()
    wine.key("2")
    [glided] = wait_until(lambda: pattern_of(wine, 14), GLIDE_SECONDS,
                          "a fourteen-fold mirror pattern after digit 2")
    print(f"fourteen-fold pattern on screen {time.monotonic() - pressed:.1f} s after the key")
    assert not mirrored_into(glided, 10)
    assert saver.running()

    # M: one copy of the whole scene, mirrored nowhere.
    wine.key("m")
    wait_until(lambda: not mirrored_into(screenshot(wine), 14), GLIDE_SECONDS,
               "the mirrors to go off after M")
    assert saver.running()


def test_frame_rate_settles_near_24(wine):
    saver = start_full_screen(wine)
    # Nothing else is asked of the display meanwhile: one report a second
    # of the rate at which frames were presented.
    first = len(saver.fps_reports())
    wait_until(lambda: len(saver.fps_reports()) >= first + PACING_SECONDS, PACING_SECONDS * 4,
               f"{PACING_SECONDS} s of frame-rate reports")
    reports = saver.fps_reports()[first:first + PACING_SECONDS]
    settled = float(np.median(reports[-SETTLED_SECONDS:]))
    print(f"presented frames per second: {reports}")
    assert abs(settled - TARGET_FPS) <= FPS_TOLERANCE, (
        f"the rate settled at {settled:.1f} frames a second, not near {TARGET_FPS}: {reports}")
    assert saver.running()
