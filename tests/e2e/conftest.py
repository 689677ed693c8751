"""Fixtures for the end-to-end tests: one Wine prefix, Xvfb and warm wineserver per session;
a virtual MIDI unit and a fresh exe folder per test.

VELK_BUILD_DIR names the MinGW build (default build/mingw); VELK_WINEPREFIX the prefix
(default build/wineprefix)."""
import os
from pathlib import Path

import pytest

from harness import Display, ExeFolder, Probe, VirtualUnit, Wine
from harness.vmidi import UNIT_NAME
from harness.wine import make_prefix, test_prefix

ROOT = Path(__file__).resolve().parents[2]


@pytest.fixture(scope="session")
def build_dir():
    return Path(os.environ.get("VELK_BUILD_DIR", ROOT / "build" / "mingw")).resolve()


@pytest.fixture(scope="session")
def fixture_exe(build_dir):
    """Path of a test fixture program built under tests/fixtures/<folder>/."""
    def find(folder, name=None):
        path = build_dir / "tests" / "fixtures" / folder / ((name or folder) + ".exe")
        if not path.exists():
            pytest.fail("%s is not built (cmake --build %s)" % (path, build_dir))
        return path
    return find


@pytest.fixture(scope="session")
def asio_dll(build_dir):
    """The loopback ASIO driver, registered by harness.asio.register."""
    return build_dir / "tests" / "fixtures" / "asio_loopback" / "asio_loopback.dll"


@pytest.fixture(scope="session")
def wine(build_dir, tmp_path_factory):
    prefix = test_prefix()
    make_prefix(prefix, build_dir)
    display = Display()
    session = Wine(prefix, display, tmp_path_factory.mktemp("wine-logs"))
    try:
        session.start()
        yield session
    finally:
        session.stop()
        display.stop()


@pytest.fixture(scope="session")
def display(wine):
    return wine.display


@pytest.fixture(scope="session")
def probe(wine, fixture_exe):
    return Probe(wine, fixture_exe("probe", "velkprobe"))


@pytest.fixture(scope="session")
def product_exe(build_dir):
    path = build_dir / "VelkAnalyser.exe"
    if not path.exists():
        pytest.fail("%s is not built" % path)
    return path


@pytest.fixture
def unit():
    """A unit with one input and one output port named UNIT_NAME; set `unit.ports` before
    the program starts for any other set."""
    virtual = VirtualUnit.named(UNIT_NAME)
    yield virtual
    virtual.close()


@pytest.fixture
def exe_folder(tmp_path, product_exe):
    return ExeFolder(tmp_path / "station", product_exe)
