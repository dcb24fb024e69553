"""Eight threads calling all five functions at once on good and bad input.

Every call's outcome (the findings' texts, the count, or the exception's type
and message) must be the one the same call gave when it ran alone.
"""

import random
import sys
import threading
import time

import pytest

import quorv_lint
from cluster_specs import WATER, benzene, spec_json

THREADS = 8
SECONDS = 3.0
MOST_CALLS_PER_THREAD = 20_000

SOURCE = (
    "from rdkit.Chem import AllChem\n"
    "AllChem.EmbedMolecule(mol)\n"
    "AllChem.EmbedMultipleConfs(mol, 10, randomSeed=-1)\n"
    "AllChem.EmbedMolecule(mol, randomSeed=42)\n"
)
XYZ = "3\ncharge=0 mult=1\nO 0 0 0.1173\nH 0 0.7572 -0.4692\nH 0 -0.7572 -0.4692\n"
XYZ_IN_BOHR = "3\n0 1\nO 0 0 0.2217\nH 0 1.4309 -0.8867\nH 0 -1.4309 -0.8867\n"


def crowded_spec():
    """Over three hundred oxygens and irons 0.45 Å apart on a grid: a long call with many findings."""
    atoms = [("Fe" if (i + j) % 7 == 0 else "O", 0.45 * i, 0.45 * j, 0.0) for i in range(18) for j in range(18)]
    return spec_json(atoms, charge=0, spin_multiplicity=1)


def calls(tmp_path):
    """(name, function, args, kwargs) for every function on good and bad input."""
    files = {
        "seed.py": SOURCE.encode(),
        "water.xyz": XYZ.encode(),
        "water.json": spec_json(WATER, charge=0, spin_multiplicity=1).encode(),
        "broken.json": b'{"atoms": [',
        "broken.xyz": b"two\n\nH 0 0 0\n",
        "latin1.xyz": b"1\n\nH 0 0 0 caf\xe9\n",
    }
    for name, content in files.items():
        (tmp_path / name).write_bytes(content)
    (tmp_path / "folder.json").mkdir()
    path = {name: str(tmp_path / name) for name in [*files, "folder.json", "missing.json"]}
    findings = quorv_lint.lint_source(SOURCE) + quorv_lint.lint_xyz(XYZ_IN_BOHR)

    yield from [
        ("json water", quorv_lint.lint_json, (spec_json(WATER, charge=0, spin_multiplicity=1),), {}),
        ("json benzene bare", quorv_lint.lint_json, (spec_json(benzene()),), {}),
        ("json crowded", quorv_lint.lint_json, (crowded_spec(),), {}),
        ("json parity", quorv_lint.lint_json, (spec_json(WATER, charge=1, spin_multiplicity=1),), {}),
        ("json keyword", quorv_lint.lint_json, (), {"text": '{"atoms": [{"element": "Zn", "x": 0, "y": 0, "z": 0}],'
                                                          ' "charge": 2, "spin_multiplicity": 3,'
                                                          ' "metal_oxidation_state": 2}'}),
        ("json truncated", quorv_lint.lint_json, ('{"atoms": [{"element": "O", "x": 0',), {}),
        ("json byte-order mark", quorv_lint.lint_json, ("\ufeff{}",), {}),
        ("json bytes", quorv_lint.lint_json, (b"{}",), {}),
        ("json surrogate", quorv_lint.lint_json, ("\ud800",), {}),
        ("xyz water", quorv_lint.lint_xyz, (XYZ,), {}),
        ("xyz bohr", quorv_lint.lint_xyz, (XYZ_IN_BOHR,), {}),
        ("xyz empty", quorv_lint.lint_xyz, ("",), {}),
        ("xyz short", quorv_lint.lint_xyz, ("5\n\nH 0 0 0\n",), {}),
        ("xyz not a number", quorv_lint.lint_xyz, ("1\n\nH 0 zero 0\n",), {}),
        ("source seeds", quorv_lint.lint_source, (SOURCE,), {}),
        ("source empty", quorv_lint.lint_source, ("",), {}),
        ("source two arguments", quorv_lint.lint_source, ("a", "b"), {}),
        ("source unknown keyword", quorv_lint.lint_source, (), {"source": "x"}),
        ("file py", quorv_lint.lint_file, (path["seed.py"],), {}),
        ("file xyz", quorv_lint.lint_file, (path["water.xyz"],), {}),
        ("file json", quorv_lint.lint_file, (path["water.json"],), {}),
        ("file broken json", quorv_lint.lint_file, (path["broken.json"],), {}),
        ("file broken xyz", quorv_lint.lint_file, (path["broken.xyz"],), {}),
        ("file not utf-8", quorv_lint.lint_file, (path["latin1.xyz"],), {}),
        ("file folder", quorv_lint.lint_file, (path["folder.json"],), {}),
        ("file missing", quorv_lint.lint_file, (path["missing.json"],), {}),
        ("file nul", quorv_lint.lint_file, (path["seed.py"] + "\0",), {}),
        ("count findings", quorv_lint.error_count, (findings,), {}),
        ("count tuple", quorv_lint.error_count, (tuple(findings) * 3,), {}),
        ("count empty", quorv_lint.error_count, ([],), {}),
        ("count str", quorv_lint.error_count, ("findings",), {}),
        ("count set", quorv_lint.error_count, ({1, 2},), {}),
        ("count with None", quorv_lint.error_count, ([*findings, None],), {}),
    ]


