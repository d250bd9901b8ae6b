"""End-to-end harness: the real Windows programs under Wine on a private X server.

One `WineSession` owns everything a test run needs and gives it all back on
`close()` (also at interpreter exit, and through the pytest fixtures in
conftest.py even when a test fails):

- its own Xvfb, started with ``-displayfd`` so it picks a free display, stopped
  by PID;
- a fresh temporary WINEPREFIX, booted once (``wineboot -i``), served by one
  persistent wineserver that ``wineserver -k`` under that prefix ends;
- every Windows process it started, ended by PID.

Finding the programs
    ``windows_build_dir()`` is ``$PELLIX_WINDOWS_BUILD`` or ``build/windows``
    of this checkout; ``saver_path()`` is ``pellix.scr`` in it and
    ``testhost_path()`` the helper ``winhelpers/pellix-testhost.exe``
    (tests/e2e/winhelpers/TestHost.cpp documents its commands).

Waiting
    ``wait_until(predicate, timeout, what)`` polls until the predicate gives
    a truthy value and returns it, or fails the test with ``what``. Tests wait
    for conditions with generous limits; they never sleep a fixed time.

Processes (``WineSession``)
    ``start(program, *args, trace_fps=False, winedebug=None, cwd=None,
    env=None)`` -> ``WineProcess``; ``start_saver(*args, **kw)`` the same for
    pellix.scr; ``run(program, *args, timeout=120)`` -> ``RunResult`` (rc,
    stdout, stderr) for a program expected to end; ``end_processes()`` ends
    whatever this session started that still runs (the ``wine`` fixture calls
    it after every test).
    ``WineProcess``: ``pid``, ``running()``, ``wait(timeout)`` -> exit code
    (fails the test when it does not end), ``kill()``, ``stdout()``,
    ``stderr()``, ``wait_for_output(regex, timeout, stream="stdout")`` -> match,
    ``fps_reports()`` -> the presented frame rates Wine's ``+fps`` channel
    printed (once a second; needs ``trace_fps=True``).

Win32 windows (through pellix-testhost; a window is a dict with the keys
hwnd, class, title, x, y, width, height, clientx, clienty, style, parent,
visible, numbers as int)
    ``start_parent(width, height, title)`` -> (process, hwnd): a top-level
    window of that outer size for ``/p``; ``find_window(win_class, title)``
    (None or "*" for any) -> window or None; ``wait_window(win_class, title,
    timeout)``; ``describe_window(hwnd)``; ``child_windows(hwnd)`` -> list;
    ``post_message(hwnd, message, wparam=0, lparam=0)`` -> bool;
    ``screensaver_running()`` -> bool (SPI_GETSCREENSAVERRUNNING),
    ``set_screensaver_running(bool)`` (a killed saver leaves the state on).

X windows (Wine maps each visible top-level window to an X window whose
WM_NAME is the title and whose WM_CLASS is the program's file name, e.g.
"pellix.scr"; the Win32 class is only visible through the Win32 calls above)
    ``x_windows(name=None, x_class=None)`` -> visible X window ids (both given:
    both must match; regular expressions as xdotool takes them);
    ``wait_x_window(name, x_class, timeout)`` -> id; ``x_window_names()`` ->
    {id: name} of every visible named window; ``x_geometry(id)`` -> dict x, y,
    width, height; ``screenshot(path=None)`` -> PIL RGB image of the whole
    screen (``import -window root``), also written to ``path`` if given.

Input (XTEST through xdotool, so it reaches the window with the X focus)
    ``key(*names, delay_ms=50)`` (xdotool key names: "x", "Escape", "Up",
    "2"), ``key_down(name)``, ``key_up(name)``, ``type_text(text)``,
    ``mouse_move(x, y)``, ``mouse_move_relative(dx, dy)``, ``click(button=1)``,
    ``mouse_position()`` -> (x, y), ``focus(x_window_id)``.

Registry of the session's prefix (``wine reg``)
    ``reg_add(key, name, data, value_type="REG_DWORD")``, ``reg_query(key,
    name)`` -> (type, text) or None, ``reg_dword(key, name)`` -> int or None,
    ``reg_delete(key, name=None)`` (a whole key when name is None; a missing
    key or value is not an error).

Environment
    ``session.env`` is the environment every program of the session gets
    (DISPLAY, WINEPREFIX, WINEDEBUG=-all, WINEDLLOVERRIDES); ``session.display``
    is ":N"; ``session.prefix`` the prefix folder; ``session.log_dir`` holds
    each process's standard output and error.
"""

