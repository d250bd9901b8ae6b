#!/usr/bin/python3
"""Measurements of the running savers for the performance report, printed as
Markdown. Run inside scripts/with-wine.sh (a private 1280 x 720 Xvfb and a
fresh WINEPREFIX); every process it starts it ends by PID.

  startup   time from process start to the first presented frame, with parts
  cpu       processor time per second and per presented frame at 1280 x 720,
            10 and 46 slots, beside XScreenSaver's gleidescope
  pacing    presented frame rate over 60 s and how long it takes to settle
"""

import os
import re
import signal
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
LINUX_BUILD = Path(os.environ.get("PELLIX_LINUX_BUILD", ROOT / "build" / "linux"))
WINDOWS_BUILD = Path(os.environ.get("PELLIX_WINDOWS_BUILD", ROOT / "build" / "windows"))
LINUX_SAVER = LINUX_BUILD / "pellix"
WINDOWS_SAVER = WINDOWS_BUILD / "pellix.scr"
GLEIDESCOPE = Path("/usr/libexec/xscreensaver/gleidescope")
WORK = Path(os.environ.get("PELLIX_BENCH_WORK", ROOT / "build" / "bench"))
WIDTH, HEIGHT = 1280, 720
STARTUP_RUNS = 5
START_LIMIT = 90.0
WARM_UP_SECONDS = 6.0
CPU_SECONDS = 20.0
PACING_SECONDS = 60
TARGET_FPS = 24.0
TOLERANCE_FPS = 1.0
TICKS = os.sysconf("SC_CLK_TCK")
TRACE = re.compile(r"^pellix-trace (\d+) (\S+)(?: (\S+))?$", re.M)
WINE_FPS = re.compile(r"@ approx (\d+(?:\.\d+)?)fps")

# Counts presented frames of any GLX or EGL program (XScreenSaver's hacks
# present through EGL): each swap writes the running count at the start of the
# file named by PELLIX_SWAP_COUNT_FILE.
SWAP_COUNTER_SOURCE = r"""
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>
typedef void (*GlxSwap)(void*, unsigned long);
typedef unsigned (*EglSwap)(void*, void*);
static unsigned long long gSwaps = 0;
static int gFile = -2;
static void countSwap(void)
{
    if (gFile == -2) {
        const char* path = getenv("PELLIX_SWAP_COUNT_FILE");
        gFile = path != 0 ? open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644) : -1;
    }
    ++gSwaps;
    if (gFile >= 0) {
        char text[32];
        int length = snprintf(text, sizeof text, "%llu\n", gSwaps);
        pwrite(gFile, text, (size_t)length, 0);
    }
}
void glXSwapBuffers(void* display, unsigned long drawable)
{
    static GlxSwap real = 0;
    if (real == 0) {
        real = (GlxSwap)dlsym(RTLD_NEXT, "glXSwapBuffers");
    }
    real(display, drawable);
    countSwap();
}
unsigned eglSwapBuffers(void* display, void* surface)
{
    static EglSwap real = 0;
    if (real == 0) {
        real = (EglSwap)dlsym(RTLD_NEXT, "eglSwapBuffers");
    }
    unsigned result = real(display, surface);
    countSwap();
    return result;
}
"""


def wait_until(predicate, timeout, what):
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise RuntimeError(f"timed out waiting for {what}")
        time.sleep(0.05)


class Program:
    """One program with its standard error in a file, ended by PID."""

    def __init__(self, argv, env=None, name="program"):
        self.name = name
        WORK.mkdir(parents=True, exist_ok=True)
        self.err_path = Path(tempfile.mkstemp(prefix=f"{name}.", suffix=".err", dir=WORK)[1])
        process_env = dict(os.environ)
        process_env.update(env or {})
        self.start_ms = time.time() * 1000.0
        with open(self.err_path, "wb") as err:
            self.popen = subprocess.Popen(argv, env=process_env, stdout=subprocess.DEVNULL, stderr=err,
                                          stdin=subprocess.DEVNULL, start_new_session=True)

    def stderr(self):
        return self.err_path.read_text(errors="replace")

    def running(self):
        return self.popen.poll() is None

    def cpu_seconds(self):
        fields = Path(f"/proc/{self.popen.pid}/stat").read_text().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / TICKS

    def stop(self):
        if self.running():
            os.kill(self.popen.pid, signal.SIGTERM)
            try:
                self.popen.wait(timeout=10)
            except subprocess.TimeoutExpired:
                os.kill(self.popen.pid, signal.SIGKILL)
                self.popen.wait()
        self.err_path.unlink(missing_ok=True)