def outcome(function, args, kwargs):
    """What a call gave, as plain values: findings as texts, a count, or an exception."""
    try:
        result = function(*args, **kwargs)
    except Exception as error:  # noqa: BLE001 - the exception is the outcome
        return ("raised", type(error), str(error))
    if isinstance(result, int):
        return ("count", result)
    return ("findings", tuple((f.severity, f.code, f.message, f.is_error, str(f), repr(f)) for f in result))


@pytest.fixture
def fast_thread_switching():
    """Switch threads as often as the interpreter allows, so that calls interleave finely."""
    interval = sys.getswitchinterval()
    sys.setswitchinterval(1e-6)
    yield
    sys.setswitchinterval(interval)


def test_eight_threads_get_what_one_thread_gets(tmp_path, fast_thread_switching):
    plan = list(calls(tmp_path))
    expected = {name: outcome(function, args, kwargs) for name, function, args, kwargs in plan}
    # The plan covers every function, and each of them both succeeding and failing.
    kinds = {(function.__name__, result[0] == "raised") for (_, function, _, _), result in zip(plan, expected.values())}
    assert kinds == {(name, failed) for name in quorv_lint.__all__[2:] for failed in (False, True)}

    start = threading.Barrier(THREADS)
    deadline = time.monotonic() + SECONDS
    calls_made = [0] * THREADS
    names_called = [set() for _ in range(THREADS)]
    mismatches = []
    crashes = []

    def worker(index):
        try:
            order = random.Random(index)  # each thread its own order, the same on every run
            start.wait()
            while calls_made[index] < MOST_CALLS_PER_THREAD and time.monotonic() < deadline:
                name, function, args, kwargs = order.choice(plan)
                got = outcome(function, args, kwargs)
                calls_made[index] += 1
                names_called[index].add(name)
                if got != expected[name]:
                    mismatches.append((index, name, got, expected[name]))
        except BaseException as error:  # noqa: BLE001 - reported below; a thread cannot raise into the test
            crashes.append((index, repr(error)))

    threads = [threading.Thread(target=worker, args=(i,)) for i in range(THREADS)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join(timeout=SECONDS + 60)
    assert not any(thread.is_alive() for thread in threads)

    assert crashes == []
    assert mismatches[:3] == []
    # Every thread made real progress, and together they called every case.
    assert min(calls_made) >= 20, calls_made
    assert set().union(*names_called) == set(expected)