import atexit
import os
import re
import select
import shutil
import signal
import subprocess
import tempfile
import time
from dataclasses import dataclass
from io import BytesIO
from pathlib import Path

from PIL import Image

REPO_ROOT = Path(__file__).resolve().parents[2]

SCREEN_WIDTH = 1280
SCREEN_HEIGHT = 720
SCREEN_DEPTH = 24

XVFB_START_SECONDS = 30
WINEBOOT_SECONDS = 300
COMMAND_SECONDS = 120
PROCESS_END_SECONDS = 20
POLL_SECONDS = 0.1

# No Mono or Gecko prompts, and no menu entries written into $HOME.
WINE_DLL_OVERRIDES = "mscoree,mshtml=,winemenubuilder.exe=d"
# "    NAME    TYPE    DATA" as reg query prints a value (names may hold spaces).
REG_VALUE_LINE = re.compile(r"^ {4}(.*?) {4}(REG_\w+)(?: {4}(.*))?$")
FPS_REPORT = re.compile(r"@ approx (\d+(?:\.\d+)?)fps")

WS_CHILD = 0x40000000
WS_POPUP = 0x80000000
WS_VISIBLE = 0x10000000
WM_CLOSE = 0x0010


def windows_build_dir():
    """The Windows build tree: $PELLIX_WINDOWS_BUILD or build/windows."""
    override = os.environ.get("PELLIX_WINDOWS_BUILD")
    return Path(override).resolve() if override else REPO_ROOT / "build" / "windows"


def saver_path():
    return windows_build_dir() / "pellix.scr"


def windows_path(path):
    """A Unix path as the program under Wine names it (drive Z: is /)."""
    return "Z:" + str(path).replace("/", "\\")


def testhost_path():
    return windows_build_dir() / "winhelpers" / "pellix-testhost.exe"