def milestones(program):
    return [(float(ms), name, detail) for ms, name, detail in TRACE.findall(program.stderr())]


def startup_parts(program):
    """Milliseconds from the process start to each part's end, split up."""
    marks = wait_until(lambda: [m for m in milestones(program) if m[1] == "first-frame"] and milestones(program),
                       START_LIMIT, f"{program.name}'s first frame")
    times = {}
    decode = upload = 0.0
    previous = None
    for ms, name, _ in marks:
        if name == "decoded":
            decode += ms - previous
        elif name == "uploaded":
            upload += ms - previous
        else:
            times.setdefault(name, ms)
        previous = ms
    last_upload = max(ms for ms, name, _ in marks if name == "uploaded")
    return {
        "to entry": times["entry"] - program.start_ms,
        "entry to context": times["context"] - times["entry"],
        "decode (4 pictures)": decode,
        "upload (3 textures)": upload,
        "to first frame after upload": times["first-frame"] - last_upload,
        "total": times["first-frame"] - program.start_ms,
    }


def linux_saver(*args, env=None):
    return Program([str(LINUX_SAVER), *args], env=env, name="pellix")


def windows_saver(*args, env=None):
    wine_env = {"WINEDEBUG": "-all", "WINEDLLOVERRIDES": "mscoree,mshtml=,winemenubuilder.exe=d"}
    wine_env.update(env or {})
    return Program(["wine", str(WINDOWS_SAVER), *args], env=wine_env, name="pellix-scr")


def startup():
    print("## Start-up: process start to the first presented frame\n")
    print(f"Median of {STARTUP_RUNS} runs, milliseconds, 1280 x 720 under Xvfb (llvmpipe); the Windows saver "
          "under Wine with a booted prefix and its server already running. Milestones from "
          "`PELLIX_TRACE_STARTUP=1`.\n")
    results = {}
    subprocess.run(["wineserver", "-p"], check=False)
    for label, start in (("Linux saver (window)", lambda: linux_saver(env={"PELLIX_TRACE_STARTUP": "1"})),
                         ("pellix.scr /s under Wine",
                          lambda: windows_saver("/s", env={"PELLIX_TRACE_STARTUP": "1"}))):
        runs = []
        for _ in range(STARTUP_RUNS):
            program = start()
            try:
                runs.append(startup_parts(program))
            finally:
                program.stop()
        results[label] = {part: statistics.median(run[part] for run in runs) for part in runs[0]}
    labels = list(results)
    print("| part | " + " | ".join(labels) + " |")
    print("|---|" + "---:|" * len(labels))
    for part in results[labels[0]]:
        print(f"| {part} | " + " | ".join(f"{results[label][part]:.0f}" for label in labels) + " |")
    print()


def swap_counter():
    library = WORK / "swapcount.so"
    source = WORK / "swapcount.c"
    if not library.exists():
        WORK.mkdir(parents=True, exist_ok=True)
        source.write_text(SWAP_COUNTER_SOURCE)
        subprocess.run(["cc", "-shared", "-fPIC", "-O2", "-o", str(library), str(source), "-ldl"], check=True)
    return library


def swaps(path):
    try:
        return int(path.read_text().split()[0])
    except (FileNotFoundError, IndexError, ValueError):
        return 0


def x_window(name):
    out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", name], capture_output=True,
                         text=True).stdout.split()
    return out[0] if out else None


