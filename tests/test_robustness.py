"""Every function, on good and bad input, many thousands of times: nothing leaks, nothing crashes."""

import gc
import os
import subprocess
import sys
import tracemalloc

import pytest

import quorv_lint

SOURCE = "AllChem.EmbedMolecule(mol)\nAllChem.EmbedMultipleConfs(mol, randomSeed=-1)\n"
XYZ = "3\n0 1\nO 0 0 0\nH 0.96 0 0\nH -0.24 0.93 0\n"
JSON = '{"atoms": [{"element": "O", "x": 0, "y": 0, "z": 0}], "charge": 0, "spin_multiplicity": 1}'
PAGE_SIZE = os.sysconf("SC_PAGE_SIZE")


class Items:
    """A sequence by item access; an item that is an exception factory raises a new exception.

    A new one each time: raising one stored exception again would grow its traceback.
    """

    def __init__(self, *items):
        self.items = items

    def __len__(self):
        raise ValueError("no length")

    def __getitem__(self, index):
        if index >= len(self.items):
            raise IndexError(index)
        item = self.items[index]
        if callable(item):
            raise item()
        return item


def type_error_with_cause():
    error = TypeError("broken")
    error.__cause__ = KeyError("cause")
    return error


@pytest.fixture(scope="module")
def files(tmp_path_factory):
    folder = tmp_path_factory.mktemp("files")
    contents = {"s.py": SOURCE, "g.xyz": XYZ, "c.json": JSON, "bad.json": "{", "bad.xyz": ""}
    for name, content in contents.items():
        (folder / name).write_text(content, encoding="utf-8")
    (folder / "latin1.py").write_bytes(b"caf\xe9")
    (folder / "dir.json").mkdir()
    return {name: str(folder / name) for name in [*contents, "latin1.py", "dir.json", "missing.json"]}


def calls(files):
    """(function, args, kwargs) for every function on good and bad input."""
    findings = quorv_lint.lint_source(SOURCE)
    yield from [
        (quorv_lint.lint_source, (SOURCE,), {}),
        (quorv_lint.lint_source, (), {"text": ""}),
        (quorv_lint.lint_json, (JSON,), {}),
        (quorv_lint.lint_json, ("{",), {}),
        (quorv_lint.lint_json, ("\ufeff" + JSON,), {}),
        (quorv_lint.lint_xyz, (XYZ,), {}),
        (quorv_lint.lint_xyz, ("",), {}),
        (quorv_lint.lint_xyz, ("2\n\nH 0 0 0\n",), {}),
        (quorv_lint.lint_json, (b"{}",), {}),
        (quorv_lint.lint_xyz, ("\ud800",), {}),
        (quorv_lint.lint_source, (), {}),
        (quorv_lint.lint_source, ("a", "b"), {}),
        (quorv_lint.lint_source, ("a",), {"text": "b"}),
        (quorv_lint.lint_source, (), {"bogus": 1}),
        (quorv_lint.error_count, (findings,), {}),
        (quorv_lint.error_count, (tuple(findings) * 5,), {}),
        (quorv_lint.error_count, ("text",), {}),
        (quorv_lint.error_count, ({1, 2},), {}),
        (quorv_lint.error_count, (findings + [None],), {}),
        (quorv_lint.error_count, (Items(*findings, type_error_with_cause),), {}),
        (quorv_lint.error_count, (Items(*findings, lambda: ValueError("item")),), {}),
        (quorv_lint.error_count, (Items(*findings),), {}),
        (quorv_lint.Finding, (), {}),
        (quorv_lint.Finding.__new__, (quorv_lint.Finding,), {}),
    ]
    for path in files.values():
        yield (quorv_lint.lint_file, (path,), {})
    yield (quorv_lint.lint_file, (files["s.py"] + "\0",), {})
    yield (quorv_lint.lint_file, (files["s.py"].encode(),), {})
    for finding in findings:
        yield (str, (finding,), {})
        yield (repr, (finding,), {})
        for name in ("severity", "code", "message", "is_error"):
            yield (getattr, (finding, name), {})
        yield (setattr, (finding, "severity", "x"), {})


def own_arguments(plan):
    """The arguments the plan holds, less identifier-like strings: those are interned and shared."""
    return [arg for _, args, _ in plan for arg in args if not (isinstance(arg, str) and arg.isidentifier())]


def workload(plan, rounds):
    for _ in range(rounds):
        for function, args, kwargs in plan:
            try:
                function(*args, **kwargs)
            except (TypeError, ValueError, OSError, AttributeError):
                pass


def resident_bytes():
    with open("/proc/self/statm") as statm:
        return int(statm.read().split()[1]) * PAGE_SIZE


def test_nothing_leaks_after_many_thousand_calls(files):
    plan = list(calls(files))
    workload(plan, 300)  # warm every cache the interpreter keeps
    gc.collect()
    finding_references = sys.getrefcount(quorv_lint.Finding)
    argument_references = [sys.getrefcount(arg) for arg in own_arguments(plan)]

    tracemalloc.start()
    try:
        workload(plan, 100)
        gc.collect()
        before, _ = tracemalloc.get_traced_memory()
        workload(plan, 1000)
        gc.collect()
        after, _ = tracemalloc.get_traced_memory()
    finally:
        tracemalloc.stop()

    rss_before = resident_bytes()
    workload(plan, 4000)
    gc.collect()
    rss_growth = resident_bytes() - rss_before

    # Counted before asserting: the assertion itself would hold extra references.
    finding_references_after = sys.getrefcount(quorv_lint.Finding)
    argument_references_after = [sys.getrefcount(arg) for arg in own_arguments(plan)]
    assert finding_references_after == finding_references  # every Finding was freed
    assert argument_references_after == argument_references
    # A leak of one small object in any single call of the plan shows as 1000 of them here.
    assert after - before < 16 * 1024, f"Python heap grew by {after - before} bytes"
    # A C++ leak of a message in any single call shows as 4000 of them here.
    assert rss_growth < 1024 * 1024, f"resident memory grew by {rss_growth} bytes"


def test_findings_outlive_the_call_and_free_cleanly():
    gc.collect()
    references = sys.getrefcount(quorv_lint.Finding)
    kept = [quorv_lint.lint_source(SOURCE) for _ in range(1000)]
    alive = sys.getrefcount(quorv_lint.Finding) - references
    assert alive == sum(len(batch) for batch in kept)  # each Finding holds its class
    assert len({id(f) for batch in kept for f in batch}) == alive
    del kept
    gc.collect()
    references_after = sys.getrefcount(quorv_lint.Finding)
    assert references_after == references


def test_running_out_of_memory_is_a_memory_error(tmp_path):
    # A sparse file bigger than what the address-space limit leaves: reading it runs out.
    big = tmp_path / "big.py"
    with open(big, "wb") as sparse:
        sparse.truncate(512 * 1024 * 1024)
    code = f"""if True:
        import resource
        import quorv_lint
        with open("/proc/self/statm") as statm:
            virtual = int(statm.read().split()[0]) * {PAGE_SIZE}
        limit = virtual + 128 * 1024 * 1024
        resource.setrlimit(resource.RLIMIT_AS, (limit, limit))
        try:
            quorv_lint.lint_file({str(big)!r})
        except MemoryError as error:
            print("MemoryError", type(error) is MemoryError)
        print(quorv_lint.lint_source("EmbedMolecule(m)")[0].code)
    """
    result = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, timeout=120)
    assert result.returncode == 0, result.stderr
    assert result.stdout.split() == ["MemoryError", "True", "conformer-no-seed"]