def wait_until(predicate, timeout=60.0, what="condition", interval=POLL_SECONDS):
    """Polls predicate until it returns something truthy, which is returned.
    Fails the test with `what` when `timeout` seconds pass first."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise AssertionError(f"timed out after {timeout:.0f} s waiting for {what}")
        time.sleep(interval)


@dataclass
class RunResult:
    rc: int
    stdout: str
    stderr: str


class WineProcess:
    """One program started under Wine; the Unix PID is the Windows process.
    The Linux session's programs are the same with their own frame-rate line."""

    fps_line = FPS_REPORT

    def __init__(self, popen, name, stdout_path, stderr_path):
        self.popen = popen
        self.name = name
        self.stdout_path = stdout_path
        self.stderr_path = stderr_path

    @property
    def pid(self):
        return self.popen.pid

    def running(self):
        return self.popen.poll() is None

    def wait(self, timeout=60.0):
        """The exit code; fails the test when the program is still running."""
        try:
            return self.popen.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise AssertionError(
                f"{self.name} still running after {timeout:.0f} s; stderr tail:\n{self.stderr()[-2000:]}"
            ) from None

    def kill(self):
        if self.running():
            try:
                os.kill(self.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        try:
            self.popen.wait(timeout=PROCESS_END_SECONDS)
        except subprocess.TimeoutExpired:
            pass

    def stdout(self):
        return _read_text(self.stdout_path)

    def stderr(self):
        return _read_text(self.stderr_path)

    def wait_for_output(self, pattern, timeout=60.0, stream="stdout"):
        reader = self.stdout if stream == "stdout" else self.stderr
        regex = re.compile(pattern)

        def found():
            match = regex.search(reader())
            if match is None and not self.running():
                match = regex.search(reader())
                if match is None:
                    raise AssertionError(f"{self.name} ended (rc {self.popen.returncode}) without {pattern!r}")
            return match

        return wait_until(found, timeout, f"{pattern!r} from {self.name}")

    def fps_reports(self):
        return [float(value) for value in self.fps_line.findall(self.stderr())]


def _read_text(path):
    try:
        return Path(path).read_text(errors="replace")
    except FileNotFoundError:
        return ""


def _parse_window_line(line):
    window = {}
    for field in line.rstrip("\n").split("\t"):
        key, _, value = field.partition("=")
        window[key] = value
    for key in ("hwnd", "x", "y", "width", "height", "clientx", "clienty", "parent", "visible"):
        window[key] = int(window[key])
    window["style"] = int(window["style"], 16)
    return window


class Xvfb:
    """A private X server on a display it picks itself."""

    def __init__(self, width=SCREEN_WIDTH, height=SCREEN_HEIGHT, depth=SCREEN_DEPTH, log_path=os.devnull):
        self.size = (width, height, depth)
        self.log_path = log_path
        self.popen = None
        self.display = None

    def start(self):
        read_end, write_end = os.pipe()
        width, height, depth = self.size
        with open(self.log_path, "ab") as log:
            self.popen = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{width}x{height}x{depth}",
                 "-nolisten", "tcp"],
                pass_fds=(write_end,), stdout=log, stderr=log, stdin=subprocess.DEVNULL,
                start_new_session=True)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + XVFB_START_SECONDS
        try:
            while not number.endswith(b"\n"):
                remaining = deadline - time.monotonic()
                if remaining <= 0 or not select.select([read_end], [], [], remaining)[0]:
                    break
                chunk = os.read(read_end, 16)
                if not chunk:
                    break
                number += chunk
        finally:
            os.close(read_end)
        if not number.strip().isdigit():
            self.stop()
            raise RuntimeError("Xvfb did not report a display")
        self.display = ":" + number.strip().decode()
        return self.display

    def stop(self):
        if self.popen is not None and self.popen.poll() is None:
            self.popen.terminate()
            try:
                self.popen.wait(timeout=PROCESS_END_SECONDS)
            except subprocess.TimeoutExpired:
                self.popen.kill()
                self.popen.wait()
        self.popen = None