def measure_cpu(argv, label, slots_key=None):
    count_file = Path(tempfile.mkstemp(prefix="swaps.", dir=WORK)[1])
    program = Program(argv, env={"LD_PRELOAD": str(swap_counter()), "PELLIX_SWAP_COUNT_FILE": str(count_file)},
                      name=label.split()[0])
    try:
        wait_until(lambda: swaps(count_file) > 0, START_LIMIT, f"{label} to present")
        if slots_key is not None:
            window = wait_until(lambda: x_window("^Pellix$"), START_LIMIT, "the Pellix window")
            subprocess.run(["xdotool", "windowfocus", "--sync", window], check=False)
            subprocess.run(["xdotool", "key", slots_key], check=True)
        time.sleep(WARM_UP_SECONDS)  # a measuring window, not a wait for a condition
        cpu0, frames0, t0 = program.cpu_seconds(), swaps(count_file), time.monotonic()
        time.sleep(CPU_SECONDS)
        cpu1, frames1, t1 = program.cpu_seconds(), swaps(count_file), time.monotonic()
        if not program.running():
            raise RuntimeError(f"{label} ended during the measurement")
    finally:
        program.stop()
        count_file.unlink(missing_ok=True)
    seconds = t1 - t0
    frames = frames1 - frames0
    return {"cpu per s": (cpu1 - cpu0) / seconds, "fps": frames / seconds,
            "cpu ms per frame": 1000.0 * (cpu1 - cpu0) / max(frames, 1)}


def cpu():
    print("## Processor time of the running saver, 1280 x 720 under Xvfb\n")
    print(f"Measured over {CPU_SECONDS:.0f} s after {WARM_UP_SECONDS:.0f} s of warm-up, in the same run; processor "
          "time of the process (all its threads, llvmpipe's included; Xvfb's own not counted), frames "
          "counted at the buffer swap (GLX or EGL).\n")
    rows = [
        ("pellix, 10 slots", [str(LINUX_SAVER)], None),
        ("pellix, 46 slots", [str(LINUX_SAVER)], "0"),
        ("gleidescope (xscreensaver-gl)", [str(GLEIDESCOPE), "-geometry", f"{WIDTH}x{HEIGHT}+0+0"], None),
    ]
    results = [(label, measure_cpu(argv, label, key)) for label, argv, key in rows]
    reference = results[-1][1]["cpu ms per frame"]
    print("| program | CPU s per s | frames per s | CPU ms per frame | per frame vs gleidescope |")
    print("|---|---:|---:|---:|---:|")
    for label, r in results:
        print(f"| {label} | {r['cpu per s']:.3f} | {r['fps']:.1f} | {r['cpu ms per frame']:.1f} | "
              f"{r['cpu ms per frame'] / reference:.2f} |")
    print()


def settle_seconds(rates):
    """Seconds until every later once-a-second rate stays within 24 +- 1."""
    for index in range(len(rates)):
        if all(abs(rate - TARGET_FPS) <= TOLERANCE_FPS for rate in rates[index:]):
            return index + 1
    return None


def pacing_rates(program, pattern, reports):
    regex = re.compile(pattern)
    return wait_until(lambda: len(regex.findall(program.stderr())) >= reports and
                      [float(v) for v in regex.findall(program.stderr())][:reports],
                      reports + START_LIMIT, f"{program.name}'s rate reports")


def pacing():
    print(f"## Frame pacing over {PACING_SECONDS} s\n")
    print("Once-a-second rates: the Linux saver's own measurement (`-fps`), Wine's presented rate "
          "(`WINEDEBUG=+fps`) for pellix.scr. Settled: the second from which every later rate stays within "
          "24 ± 1.\n")
    rows = []
    for label, start, pattern in (
            ("Linux saver", lambda: linux_saver("-fps"), r"pellix: (\d+(?:\.\d+)?) fps"),
            ("pellix.scr /s under Wine", lambda: windows_saver("/s", env={"WINEDEBUG": "-all,+fps"}),
             WINE_FPS.pattern)):
        program = start()
        try:
            rates = pacing_rates(program, pattern, PACING_SECONDS)
        finally:
            program.stop()
        settled = settle_seconds(rates)
        rows.append((label, statistics.mean(rates), min(rates[5:]), max(rates[5:]), settled))
    print("| saver | mean fps | min after 5 s | max after 5 s | settled within 24 ± 1 after |")
    print("|---|---:|---:|---:|---:|")
    for label, mean, low, high, settled in rows:
        print(f"| {label} | {mean:.2f} | {low:.2f} | {high:.2f} | "
              f"{f'{settled} s' if settled is not None else 'not within 60 s'} |")
    print()


if __name__ == "__main__":
    {"startup": startup, "cpu": cpu, "pacing": pacing}[sys.argv[1]]()
