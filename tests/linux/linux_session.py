"""The Linux saver and pellix-render end to end, on a private X server.

Used by tests/e2e/test_linux_*.py; the X server itself is harness.Xvfb (its
own display, stopped by PID).

Finding the programs
    ``linux_build_dir()`` is ``$PELLIX_LINUX_BUILD`` or ``build/linux``;
    ``program(name)`` a program at its top (pellix, pellix-render,
    pellix-test-window).

``LinuxSession`` (a context manager): ``env`` with DISPLAY; ``start(argv)``
-> ``Process``; ``run(argv)`` -> harness.RunResult; ``x_windows(name)``,
``wait_x_window(name)``, ``geometry(id)``, ``screenshot(id or "root")`` ->
numpy RGB array; ``key(*names)``, ``focus(id)``, ``mouse_move(x, y)``,
``click(button)``, ``resize(id, w, h)``; ``test_window(w, h, kind)`` ->
(process, id) of a helper window (close its stdin, or ``stop()`` it, and it
goes away). ``end_processes()`` stops by PID every process started, as
``close()`` does before it stops the X server.

Picture checks
    ``mirror_difference(image, axis)``: mean absolute difference between the
    disc round the image centre and its reflection across the line through
    the centre at ``axis`` degrees (counter-clockwise from the x axis, y up).
    ``shows_slots(image, n)``: the pattern is mirror-symmetric across every
    slot boundary of n slots (the lines at 90 + k * 360 / n degrees) and not
    across the lines halfway between them, as only n slots give.
"""

import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from io import BytesIO
from pathlib import Path

import numpy as np
from PIL import Image

REPO_ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(REPO_ROOT / "tests" / "e2e"))

import harness  # noqa: E402

wait_until = harness.wait_until

COMMAND_SECONDS = 120
STOP_SECONDS = 20
# The disc the symmetry is measured on: the sprites fill it at any size.
SYMMETRY_RADIUS = 0.6
# Slot boundaries must match at least this much better than the lines between.
SYMMETRY_RATIO = 0.35
SAMPLE_STEP = 2
FPS_LINE = re.compile(r"^pellix: (\d+(?:\.\d+)?) fps$", re.MULTILINE)


def linux_build_dir():
    override = os.environ.get("PELLIX_LINUX_BUILD")
    return Path(override).resolve() if override else REPO_ROOT / "build" / "linux"


def program(name):
    path = linux_build_dir() / name
    if not path.exists():
        raise AssertionError(f"{path} is missing: build the Linux tree (make linux) "
                             "or point PELLIX_LINUX_BUILD at one")
    return path


class Process(harness.WineProcess):
    """A program of the session, its output in files."""

    fps_line = FPS_LINE

    def stop(self):
        """SIGTERM, then SIGKILL if it does not end; returns the exit code."""
        if self.popen.stdin is not None:
            self.popen.stdin.close()
        if self.running():
            self.popen.send_signal(signal.SIGTERM)
        try:
            return self.popen.wait(timeout=STOP_SECONDS)
        except subprocess.TimeoutExpired:
            self.popen.kill()
            return self.popen.wait()

    def wait_for_fps_reports(self, count, timeout=60.0):
        """Waits until -fps has printed `count` lines in all; they come once a
        second of frames, so each new one shows that the loop went round."""
        def enough():
            if not self.running():
                raise AssertionError(f"{self.name} ended (rc {self.popen.returncode}); stderr:\n"
                                     f"{self.stderr()[-2000:]}")
            return len(self.fps_reports()) >= count
        wait_until(enough, timeout, f"{count} frame-rate lines from {self.name}")


