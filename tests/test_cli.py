"""The quorv-lint command end to end: inputs, output formats, filters and exit statuses."""
import json
import os
import pty
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

import pytest

import quorv_lint
from project import VERSION

QUORV_LINT = Path(sys.executable).with_name("quorv-lint")

UNSEEDED = "AllChem.EmbedMolecule(mol)\n"
EXPLICIT_RANDOM = "AllChem.EmbedMultipleConfs(mol, numConfs=5, randomSeed=-1)\n"
SEEDED = "AllChem.EmbedMolecule(mol, randomSeed=7)\n"


def run_cli(*args, cwd=None, stdin=None, env=None, timeout=60, **popen):
    completed = subprocess.run(
        [str(QUORV_LINT), *map(str, args)], cwd=cwd, input=stdin, capture_output=True,
        env=env, timeout=timeout, **popen,
    )
    completed.out = completed.stdout.decode("utf-8")
    completed.err = completed.stderr.decode("utf-8")
    return completed


def records(completed, record_type=None):
    lines = [json.loads(line) for line in completed.out.splitlines()]
    assert lines[-1]["type"] == "summary"
    return [r for r in lines if record_type is None or r["type"] == record_type]


def summary(completed):
    return records(completed, "summary")[0]


def module_view(path):
    """What the module says about a file: (code, severity, message) triples, or its exception text."""
    try:
        return [(f.code, f.severity, f.message) for f in quorv_lint.lint_file(str(path))]
    except (OSError, ValueError) as error:
        return str(error)


# The codes whose messages lead with their line, which the command moves into the location.
LINE_LEAD_CODES = {"conformer-no-seed", "conformer-explicit-random"}


def command_view(completed, path):
    """The same, from the command's JSON lines, with the line put back into the message."""
    mine = [r for r in records(completed) if r.get("path") == str(path)]
    failures = [r["message"] for r in mine if r["type"] == "failure"]
    if failures:
        return failures[0]
    return [
        (r["code"], r["severity"], f"line {r['line']}: {r['message']}" if r["code"] in LINE_LEAD_CODES else r["message"])
        for r in mine if r["type"] == "finding"
    ]


def write(path, content):
    path.parent.mkdir(parents=True, exist_ok=True)
    if isinstance(content, bytes):
        path.write_bytes(content)
    else:
        path.write_text(content, encoding="utf-8")
    return path


def test_the_command_is_installed_beside_the_interpreter():
    assert QUORV_LINT.is_file() and os.access(QUORV_LINT, os.X_OK)


def test_version_and_help():
    version = run_cli("--version")
    assert (version.returncode, version.out) == (0, f"quorv-lint {VERSION}\n")
    help_text = run_cli("--help")
    assert help_text.returncode == 0
    for option in ["--format", "--select", "--ignore", "--warnings-as-errors", "--stdin-kind",
                   "--explain", "--version", "--max-file-size", "--jobs", "noqa", "Exit status"]:
        assert option in help_text.out
    assert run_cli("-h").out == help_text.out


@pytest.mark.parametrize("args, complaint", [
    (["--format", "xml"], "--format must be one of text, json, sarif, github, got 'xml'"),
    (["--format"], "option --format needs a value"),
    (["--select", "no-such-code"], "unknown code 'no-such-code' in --select"),
    (["--ignore=conformer-no-seed,typo"], "unknown code 'typo' in --ignore"),
    (["--stdin-kind", "yaml"], "--stdin-kind must be one of xyz, json, py, got 'yaml'"),
    (["--jobs", "0"], "--jobs must be from 1 to 1024, got '0'"),
    (["-j", "two"], "-j needs a whole number, got 'two'"),
    (["--max-file-size", "1e6"], "--max-file-size needs a whole number, got '1e6'"),
    (["--version=2"], "option --version takes no value"),
    (["--colour"], "unknown option --colour"),
])
def test_a_wrong_command_line_exits_2_and_says_why(args, complaint, tmp_path):
    completed = run_cli(*args, cwd=tmp_path)
    assert completed.returncode == 2
    assert completed.out == ""
    assert complaint in completed.err


