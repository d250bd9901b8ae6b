"""The real pellix.scr running full screen under Wine for a long time
(PELLIX_SOAK_WINE_SECONDS, 600 by default): it keeps presenting at its paced
rate and its memory stays flat. Run by scripts/soak.sh (make soak), not by
make test: the file name keeps pytest from collecting it on its own.
"""

import os
import time
from pathlib import Path

from harness import wait_until

SAVER_X_CLASS = r"^pellix\.scr$"
START_SECONDS = 90
END_SECONDS = 60
DEFAULT_SECONDS = 600
# Rates are averaged over this many of Wine's once-a-second reports at each end.
WINDOW_REPORTS = 60
MIN_FPS = 20.0
# Wine, Mesa and the X connection settle their caches in the first minutes;
# growth beyond this over the run is a leak.
RSS_GROWTH_LIMIT_KIB = 8 * 1024


def soak_seconds():
    text = os.environ.get("PELLIX_SOAK_WINE_SECONDS", "")
    return int(text) if text.isdigit() and int(text) > 0 else DEFAULT_SECONDS


def rss_kib(pid):
    for line in Path(f"/proc/{pid}/status").read_text().splitlines():
        if line.startswith("VmRSS:"):
            return int(line.split()[1])
    return 0


def mean(values):
    return sum(values) / len(values) if values else 0.0


def test_the_saver_runs_for_minutes_at_its_rate_with_flat_memory(wine):
    seconds = soak_seconds()
    saver = wine.start_saver("/s", trace_fps=True)
    wine.wait_x_window("^SaverWindow$", SAVER_X_CLASS, START_SECONDS)
    wait_until(lambda: len(saver.fps_reports()) >= 2, START_SECONDS, "the first frame-rate reports")
    window = min(WINDOW_REPORTS, max(1, seconds // 4))
    rss_start = rss_kib(saver.pid)
    started = time.monotonic()
    wait_until(lambda: not saver.running() or time.monotonic() - started >= seconds, seconds + END_SECONDS,
               "the soak to run its time", interval=1.0)
    assert saver.running(), f"the saver ended during the soak; stderr tail:\n{saver.stderr()[-2000:]}"
    rss_end = rss_kib(saver.pid)
    reports = saver.fps_reports()
    first = reports[:window]
    last = reports[-window:]
    print(f"\nsoak-wine: {seconds} s, {len(reports)} frame-rate reports")
    print(f"soak-wine: fps first {len(first)} s mean {mean(first):.2f} (min {min(first):.2f}), "
          f"last {len(last)} s mean {mean(last):.2f} (min {min(last):.2f})")
    print(f"soak-wine: RSS at start {rss_start} KiB, at end {rss_end} KiB ({rss_end - rss_start:+d} KiB)")
    assert mean(last) > MIN_FPS
    assert rss_end - rss_start < RSS_GROWTH_LIMIT_KIB

    wine.key("x")
    assert saver.wait(END_SECONDS) == 0
