"""quorv-lint over many small files: the search's order, the hand-off of found files to the
workers in batches, and the quick look for a JSON spec's "noqa" key."""
import json
import os
import random

import pytest

from test_cli import UNSEEDED, records, run_cli, write

BARE_OXYGEN = [["O", 0, 0, 0]]


def generated_names(count, seed):
    """File names that sort differently as bytes than as text or case-folded: shared prefixes,
    digits of several lengths, upper and lower case, bytes beyond ASCII and not UTF-8."""
    rng = random.Random(seed)
    pieces = [b"a", b"A", b"b", b"_", b"-", b"0", b"1", b"10", b"9", b"cluster", b"\xc3\xa9", b"\xe2\x80\x94",
              b"\xff", b"\x80", b" ", b"~"]
    names = set()
    while len(names) < count:
        stem = b"".join(rng.choice(pieces) for _ in range(rng.randint(1, 6)))
        names.add(stem + rng.choice([b".py", b".PY", b".Py"]))
    return sorted(names, key=lambda name: rng.random())


@pytest.mark.parametrize("seed", [1, 2, 3])
def test_a_folder_is_searched_in_byte_order_of_its_names(tmp_path, seed):
    names = generated_names(300, seed)
    for name in names:
        (tmp_path / os.fsdecode(name)).write_text(UNSEEDED)
    completed = run_cli("--format", "json", "--jobs", "2", ".", cwd=tmp_path)
    assert [os.fsencode(r["path"]) for r in records(completed, "finding")] == sorted(names)


def mixed_tree(root, folders, files_per_folder):
    """Every kind of outcome, interleaved: findings, clean files, failures, skips, files left out
    by an ignore file and by the settings, and folders whose own settings silence a code."""
    for folder in range(folders):
        base = root / f"f{folder:02d}"
        base.mkdir(parents=True)
        for number in range(files_per_folder):
            kind = (number + folder) % 9
            name = base / f"n{number:03d}"
            if kind == 0:
                write(name.with_suffix(".py"), UNSEEDED * (number % 4))
            elif kind == 1:
                write(name.with_suffix(".json"), json.dumps({"atoms": BARE_OXYGEN, "charge": 0}))
            elif kind == 2:
                write(name.with_suffix(".json"), '{"atoms": [')  # fails to read
            elif kind == 3:
                write(name.with_suffix(".json"), '{"name": "settings"}')  # no cluster spec: skipped
            elif kind == 4:
                write(name.with_suffix(".py"), b"\xff" + UNSEEDED.encode())  # not UTF-8
            elif kind == 5:
                os.mkfifo(name.with_suffix(".xyz"))  # never read: skipped
            elif kind == 6:
                write(name.with_suffix(".xyz"), "2\n0 1\nH 0 0 0\nH 0 0 0\n")
            elif kind == 7:
                write(name.with_suffix(".py"), UNSEEDED)  # ignored, see below
            else:
                write(name.with_suffix(".py"), "")
        write(base / ".ignore", "n*7.py\n")
        if folder % 3 == 0:
            write(base / "pyproject.toml", '[tool.quorv-lint]\nexclude = ["n00*"]\n'
                                           '[tool.quorv-lint.per-file-ignores]\n"n01*.json" = ["bare-heteroatom"]\n')


def test_every_kind_of_input_comes_out_the_same_with_any_number_of_jobs(tmp_path):
    mixed_tree(tmp_path / "tree", folders=12, files_per_folder=45)
    outputs = {jobs: run_cli("--format", "json", "--jobs", jobs, "tree", cwd=tmp_path) for jobs in [1, 2, 3, 5]}
    serial = outputs[1]
    assert all(completed.out == serial.out and completed.returncode == serial.returncode
               for completed in outputs.values())
    kinds = {r["type"] for r in records(serial)}
    assert kinds == {"finding", "failure", "skipped", "summary"}
    # Compact, keys in their order, text beyond ASCII as it is: what json.dumps writes back.
    assert all(line == json.dumps(json.loads(line), ensure_ascii=False, separators=(",", ":"))
               for line in serial.out.splitlines())
    totals = records(serial, "summary")[0]
    assert totals["ignored"] > 0 and totals["excluded"] > 0 and totals["not_cluster_specs"] > 0
    # The per-file ignores of the folders with settings silence what the others report.
    silenced = [r for r in records(serial, "finding") if r["code"] == "bare-heteroatom"
                and r["path"].split("/")[1] in ("f00", "f03", "f06", "f09") and "/n01" in r["path"]]
    assert silenced == []


def spec_with_noqa_after(prefix):
    return prefix + json.dumps({"atoms": BARE_OXYGEN, "charge": 0, "noqa": ["bare-heteroatom"]})[1:]


@pytest.mark.parametrize("text, silenced", [
    (json.dumps({"noqa": ["bare-heteroatom"], "atoms": BARE_OXYGEN, "charge": 0}), True),
    (spec_with_noqa_after('{"qq": "qqqq noq qa", '), True),
    (spec_with_noqa_after('{"q": 1, "nqoqa": 2, '), True),
    (json.dumps({"atoms": BARE_OXYGEN, "charge": 0, "note": "q noq oqa"}), False),
    (json.dumps({"atoms": BARE_OXYGEN, "charge": 0, "noqa": []}), False),
])
def test_a_noqa_key_is_found_wherever_it_stands_in_a_spec(tmp_path, text, silenced):
    write(tmp_path / "spec.json", text)
    completed = run_cli("--format", "json", "spec.json", cwd=tmp_path)
    codes = [r["code"] for r in records(completed, "finding")]
    assert ("bare-heteroatom" not in codes) == silenced, completed.out