def test_text_output_is_one_line_per_finding_then_a_summary(tmp_path):
    write(tmp_path / "embed.py", "import x\n\n" + UNSEEDED + EXPLICIT_RANDOM)
    completed = run_cli("embed.py", cwd=tmp_path)
    assert completed.returncode == 1
    assert completed.out.splitlines() == [
        "embed.py:3: conformer-no-seed error EmbedMolecule(...) has no fixed randomSeed \u2014 the embedding is "
        "nondeterministic and the 3D geometry (and every descriptor computed on it) changes each run. "
        "Set params.randomSeed to a fixed value.",
        "embed.py:4: conformer-explicit-random warning EmbedMultipleConfs(...) sets randomSeed=-1, which is "
        "explicitly nondeterministic. Use a fixed nonnegative seed for reproducibility.",
        "1 error, 1 warning in 1 file",
    ]
    assert completed.err == ""


@pytest.mark.parametrize("files, args, status, last_line", [
    ({"a.py": SEEDED}, [], 0, "0 errors, 0 warnings in 1 file"),
    ({"a.py": SEEDED, "b.py": ""}, [], 0, "0 errors, 0 warnings in 2 files"),
    ({"a.py": EXPLICIT_RANDOM}, [], 0, "0 errors, 1 warning in 1 file"),
    ({"a.py": EXPLICIT_RANDOM}, ["--warnings-as-errors"], 1, "0 errors, 1 warning in 1 file"),
    ({"a.py": UNSEEDED * 2 + EXPLICIT_RANDOM * 2}, [], 1, "2 errors, 2 warnings in 1 file"),
    ({"a.py": UNSEEDED, "b.xyz": ""}, [], 2, "1 error, 0 warnings in 1 file; 1 input could not be linted"),
    ({"a.py": SEEDED}, ["missing.py", "gone.json"], 2, "0 errors, 0 warnings in 1 file; 2 inputs could not be linted"),
    ({}, [], 0, "0 errors, 0 warnings in 0 files"),
])
def test_exit_status_and_summary(files, args, status, last_line, tmp_path):
    for name, content in files.items():
        write(tmp_path / name, content)
    completed = run_cli(*args, ".", cwd=tmp_path)
    assert completed.returncode == status
    assert completed.out.splitlines()[-1] == last_line


def test_the_command_reports_what_the_module_reports(tmp_path, monkeypatch):
    contents = {
        "seeded.py": SEEDED,
        "mixed.py": "# header\r\n" + UNSEEDED + "x = 1\n" + EXPLICIT_RANDOM + UNSEEDED,
        "binary.py": b"\xff\xfe" + UNSEEDED.encode(),
        "empty.xyz": "",
        "water.xyz": "3\n0 2\nO 0 0 0\nH 0.96 0 0\nH -0.24 0.93 0\n",
        "short.xyz": "3\n\nO 0 0 0\n",
        "water.json": '{"atoms": [["O", 0, 0, 0], ["H", 0.96, 0, 0], ["H", -0.24, 0.93, 0]], "charge": 0}',
        "lone.json": '{"atoms": [{"element": "Fe", "x": 0, "y": 0, "z": 0}], "charge": 2, "spin_multiplicity": 5}',
        "broken.json": '{"atoms": [',
        "bom.json": "\ufeff{}",
    }
    for name, content in contents.items():
        write(tmp_path / "in" / name, content)
    monkeypatch.chdir(tmp_path)
    completed = run_cli("--format", "json", "in")
    for name in contents:
        assert command_view(completed, f"in/{name}") == module_view(f"in/{name}"), name