class WineSession:
    """Xvfb + a booted temporary WINEPREFIX + the processes started in it."""

    def __init__(self, width=SCREEN_WIDTH, height=SCREEN_HEIGHT):
        self.width = width
        self.height = height
        self.root = None
        self.prefix = None
        self.log_dir = None
        self.xvfb = None
        self.env = None
        self.processes = []
        self.closed = False
        self.counter = 0

    @property
    def display(self):
        return self.xvfb.display if self.xvfb else None

    def open(self):
        """Starts the display and boots the prefix. Cleans up if that fails."""
        atexit.register(self.close)
        try:
            self.root = Path(tempfile.mkdtemp(prefix="pellix-e2e."))
            self.prefix = self.root / "prefix"
            self.log_dir = self.root / "logs"
            self.log_dir.mkdir()
            self.xvfb = Xvfb(self.width, self.height, log_path=self.log_dir / "xvfb.log")
            self.xvfb.start()
            self.env = dict(os.environ)
            self.env.update(DISPLAY=self.display, WINEPREFIX=str(self.prefix), WINEDEBUG="-all",
                            WINEDLLOVERRIDES=WINE_DLL_OVERRIDES)
            self.env.pop("PELLIX_KEEP_DISPLAY", None)
            self._tool(["wineboot", "-i"], WINEBOOT_SECONDS)
            self._tool(["wineserver", "-w"], WINEBOOT_SECONDS)
            # One server for the whole session: every later program starts faster.
            self._tool(["wineserver", "-p"], COMMAND_SECONDS)
        except BaseException:
            self.close()
            raise
        return self

    def close(self):
        """Ends every process, the prefix's server and Xvfb; removes the prefix."""
        if self.closed:
            return
        self.closed = True
        self.end_processes()
        if self.env is not None:
            try:
                subprocess.run(["wineserver", "-k"], env=self.env, timeout=PROCESS_END_SECONDS,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            except (subprocess.TimeoutExpired, OSError):
                pass
        if self.xvfb is not None:
            self.xvfb.stop()
        if self.root is not None:
            shutil.rmtree(self.root, ignore_errors=True)

    def _tool(self, argv, timeout):
        with open(self.log_dir / "tools.log", "ab") as log:
            subprocess.run(argv, env=self.env, timeout=timeout, stdout=log, stderr=log,
                           stdin=subprocess.DEVNULL, check=False)

    # --- processes -----------------------------------------------------

    def start(self, program, *args, trace_fps=False, winedebug=None, cwd=None, env=None):
        program = Path(program)
        if program.parent != Path(".") and not program.exists():
            raise AssertionError(f"{program} is missing: build the Windows tree first")
        self.counter += 1
        stem = f"{self.counter:03d}-{program.name}"
        stdout_path = self.log_dir / f"{stem}.out"
        stderr_path = self.log_dir / f"{stem}.err"
        process_env = dict(self.env)
        if trace_fps:
            process_env["WINEDEBUG"] = "-all,+fps"
        if winedebug is not None:
            process_env["WINEDEBUG"] = winedebug
        if env:
            process_env.update(env)
        with open(stdout_path, "wb") as out, open(stderr_path, "wb") as err:
            popen = subprocess.Popen(["wine", str(program), *[str(arg) for arg in args]], env=process_env,
                                     cwd=cwd, stdout=out, stderr=err, stdin=subprocess.DEVNULL,
                                     start_new_session=True)
        process = WineProcess(popen, f"{program.name} {' '.join(map(str, args))}".strip(), stdout_path,
                              stderr_path)
        self.processes.append(process)
        return process

    def start_saver(self, *args, **options):
        return self.start(saver_path(), *args, **options)

    def run(self, program, *args, timeout=COMMAND_SECONDS, **options):
        process = self.start(program, *args, **options)
        rc = process.wait(timeout)
        return RunResult(rc, process.stdout(), process.stderr())

    def end_processes(self):
        """Kills what still runs; True when something had to be killed."""
        killed = False
        for process in self.processes:
            if process.running():
                killed = True
                process.kill()
        self.processes = [process for process in self.processes if process.running()]
        return killed

    # --- Win32 windows through the helper ------------------------------

    def testhost(self, *args, timeout=COMMAND_SECONDS):
        return self.run(testhost_path(), *args, timeout=timeout)

    def start_parent(self, width, height, title="PellixTestParent"):
        process = self.start(testhost_path(), "parent", width, height, title)
        match = process.wait_for_output(r"hwnd\t(\d+)\n", COMMAND_SECONDS)
        return process, int(match.group(1))

    def find_window(self, win_class=None, title=None):
        result = self.testhost("find", win_class or "*", title or "*")
        return _parse_window_line(result.stdout) if result.rc == 0 and result.stdout.strip() else None

    def wait_window(self, win_class=None, title=None, timeout=60.0):
        return wait_until(lambda: self.find_window(win_class, title), timeout,
                          f"a window of class {win_class!r} titled {title!r}", interval=0.5)

    def describe_window(self, hwnd):
        result = self.testhost("describe", hwnd)
        return _parse_window_line(result.stdout) if result.rc == 0 and result.stdout.strip() else None

    def child_windows(self, hwnd):
        result = self.testhost("children", hwnd)
        return [_parse_window_line(line) for line in result.stdout.splitlines() if line.strip()]

    def post_message(self, hwnd, message, wparam=0, lparam=0):
        return self.testhost("post", hwnd, message, wparam, lparam).rc == 0

    def screensaver_running(self):
        result = self.testhost("screensaver-running")
        return result.stdout.split("\t")[-1].strip() == "1"

    def set_screensaver_running(self, running):
        """Sets the system state, e.g. back off after a test killed a saver."""
        self.testhost("screensaver-running", 1 if running else 0)

    # --- X windows and the screen --------------------------------------

    def _x(self, *argv, check=False):
        return subprocess.run(list(argv), env=self.env, capture_output=True, text=True,
                              timeout=COMMAND_SECONDS, check=check)

    def x_windows(self, name=None, x_class=None):
        # xdotool matches one pattern against the fields it is told to look
        # at, so a name and a class are two searches whose answers must agree.
        searches = [("--name", name), ("--class", x_class)]
        found = None
        for field, pattern in searches:
            if pattern is None:
                continue
            ids = set(self._x_search(field, pattern))
            found = ids if found is None else found & ids
        if found is None:
            found = set(self._x_search("--name", "."))
        return sorted(found)

    def _x_search(self, field, pattern):
        output = self._x("xdotool", "search", "--onlyvisible", field, pattern).stdout
        return [int(line) for line in output.split()]

    def wait_x_window(self, name=None, x_class=None, timeout=60.0):
        windows = wait_until(lambda: self.x_windows(name, x_class), timeout,
                             f"an X window named {name!r} of class {x_class!r}")
        return windows[0]

    def x_window_names(self):
        names = {}
        for window in self.x_windows():
            names[window] = self._x("xdotool", "getwindowname", str(window)).stdout.rstrip("\n")
        return names

    def x_geometry(self, window):
        output = self._x("xwininfo", "-id", str(window)).stdout
        fields = {
            "x": r"Absolute upper-left X:\s+(-?\d+)",
            "y": r"Absolute upper-left Y:\s+(-?\d+)",
            "width": r"Width:\s+(\d+)",
            "height": r"Height:\s+(\d+)",
        }
        geometry = {}
        for key, pattern in fields.items():
            match = re.search(pattern, output)
            if match is None:
                return None
            geometry[key] = int(match.group(1))
        return geometry

    def screenshot(self, path=None):
        data = self._x_bytes("import", "-display", self.display, "-window", "root", "png:-")
        image = Image.open(BytesIO(data)).convert("RGB")
        if path is not None:
            image.save(path)
        return image

    def _x_bytes(self, *argv):
        return subprocess.run(list(argv), env=self.env, capture_output=True, timeout=COMMAND_SECONDS,
                              check=True).stdout

    # --- input -----------------------------------------------------------

    def key(self, *names, delay_ms=50):
        self._x("xdotool", "key", "--delay", str(delay_ms), *names, check=True)

    def key_down(self, name):
        self._x("xdotool", "keydown", name, check=True)

    def key_up(self, name):
        self._x("xdotool", "keyup", name, check=True)

    def type_text(self, text, delay_ms=50):
        self._x("xdotool", "type", "--delay", str(delay_ms), text, check=True)

    def mouse_move(self, x, y):
        self._x("xdotool", "mousemove", str(x), str(y), check=True)

    def mouse_move_relative(self, dx, dy):
        self._x("xdotool", "mousemove_relative", "--", str(dx), str(dy), check=True)

    def click(self, button=1):
        self._x("xdotool", "click", str(button), check=True)

    def mouse_position(self):
        output = self._x("xdotool", "getmouselocation", "--shell", check=True).stdout
        values = dict(line.split("=", 1) for line in output.split())
        return int(values["X"]), int(values["Y"])

    def focus(self, window):
        self._x("xdotool", "windowfocus", "--sync", str(window))

    # --- registry --------------------------------------------------------

    def reg_add(self, key, name, data, value_type="REG_DWORD"):
        result = self.run("reg", "add", key, "/v", name, "/t", value_type, "/d", data, "/f")
        if result.rc != 0:
            raise AssertionError(f"reg add {key} {name} failed: {result.stderr[-500:]}")

    def reg_query(self, key, name):
        result = self.run("reg", "query", key, "/v", name)
        if result.rc != 0:
            return None
        for line in result.stdout.splitlines():
            match = REG_VALUE_LINE.match(line)
            if match is not None and match.group(1).lower() == name.lower():
                return match.group(2), match.group(3) or ""
        return None

    def reg_dword(self, key, name):
        value = self.reg_query(key, name)
        if value is None or value[0] != "REG_DWORD":
            return None
        return int(value[1], 0)

    def reg_delete(self, key, name=None):
        argv = ["reg", "delete", key] + (["/v", name] if name is not None else []) + ["/f"]
        self.run(*argv)
