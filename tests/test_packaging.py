"""The shared object and its wheel: one exported symbol, the stable ABI of CPython 3.9 only."""

import json
import shutil
import subprocess
import sys
import zipfile
from pathlib import Path

import pytest

from project import VERSION

import quorv_lint

ROOT = Path(__file__).resolve().parent.parent


def exported_symbols(shared_object):
    nm = shutil.which("nm")
    if nm is None:
        pytest.skip("nm (binutils) is not installed")
    listing = subprocess.run([nm, "-D", "--defined-only", str(shared_object)], capture_output=True, text=True,
                             check=True).stdout
    return {line.split()[-1] for line in listing.splitlines() if line.strip()}


@pytest.fixture(scope="session")
def wheel(tmp_path_factory):
    """The wheel built from this tree, the way `make build` configures it."""
    out = tmp_path_factory.mktemp("wheel")
    result = subprocess.run(
        [sys.executable, "-m", "pip", "wheel", "--quiet", "--no-build-isolation", "--no-deps",
         "-Ccmake.define.QUORV_WERROR=ON", "-w", str(out), str(ROOT)],
        capture_output=True, text=True, timeout=900)
    assert result.returncode == 0, result.stderr
    (built,) = out.glob("*.whl")
    return built


@pytest.fixture(scope="session")
def wheel_shared_object(wheel, tmp_path_factory):
    with zipfile.ZipFile(wheel) as archive:
        (name,) = [n for n in archive.namelist() if n.endswith(".so")]
        return Path(archive.extract(name, tmp_path_factory.mktemp("unpacked")))


def test_the_installed_module_exports_only_its_init_function():
    assert Path(quorv_lint.__file__).name == "quorv_lint.abi3.so"
    assert exported_symbols(quorv_lint.__file__) == {"PyInit_quorv_lint"}


def test_the_wheel_is_one_abi3_module(wheel, wheel_shared_object):
    assert wheel.name.startswith(f"quorv_lint-{VERSION}-cp39-abi3-")
    assert wheel_shared_object.name == "quorv_lint.abi3.so"
    assert exported_symbols(wheel_shared_object) == {"PyInit_quorv_lint"}


def test_the_wheel_passes_abi3audit(wheel):
    result = subprocess.run([sys.executable, "-m", "abi3audit", "--strict", "--report", str(wheel)],
                            capture_output=True, text=True, timeout=300)
    assert result.returncode == 0, result.stdout + result.stderr
    report = json.loads(result.stdout)
    (entry,) = report["specs"][str(wheel)]["wheel"]
    assert entry["name"] == "quorv_lint.abi3.so"
    audit = entry["result"]
    assert audit["is_abi3"] and audit["is_abi3_baseline_compatible"]
    assert audit["baseline"] == "3.9"
    assert audit["non_abi3_symbols"] == [] and audit["future_abi3_objects"] == {}