@pytest.mark.parametrize("name, like", [
    ("notes.py.json", None), ("x.pyc", None), ("script.py", None), ("geo.xyz", None), ("noext", None),
    # The command matches suffixes in any letter case, and knows extended XYZ.
    ("h2o.XYZ", "h2o.xyz"), ("run.PY", "run.py"), ("traj.extxyz", "traj.xyz"), ("TRAJ.ExtXYZ", "traj.xyz"),
])
def test_files_named_explicitly_are_dispatched_like_lint_file(name, like, tmp_path, monkeypatch):
    monkeypatch.chdir(tmp_path)
    write(tmp_path / name, UNSEEDED)
    completed = run_cli("--format", "json", name)
    if like:
        write(tmp_path / like, UNSEEDED)
        assert command_view(completed, name) == module_view(like)
    else:
        assert command_view(completed, name) == module_view(name)
    assert completed.returncode == (1 if name.lower().endswith(".py") else 2)


def test_a_directory_search_picks_the_linted_suffixes_and_skips_hidden_and_environment_folders(tmp_path):
    linted = ["a.py", "b.json", "c.xyz", ".dotfile.py", "sub/d.py", "sub/deeper/e.py", "z.py",
              "H2O.XYZ", "MAP.Json", "run.PY", "traj.extxyz", "TRAJ2.EXTXYZ"]
    left_out = ["notes.txt", "data.jsonl", "traj.xyz.gz", ".git/hook.py", "sub/.cache/f.py",
                ".venv/lib/g.py", "env/h.py", "conda/i.py", "__pycache__/j.pyc"]
    for name in linted + left_out:
        # Every linted file says something: .py files a finding, the others a parse failure.
        write(tmp_path / "tree" / name, UNSEEDED if name.lower().endswith(".py") else "not a cluster")
    write(tmp_path / "tree/env/pyvenv.cfg", "home = /usr/bin\n")
    write(tmp_path / "tree/conda/conda-meta/history", "")
    completed = run_cli("--format", "json", "tree", cwd=tmp_path)
    paths = [r["path"] for r in records(completed) if r["type"] != "summary"]
    assert paths == [f"tree/{name}" for name in sorted(linted, key=lambda n: n.split("/"))]
    assert summary(completed)["files"] + summary(completed)["failures"] == len(linted)


def test_hidden_and_environment_folders_named_explicitly_are_searched(tmp_path):
    write(tmp_path / ".venv/pyvenv.cfg", "")
    write(tmp_path / ".venv/tool.py", UNSEEDED)
    completed = run_cli("--format", "json", ".venv", cwd=tmp_path)
    assert [r["path"] for r in records(completed, "finding")] == [".venv/tool.py"]


def test_the_current_directory_is_the_default_and_paths_stay_relative(tmp_path):
    write(tmp_path / "sub/a.py", UNSEEDED)
    completed = run_cli(cwd=tmp_path)
    assert completed.out.startswith("sub/a.py:1: conformer-no-seed error ")


def test_output_order_is_the_input_order_whatever_the_threads(tmp_path):
    names = [f"f{n:04d}.py" for n in range(300)]
    for n, name in enumerate(names):
        write(tmp_path / "many" / name, "\n" * (n % 7) + UNSEEDED)
    write(tmp_path / "first.py", EXPLICIT_RANDOM)
    outputs = {jobs: run_cli("first.py", "many", "--jobs", jobs, cwd=tmp_path) for jobs in ["1", "2", "8"]}
    serial = outputs["1"].out.splitlines()
    assert serial[0].startswith("first.py:1: conformer-explicit-random")
    assert [line.split(":")[0] for line in serial[1:-1]] == [f"many/{name}" for name in names]
    assert all(completed.out == outputs["1"].out for completed in outputs.values())


def test_a_path_given_twice_is_linted_once(tmp_path):
    write(tmp_path / "dir/a.py", UNSEEDED)
    completed = run_cli("dir", "dir/a.py", "dir", "dir/", cwd=tmp_path)
    assert completed.out.splitlines()[-1] == "1 error, 0 warnings in 1 file"


