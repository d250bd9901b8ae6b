"""The packages CPack makes from the build trees: the Debian package installed
with apt-get on this machine, the Windows zip, and the NSIS installer run
silently under Wine."""

import fcntl
import os
import subprocess
import sys
import zipfile
from pathlib import Path

import pytest

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "linux"))

import harness  # noqa: E402
from linux_session import LinuxSession, linux_build_dir, shows_slots, wait_until  # noqa: E402

CPACK_SECONDS = 600
APT_SECONDS = 900
DRAW_SECONDS = 90
UNINSTALL_SECONDS = 120

HACK = Path("/usr/libexec/xscreensaver/pellix")
HACK_CONFIG = Path("/usr/share/xscreensaver/config/pellix.xml")
RENDERER = Path("/usr/bin/pellix-render")
# Several checkouts on one machine may run this at once: one at a time
# installs and removes the system's package.
SYSTEM_PACKAGE_LOCK = Path("/tmp/pellix-system-package.lock")
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Pellix"


def cpack(build_dir, generator, out_dir, pattern):
    if not (Path(build_dir) / "CPackConfig.cmake").exists():
        pytest.fail(f"{build_dir} is not a configured build tree")
    result = subprocess.run(["cpack", "-G", generator, "-B", str(out_dir)], cwd=build_dir, capture_output=True,
                            text=True, timeout=CPACK_SECONDS)
    assert result.returncode == 0, result.stdout[-3000:] + result.stderr[-3000:]
    made = sorted(Path(out_dir).glob(pattern))
    assert len(made) == 1, f"{generator} made {made}"
    return made[0]


@pytest.fixture(scope="module")
def deb(tmp_path_factory):
    return cpack(linux_build_dir(), "DEB", tmp_path_factory.mktemp("deb"), "pellix_*_amd64.deb")


@pytest.fixture(scope="module")
def windows_packages(tmp_path_factory):
    out = tmp_path_factory.mktemp("windows")
    build = harness.windows_build_dir()
    return cpack(build, "ZIP", out, "Pellix-*-win64.zip"), cpack(build, "NSIS", out, "Pellix-*-win64.exe")


def dpkg_installed(package):
    result = subprocess.run(["dpkg-query", "-W", "-f=${Status}", package], capture_output=True, text=True)
    return result.returncode == 0 and "install ok installed" in result.stdout


def apt_get(*arguments):
    env = dict(os.environ, DEBIAN_FRONTEND="noninteractive")
    result = subprocess.run(["apt-get", "-y", "-q", "-o", "DPkg::Lock::Timeout=600", *arguments], env=env,
                            capture_output=True, text=True, timeout=APT_SECONDS)
    assert result.returncode == 0, result.stdout[-3000:] + result.stderr[-3000:]


def test_debian_package_holds_the_hack_its_config_and_the_renderer(deb):
    listing = subprocess.run(["dpkg-deb", "-c", str(deb)], capture_output=True, text=True, check=True).stdout
    files = {line.split()[-1].lstrip(".") for line in listing.splitlines() if not line.endswith("/")}
    assert files == {str(HACK), str(HACK_CONFIG), str(RENDERER)}
    fields = subprocess.run(["dpkg-deb", "-f", str(deb), "Package", "Architecture", "Depends"],
                            capture_output=True, text=True, check=True).stdout
    assert "Package: pellix" in fields
    assert "Architecture: amd64" in fields
    for library in ("libx11-6", "libjpeg62-turbo", "libpng16-16", "libegl1"):
        assert library in fields


@pytest.mark.skipif(os.geteuid() != 0, reason="installing a package needs root")
def test_debian_package_installs_draws_and_removes_cleanly(deb, tmp_path):
    with open(SYSTEM_PACKAGE_LOCK, "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        install_draw_and_remove(deb, tmp_path)


def install_draw_and_remove(deb, tmp_path):
    apt_get("install", "--no-install-recommends", str(deb.resolve()))
    try:
        assert dpkg_installed("pellix")
        for path in (HACK, HACK_CONFIG, RENDERER):
            assert path.is_file(), path
        with LinuxSession() as x:
            _, window = x.test_window(400, 300)
            saver = x.start([HACK, "-window-id", hex(window)])
            wait_until(lambda: shows_slots(x.screenshot(window), 10), DRAW_SECONDS,
                       "the installed hack drawing the kaleidoscope")
            assert saver.stop() == 0
        rendered = subprocess.run([str(RENDERER), "--size", "64x64", "--seconds", "0.5", "--every", "12",
                                   "--out", str(tmp_path)], capture_output=True, text=True, timeout=DRAW_SECONDS)
        assert rendered.returncode == 0, rendered.stderr
        assert (tmp_path / "frame-00012.png").is_file()
    finally:
        apt_get("remove", "--purge", "pellix")
    assert not dpkg_installed("pellix")
    for path in (HACK, HACK_CONFIG, RENDERER):
        assert not path.exists(), path


def test_windows_zip_holds_the_saver_and_the_install_text(windows_packages):
    archive, _ = windows_packages
    with zipfile.ZipFile(archive) as package:
        names = {Path(name).name: name for name in package.namelist() if not name.endswith("/")}
        assert set(names) == {"pellix.scr", "INSTALL.txt"}
        assert package.read(names["pellix.scr"])[:2] == b"MZ"
        text = package.read(names["INSTALL.txt"]).decode()
        assert "pellix.scr" in text and "Install" in text


def test_windows_installer_installs_silently_and_uninstalls_cleanly(wine, windows_packages):
    _, installer = windows_packages
    system_copy = wine.prefix / "drive_c" / "windows" / "system32" / "pellix.scr"
    assert not system_copy.exists()

    assert wine.run(installer, "/S", timeout=UNINSTALL_SECONDS).rc == 0
    assert system_copy.is_file()
    assert system_copy.read_bytes()[:2] == b"MZ"
    registered = wine.reg_query(UNINSTALL_KEY, "UninstallString")
    assert registered is not None
    uninstaller = registered[1].strip('"')
    assert uninstaller.lower().endswith("uninstall.exe")

    # The uninstaller copies itself away and returns at once; the copy does the work.
    assert wine.run(uninstaller, "/S", timeout=UNINSTALL_SECONDS).rc == 0
    wait_until(lambda: not system_copy.exists() and wine.reg_query(UNINSTALL_KEY, "UninstallString") is None,
               UNINSTALL_SECONDS, "the uninstaller to remove pellix.scr and its registration", interval=0.5)
    install_dir = wine.prefix / "drive_c" / "Program Files" / "Pellix"
    wait_until(lambda: not install_dir.exists(), UNINSTALL_SECONDS, "the install folder to go")