class LinuxSession:
    def __init__(self, width=harness.SCREEN_WIDTH, height=harness.SCREEN_HEIGHT):
        self.width = width
        self.height = height
        self.root = None
        self.xvfb = None
        self.env = None
        self.processes = []
        self.counter = 0

    def __enter__(self):
        self.root = Path(tempfile.mkdtemp(prefix="pellix-linux-e2e."))
        try:
            self.xvfb = harness.Xvfb(self.width, self.height, log_path=self.root / "xvfb.log")
            self.xvfb.start()
        except BaseException:
            self.close()
            raise
        self.env = dict(os.environ)
        self.env["DISPLAY"] = self.xvfb.display
        self.env.pop("XSCREENSAVER_WINDOW", None)
        return self

    def __exit__(self, *exc):
        self.close()
        return False

    def end_processes(self):
        """Stops, by PID, everything this session started."""
        for process in self.processes:
            process.stop()
        self.processes = []

    def close(self):
        self.end_processes()
        if self.xvfb is not None:
            self.xvfb.stop()
            self.xvfb = None
        if self.root is not None:
            shutil.rmtree(self.root, ignore_errors=True)
            self.root = None

    @property
    def display(self):
        return self.xvfb.display

    # --- processes -----------------------------------------------------

    def start(self, argv, env=None, stdin=False):
        self.counter += 1
        argv = [str(arg) for arg in argv]
        stem = f"{self.counter:03d}-{Path(argv[0]).name}"
        stdout_path = self.root / f"{stem}.out"
        stderr_path = self.root / f"{stem}.err"
        process_env = dict(self.env)
        if env:
            process_env.update(env)
        with open(stdout_path, "wb") as out, open(stderr_path, "wb") as err:
            popen = subprocess.Popen(argv, env=process_env, stdout=out, stderr=err,
                                     stdin=subprocess.PIPE if stdin else subprocess.DEVNULL,
                                     start_new_session=True)
        process = Process(popen, " ".join(argv), stdout_path, stderr_path)
        self.processes.append(process)
        return process

    def run(self, argv, env=None, timeout=COMMAND_SECONDS):
        process = self.start(argv, env)
        rc = process.wait(timeout)
        return harness.RunResult(rc, process.stdout(), process.stderr())

    def test_window(self, width, height, kind="default"):
        process = self.start([program("pellix-test-window"), width, height, kind], stdin=True)
        line = wait_until(lambda: process.stdout().strip() or (not process.running() and "ended"),
                          COMMAND_SECONDS, "the test window's id")
        if not line.startswith("0x"):
            raise AssertionError(f"pellix-test-window failed: {process.stderr()}")
        return process, int(line, 16)

    # --- X -------------------------------------------------------------

    def _x(self, *argv, check=False):
        return subprocess.run([str(arg) for arg in argv], env=self.env, capture_output=True, text=True,
                              timeout=COMMAND_SECONDS, check=check)

    def x_windows(self, name):
        result = self._x("xdotool", "search", "--onlyvisible", "--name", name)
        return [int(line) for line in result.stdout.split()]

    def wait_x_window(self, name, timeout=60.0):
        return wait_until(lambda: self.x_windows(name), timeout, f"an X window named {name!r}")[0]

    def geometry(self, window):
        output = self._x("xwininfo", "-id", window).stdout
        geometry = {}
        for key, pattern in (("x", r"Absolute upper-left X:\s+(-?\d+)"), ("y", r"Absolute upper-left Y:\s+(-?\d+)"),
                             ("width", r"Width:\s+(\d+)"), ("height", r"Height:\s+(\d+)")):
            match = re.search(pattern, output)
            if match is None:
                return None
            geometry[key] = int(match.group(1))
        return geometry

    def screenshot(self, window="root"):
        data = subprocess.run(["import", "-display", self.display, "-window", str(window), "png:-"],
                              env=self.env, capture_output=True, timeout=COMMAND_SECONDS, check=True).stdout
        return np.asarray(Image.open(BytesIO(data)).convert("RGB"))

    def key(self, *names):
        self._x("xdotool", "key", "--delay", "50", *names, check=True)

    def focus(self, window):
        self._x("xdotool", "windowfocus", "--sync", window)

    def mouse_position(self):
        output = self._x("xdotool", "getmouselocation", "--shell", check=True).stdout
        values = dict(line.split("=", 1) for line in output.split())
        return int(values["X"]), int(values["Y"])

    def mouse_move(self, x, y):
        # Not --sync: that waits for a movement that never comes when the
        # pointer is already there.
        self._x("xdotool", "mousemove", x, y, check=True)
        wait_until(lambda: self.mouse_position() == (x, y), COMMAND_SECONDS, f"the pointer at {x}, {y}")

    def click(self, button=1):
        self._x("xdotool", "click", button, check=True)

    def resize(self, window, width, height):
        self._x("xdotool", "windowsize", window, width, height, check=True)


# --- picture checks ------------------------------------------------------

def mirror_difference(image, axis_degrees, radius_fraction=SYMMETRY_RADIUS):
    pixels = np.asarray(image, dtype=np.float32)
    height, width = pixels.shape[:2]
    cx, cy = width / 2.0, height / 2.0
    radius = radius_fraction * min(cx, cy)
    # Every other pixel each way is plenty, and keeps polling cheap.
    rows, cols = np.mgrid[0:height:SAMPLE_STEP, 0:width:SAMPLE_STEP]
    x = cols + 0.5 - cx
    y = cy - (rows + 0.5)
    inside = x * x + y * y <= radius * radius
    px, py = x[inside], y[inside]
    twice = np.radians(2.0 * axis_degrees)
    rx = np.cos(twice) * px + np.sin(twice) * py
    ry = np.sin(twice) * px - np.cos(twice) * py
    mirror_cols = np.clip(np.floor(rx + cx).astype(int), 0, width - 1)
    mirror_rows = np.clip(np.floor(cy - ry).astype(int), 0, height - 1)
    return float(np.abs(pixels[rows[inside], cols[inside]] - pixels[mirror_rows, mirror_cols]).mean())


def slot_symmetry(image, slots):
    """(worst difference across a slot boundary, best one halfway between)."""
    step = 360.0 / slots
    # Lines through the centre repeat every 180 degrees.
    lines = slots // 2 if slots % 2 == 0 else slots
    boundaries = [mirror_difference(image, 90.0 + k * step) for k in range(lines)]
    between = [mirror_difference(image, 90.0 + (k + 0.5) * step) for k in range(lines)]
    return max(boundaries), min(between)


def shows_slots(image, slots):
    across, between = slot_symmetry(image, slots)
    return between > 0 and across < SYMMETRY_RATIO * between


def is_blank(image):
    return float(np.asarray(image, dtype=np.float32).std()) < 1.0