@pytest.mark.parametrize("kind, text", [
    ("py", UNSEEDED),
    ("xyz", "2\n0 1\nH 0 0 0\nH 0.74 0 0\n"),
    ("xyz", "x\n"),
    ("json", '{"atoms": [], "charge": 0, "spin_multiplicity": 1}'),
    (None, '{"atoms": []}'),
    (None, "[1, 2"),
])
def test_standard_input_is_linted_as_the_kind_given(kind, text, tmp_path):
    args = ["--format", "json", "-"] + (["--stdin-kind", kind] if kind else [])
    completed = run_cli(*args, cwd=tmp_path, stdin=text.encode())
    lint_text = {"py": quorv_lint.lint_source, "xyz": quorv_lint.lint_xyz}.get(kind, quorv_lint.lint_json)
    try:
        expected = [(f.code, f.severity, f.message) for f in lint_text(text)]
    except ValueError as error:
        expected = str(error)
    assert command_view(completed, "-") == expected


def test_standard_input_that_is_not_utf8_cannot_be_read(tmp_path):
    completed = run_cli("-", "--stdin-kind", "py", cwd=tmp_path, stdin=b"\xc3(")
    assert completed.returncode == 2
    assert completed.err == "quorv-lint: cannot read -: stream did not contain valid UTF-8\n"


def test_inputs_that_cannot_be_linted_are_named_on_stderr_and_the_rest_is_still_linted(tmp_path, monkeypatch):
    monkeypatch.chdir(tmp_path)
    write(tmp_path / "a.py", UNSEEDED)
    write(tmp_path / "bin.xyz", bytes(range(256)))
    write(tmp_path / "empty.xyz", "")
    write(tmp_path / "z.py", EXPLICIT_RANDOM)
    completed = run_cli("a.py", "missing.json", "bin.xyz", "empty.xyz", "z.py")
    assert completed.returncode == 2
    assert [line.split(":")[0] for line in completed.out.splitlines()[:-1]] == ["a.py", "z.py"]
    # A failure of an XYZ file is located at its frame and line, as its findings are.
    assert completed.err.splitlines() == [
        "quorv-lint: " + module_view("missing.json"),
        "quorv-lint: bin.xyz:1: frame 0: " + module_view("bin.xyz"),
        "quorv-lint: empty.xyz:1: frame 0: " + module_view("empty.xyz"),
    ]
    assert completed.err.splitlines()[0] == (
        "quorv-lint: cannot read missing.json: No such file or directory (os error 2)")


def test_a_dangling_link_found_in_a_search_is_reported_as_unreadable(tmp_path):
    write(tmp_path / "tree/a.py", UNSEEDED)
    (tmp_path / "tree/gone.json").symlink_to(tmp_path / "nowhere.json")
    completed = run_cli("--format", "json", "tree", cwd=tmp_path)
    assert completed.returncode == 2
    assert records(completed, "failure") == [{
        "type": "failure", "path": "tree/gone.json", "line": None, "frame": None,
        "message": "cannot read tree/gone.json: No such file or directory (os error 2)",
    }]
    assert len(records(completed, "finding")) == 1


def test_a_directory_loop_is_searched_once_and_reported(tmp_path):
    write(tmp_path / "tree/a.py", UNSEEDED)
    write(tmp_path / "tree/sub/b.py", UNSEEDED)
    (tmp_path / "tree/sub/loop").symlink_to(tmp_path / "tree")
    (tmp_path / "tree/twin").symlink_to(tmp_path / "tree/sub")
    completed = run_cli("--format", "json", "tree", cwd=tmp_path, timeout=20)
    assert [r["path"] for r in records(completed, "finding")] == ["tree/a.py", "tree/sub/b.py"]
    assert records(completed, "skipped") == [{
        "type": "skipped", "path": "tree/sub/loop",
        "message": "directory loop: it leads back to tree, which is searched already",
    }]
    assert completed.returncode == 1
    text = run_cli("tree", cwd=tmp_path, timeout=20)
    assert "quorv-lint: tree/sub/loop: skipped: directory loop" in text.err


