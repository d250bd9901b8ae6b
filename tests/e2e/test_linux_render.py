"""pellix-render, the offline frame renderer: no display, same arguments give
the same bytes, and the frames are the kaleidoscope the keys asked for."""

import os
import subprocess
import sys
from pathlib import Path

import numpy as np
import pytest
from PIL import Image

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "linux"))

from linux_session import is_blank, program, shows_slots  # noqa: E402

RUN_SECONDS = 300
# 4 s of frames, one kept a second; the 2 key at 1.5 s glides from 10 to 14
# slots by 3.5 s.
GLIDE = ["--size", "320x180", "--seconds", "4", "--every", "24", "--keys", "2@1.5"]
FRAMES = ["frame-00024.png", "frame-00048.png", "frame-00072.png", "frame-00096.png"]


def render(out_dir, *arguments):
    env = {key: value for key, value in os.environ.items() if key not in ("DISPLAY", "WAYLAND_DISPLAY")}
    return subprocess.run([str(program("pellix-render")), *arguments, "--out", str(out_dir)], env=env,
                          capture_output=True, text=True, timeout=RUN_SECONDS)


def frames(out_dir):
    return {path.name: path.read_bytes() for path in sorted(Path(out_dir).glob("*.png"))}


def picture(path):
    return np.asarray(Image.open(path).convert("RGB"))


def test_same_arguments_give_the_same_bytes_and_another_seed_other_ones(tmp_path):
    runs = {}
    for name, seed in (("first", "5"), ("again", "5"), ("other", "6")):
        result = render(tmp_path / name, *GLIDE, "--seed", seed)
        assert result.returncode == 0, result.stderr
        # Each kept frame's path, in order, on standard output.
        assert result.stdout.splitlines() == [str(tmp_path / name / frame) for frame in FRAMES]
        runs[name] = frames(tmp_path / name)
    assert list(runs["first"]) == FRAMES
    assert runs["first"] == runs["again"]
    for frame in FRAMES:
        assert runs["first"][frame] != runs["other"][frame], frame


def test_frames_show_the_keys_glide_and_the_mirror_switch(tmp_path):
    result = render(tmp_path / "glide", *GLIDE)
    assert result.returncode == 0, result.stderr
    before, gliding, _, after = (picture(tmp_path / "glide" / frame) for frame in FRAMES)
    assert before.shape == (180, 320, 3)
    assert not is_blank(before)
    assert shows_slots(before, 10)
    assert not shows_slots(gliding, 10) and not shows_slots(gliding, 14)
    assert shows_slots(after, 14)
    assert not shows_slots(after, 10)

    result = render(tmp_path / "plain", "--size", "320x180", "--seconds", "1", "--every", "24", "--no-mirrors")
    assert result.returncode == 0, result.stderr
    plain = picture(tmp_path / "plain" / "frame-00024.png")
    assert not is_blank(plain)
    assert not shows_slots(plain, 10)

    result = render(tmp_path / "toggled", "--size", "320x180", "--seconds", "1", "--every", "24", "--keys", "M@0")
    assert result.returncode == 0, result.stderr
    assert (tmp_path / "toggled" / "frame-00024.png").read_bytes() == \
        (tmp_path / "plain" / "frame-00024.png").read_bytes()


@pytest.mark.parametrize("arguments", [["--size", "0x10"], ["--seed", "-1"], ["--every", "0"],
                                       ["--keys", "2@x"], ["--seconds", "0"], ["--frobnicate"]])
def test_bad_arguments_print_one_usage_line_and_end_with_two(tmp_path, arguments):
    result = render(tmp_path / "bad", *arguments)
    assert result.returncode == 2
    assert result.stderr.startswith("usage: pellix-render")
    assert result.stderr.count("\n") == 1
    assert not (tmp_path / "bad").exists()


def test_an_output_folder_that_cannot_be_made_fails_cleanly(tmp_path):
    blocker = tmp_path / "file"
    blocker.write_text("not a folder")
    result = render(blocker / "below", "--seconds", "0.1", "--every", "1")
    assert result.returncode == 1
    assert "cannot make the folder" in result.stderr
