"""The shared objects and their wheel: the module and the data-set package's native module, each
exporting only its init function, both in the stable ABI of CPython 3.9 only."""

import json
import shutil
import subprocess
import sys
import zipfile
from pathlib import Path

import pytest

from project import VERSION

import quorv_lint
import quorv_lint_datasets._native

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


# Each shared object of the wheel, and the one symbol it exports.
SHARED_OBJECTS = {
    "quorv_lint.abi3.so": "PyInit_quorv_lint",
    "quorv_lint_datasets/_native.abi3.so": "PyInit__native",
}


@pytest.fixture(scope="session")
def wheel_shared_objects(wheel, tmp_path_factory):
    unpacked = tmp_path_factory.mktemp("unpacked")
    with zipfile.ZipFile(wheel) as archive:
        return {name: Path(archive.extract(name, unpacked)) for name in archive.namelist() if name.endswith(".so")}


@pytest.mark.parametrize("module, name", [(quorv_lint, "quorv_lint.abi3.so"),
                                          (quorv_lint_datasets._native, "_native.abi3.so")])
def test_each_installed_module_exports_only_its_init_function(module, name):
    assert Path(module.__file__).name == name
    assert exported_symbols(module.__file__) == {f"PyInit_{name.split('.')[0]}"}


def test_the_wheel_holds_the_two_abi3_modules(wheel, wheel_shared_objects):
    assert wheel.name.startswith(f"quorv_lint-{VERSION}-cp39-abi3-")
    assert set(wheel_shared_objects) == set(SHARED_OBJECTS)
    for name, path in wheel_shared_objects.items():
        assert exported_symbols(path) == {SHARED_OBJECTS[name]}


def test_the_wheel_passes_abi3audit(wheel):
    result = subprocess.run([sys.executable, "-m", "abi3audit", "--strict", "--report", str(wheel)],
                            capture_output=True, text=True, timeout=300)
    assert result.returncode == 0, result.stdout + result.stderr
    report = json.loads(result.stdout)
    entries = report["specs"][str(wheel)]["wheel"]
    assert sorted(entry["name"] for entry in entries) == sorted(Path(name).name for name in SHARED_OBJECTS)
    for entry in entries:
        audit = entry["result"]
        assert audit["is_abi3"] and audit["is_abi3_baseline_compatible"]
        assert audit["baseline"] == "3.9"
        assert audit["non_abi3_symbols"] == [] and audit["future_abi3_objects"] == {}


def test_without_the_extra_the_package_imports_and_its_command_says_what_to_install(tmp_path):
    # The extra's modules made unimportable (a None entry in sys.modules is
    # what neither import nor find_spec gets past), as in an install without [datasets].
    script = ("import sys\n"
              "for name in ('numpy', 'pyarrow', 'distributed', 'dask', 'tqdm', 'matplotlib', 'h5py', 'ase'):\n"
              "    sys.modules[name] = None\n"
              "import quorv_lint_datasets\n"
              "from quorv_lint_datasets.cli import main\n"
              f"sys.exit(main([{str(tmp_path / 'set.xyz')!r}, '-o', {str(tmp_path / 'out')!r}]))\n")
    (tmp_path / "set.xyz").write_text("1\n\nH 0 0 0\n")
    result = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True, timeout=60)
    assert result.returncode == 2, result.stderr
    assert "pip install 'quorv-lint[datasets]'" in result.stderr and "numpy" in result.stderr