def test_a_pipe_found_in_a_search_is_skipped_rather_than_waited_on(tmp_path):
    write(tmp_path / "tree/a.py", UNSEEDED)
    os.mkfifo(tmp_path / "tree/pipe.py")
    completed = run_cli("--format", "json", "tree", cwd=tmp_path, timeout=20)
    assert records(completed, "skipped") == [
        {"type": "skipped", "path": "tree/pipe.py", "message": "not a regular file"}]
    assert completed.returncode == 1


def test_a_device_named_explicitly_is_read_like_a_file(tmp_path):
    completed = run_cli("--format", "json", "/dev/null", cwd=tmp_path)
    assert command_view(completed, "/dev/null") == module_view("/dev/null")


@pytest.mark.parametrize("size, args, readable", [
    (1000, ["--max-file-size", "100"], False),
    (1000, ["--max-file-size", "1000"], True),
    (65 * 1024 * 1024, [], False),
    (2 * 1024 * 1024, ["--max-file-size", "0"], True),
])
def test_files_over_the_size_limit_are_reported_not_loaded(size, args, readable, tmp_path):
    with open(tmp_path / "big.py", "wb") as big:
        big.truncate(size)  # sparse: NUL bytes, which are valid UTF-8
    write(tmp_path / "small.py", UNSEEDED)
    completed = run_cli("--format", "json", *args, "big.py", "small.py", cwd=tmp_path)
    limit = args[1] if args else str(64 * 1024 * 1024)
    failures = records(completed, "failure")
    if readable:
        assert failures == [] and completed.returncode == 1
    else:
        assert failures == [{"type": "failure", "path": "big.py", "line": None, "frame": None, "message":
                             f"cannot read big.py: larger than {limit} bytes (raise --max-file-size to lint it)"}]
        assert completed.returncode == 2
    assert [r["path"] for r in records(completed, "finding")] == ["small.py"]


def test_standard_input_over_the_size_limit_is_reported(tmp_path):
    completed = run_cli("-", "--stdin-kind", "py", "--max-file-size", "10", cwd=tmp_path, stdin=UNSEEDED.encode())
    assert completed.returncode == 2
    assert completed.err == "quorv-lint: cannot read -: larger than 10 bytes (raise --max-file-size to lint it)\n"


NOBODY = 65534


@pytest.fixture
def unprivileged(tmp_path):
    """A folder and the run options for which permissions hold: as root, both belong to nobody."""
    if os.geteuid() != 0:
        yield tmp_path, {}
        return
    as_nobody = {"user": NOBODY, "group": NOBODY, "extra_groups": []}
    try:
        reachable = run_cli("--version", **as_nobody).returncode == 0
    except PermissionError:
        reachable = False
    if not reachable:
        pytest.skip("the installed command is out of an unprivileged user's reach here")
    folder = Path(tempfile.mkdtemp(prefix="quorv-lint-"))
    folder.chmod(0o755)
    os.chown(folder, NOBODY, NOBODY)
    try:
        yield folder, as_nobody
    finally:
        shutil.rmtree(folder)


def test_unreadable_files_and_folders_are_reported(unprivileged):
    folder, as_user = unprivileged
    for name in ["tree/locked.py", "tree/closed/x.py", "tree/open.py"]:
        write(folder / name, UNSEEDED)
    for path in [folder / "tree", folder / "tree/closed", *(folder / "tree").rglob("*")]:
        if os.geteuid() == 0:
            os.chown(path, NOBODY, NOBODY)
    (folder / "tree/locked.py").chmod(0)
    (folder / "tree/closed").chmod(0)
    try:
        completed = run_cli("--format", "json", "tree", cwd=folder, **as_user)
    finally:
        (folder / "tree/closed").chmod(0o755)
    assert [r["message"] for r in records(completed, "failure")] == [
        "cannot read tree/closed: Permission denied (os error 13)",
        "cannot read tree/locked.py: Permission denied (os error 13)",
    ]
    assert [r["path"] for r in records(completed, "finding")] == ["tree/open.py"]
    assert completed.returncode == 2


@pytest.mark.parametrize("comment, silenced", [
    ("# noqa", True),
    ("# noqa: conformer-no-seed", True),
    ("#noqa:conformer-no-seed", True),
    ("# NOQA: conformer-no-seed", True),
    ("# noqa: E501, conformer-no-seed", True),
    ("# noqa:", True),
    ("# noqa: conformer-explicit-random", False),
    ("# noqa: E501", False),
    ("# noqa-ish", False),
    ("# type: ignore", False),
])
def test_a_noqa_comment_on_the_reported_line_silences_that_finding(comment, silenced, tmp_path):
    write(tmp_path / "embed.py", f"AllChem.EmbedMolecule(mol)  {comment}\nAllChem.EmbedMolecule(mol)\n")
    completed = run_cli("--format", "json", "embed.py", cwd=tmp_path)
    assert [r["line"] for r in records(completed, "finding")] == ([2] if silenced else [1, 2])
    # The module itself reports everything.
    assert len(quorv_lint.lint_file(str(tmp_path / "embed.py"))) == 2


def test_noqa_belongs_to_the_line_of_the_function_name(tmp_path):
    write(tmp_path / "embed.py", "AllChem.EmbedMolecule(\n    mol,  # noqa: conformer-no-seed\n)\n")
    completed = run_cli("--format", "json", "embed.py", cwd=tmp_path)
    assert [r["line"] for r in records(completed, "finding")] == [1]


def test_noqa_applies_to_python_on_standard_input(tmp_path):
    completed = run_cli("--format", "json", "--stdin-kind", "py", "-", cwd=tmp_path,
                        stdin=(UNSEEDED.rstrip("\n") + "  # noqa\n").encode())
    assert records(completed, "finding") == []


@pytest.mark.parametrize("args, codes, status", [
    ([], ["conformer-no-seed", "conformer-explicit-random"], 1),
    (["--select", "conformer-no-seed"], ["conformer-no-seed"], 1),
    (["--select", "conformer-explicit-random"], ["conformer-explicit-random"], 0),
    (["--ignore", "conformer-no-seed"], ["conformer-explicit-random"], 0),
    (["--ignore", "conformer-no-seed", "--warnings-as-errors"], ["conformer-explicit-random"], 1),
    (["--select", "conformer-no-seed", "--select", "conformer-explicit-random"],
     ["conformer-no-seed", "conformer-explicit-random"], 1),
    (["--select=conformer-no-seed, conformer-explicit-random", "--ignore", "conformer-no-seed"],
     ["conformer-explicit-random"], 0),
    (["--select", "unit-scale"], [], 0),
])
def test_select_and_ignore_choose_the_codes_reported(args, codes, status, tmp_path):
    write(tmp_path / "embed.py", UNSEEDED + EXPLICIT_RANDOM)
    completed = run_cli("--format", "json", *args, "embed.py", cwd=tmp_path)
    assert [r["code"] for r in records(completed, "finding")] == codes
    assert completed.returncode == status


def test_json_lines_carry_every_field(tmp_path):
    write(tmp_path / "embed.py", "\n" + UNSEEDED)
    write(tmp_path / "broken.xyz", "")
    write(tmp_path / "pair.xyz", "2\n0 1\nHe 0 0 0\nHe 0 0 0.1\n")
    completed = run_cli("--format", "json", "embed.py", "broken.xyz", "pair.xyz", cwd=tmp_path)
    module_failure = module_view(tmp_path / "broken.xyz")
    finding, failure, *pair_findings, total = records(completed)
    assert finding == {
        "type": "finding", "path": "embed.py", "line": 2, "frame": None, "atoms": [], "code": "conformer-no-seed",
        "severity": "error", "message": quorv_lint.lint_source("\n" + UNSEEDED)[0].message.removeprefix("line 2: "),
    }
    # The failure of an XYZ file is its first frame's, at its first line.
    assert failure == {"type": "failure", "path": "broken.xyz", "line": 1, "frame": 0, "message": module_failure}
    # A geometry finding names its atoms as data, beside the message that names them for a person,
    # and points at the line of the first of them.
    overlap = next(r for r in pair_findings if r["code"] == "overlapping-atoms")
    assert (overlap["atoms"], overlap["line"], overlap["frame"]) == ([0, 1], 3, 0)
    assert overlap["message"] in [f.message for f in quorv_lint.lint_file(str(tmp_path / "pair.xyz"))]
    assert total == {"type": "summary", "errors": 1 + sum(r["severity"] == "error" for r in pair_findings),
                     "warnings": sum(r["severity"] == "warning" for r in pair_findings), "files": 2,
                     "failures": 1, "frames": 2, "frames_linted": 1, "frames_failed": 1,
                     "not_cluster_specs": 0, "ignored": 0, "excluded": 0, "exit_status": 2}
    assert completed.err == ""


def test_paths_that_are_not_utf8_still_give_valid_json(tmp_path):
    name = b"caf\xe9.py"
    (tmp_path / os.fsdecode(name)).write_text(UNSEEDED)
    completed = run_cli("--format", "json", ".", cwd=tmp_path)
    assert [r["path"] for r in records(completed, "finding")] == ["caf\udce9.py"]


def run_on_terminal(args, cwd, env):
    """Runs the command with its standard output on a pseudo-terminal and returns what it wrote."""
    leader, follower = pty.openpty()
    try:
        process = subprocess.Popen([str(QUORV_LINT), *args], cwd=cwd, env=env, stdout=follower,
                                   stderr=subprocess.DEVNULL)
        os.close(follower)
        chunks = []
        while True:
            try:
                chunk = os.read(leader, 4096)
            except OSError:  # the terminal closes when the command ends
                break
            if not chunk:
                break
            chunks.append(chunk)
        process.wait(timeout=30)
    finally:
        os.close(leader)
    return b"".join(chunks).decode("utf-8")


@pytest.mark.parametrize("env_change, coloured", [
    ({}, True),
    ({"NO_COLOR": "1"}, False),
    ({"NO_COLOR": ""}, False),
    ({"TERM": "dumb"}, False),
])
def test_colours_only_on_a_terminal_and_never_with_no_color(env_change, coloured, tmp_path):
    write(tmp_path / "embed.py", UNSEEDED)
    env = {k: v for k, v in os.environ.items() if k not in ("NO_COLOR", "TERM")}
    env.update({"TERM": "xterm"}, **env_change)
    shown = run_on_terminal(["embed.py"], tmp_path, env)
    assert ("\x1b[" in shown) == coloured
    assert "conformer-no-seed" in shown
    assert "\x1b[" not in run_cli("embed.py", cwd=tmp_path, env=env).out


@pytest.mark.parametrize("args", [["embed.py"], ["--format", "sarif", "embed.py"], ["--help"]])
def test_output_that_cannot_be_written_fails_the_run(args, tmp_path):
    if not os.path.exists("/dev/full"):
        pytest.skip("no /dev/full here")
    write(tmp_path / "embed.py", SEEDED)
    with open("/dev/full", "wb") as full:
        completed = subprocess.run([str(QUORV_LINT), *args], cwd=tmp_path, stdout=full, stderr=subprocess.PIPE)
    assert completed.returncode == 2
    assert completed.stderr.decode().startswith("quorv-lint: cannot write the output: ")
