"""quorv-lint on files that other people wrote: each attack driven as a hostile contributor
would, asserting the sound outcome. Costs are compared as ratios against a baseline measured in
the same test, never as absolute times."""
import json
import os
import re
import resource
import subprocess
import sys
import time
from pathlib import Path

import pytest

import quorv_lint
from test_cli import QUORV_LINT, UNSEEDED, records, run_cli, run_on_terminal, unprivileged, write  # noqa: F401

MIB = 1024 * 1024


def child_cpu_seconds(*args, cwd):
    """CPU seconds the command spends on a run: robust against other work on the machine."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    completed = subprocess.run([str(QUORV_LINT), *map(str, args)], cwd=cwd, capture_output=True, timeout=600)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    completed.out = completed.stdout.decode("utf-8")
    return completed, (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)


def peak_memory_of_command(*args, cwd):
    """The command's peak resident memory in bytes, read in a fresh process that runs only it."""
    code = ("import resource, subprocess, sys\n"
            "done = subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)\n"
            "print(done.returncode, resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)")
    output = subprocess.run([sys.executable, "-c", code, str(QUORV_LINT), *map(str, args)], cwd=cwd,
                            capture_output=True, text=True, check=True, timeout=600).stdout.split()
    return int(output[0]), int(output[1]) * 1024


# --- noqa lookup ------------------------------------------------------------------------------


@pytest.mark.parametrize("line", [
    "EmbedMolecule()\n",
    "EmbedMolecule()  # noqa: E501\n",
    "x = [EmbedMolecule(), EmbedMultipleConfs(randomSeed=-1)]  # note # noqa: conformer-explicit-random\n",
])
def test_noqa_costs_no_more_than_the_findings_it_filters(line, tmp_path):
    text = line * 62_500  # 1 to 5 MB: a quadratic lookup took minutes here
    write(tmp_path / "calls.py", text)
    completed, command_seconds = child_cpu_seconds("--format", "json", "calls.py", cwd=tmp_path)
    start = time.process_time()
    expected = quorv_lint.lint_source(text)
    module_seconds = time.process_time() - start
    shown = records(completed, "finding")
    silenced = "explicit-random" if "noqa: conformer-explicit-random" in line else None
    assert len(shown) == sum(1 for f in expected if silenced is None or silenced not in f.code)
    # The command reads, filters and writes what lint_source returns as objects: the same order of cost.
    assert command_seconds < 4 * module_seconds + 0.5, (command_seconds, module_seconds)


# --- forged output ----------------------------------------------------------------------------

FORGED = "Xx\nforged.xyz: bare-heteroatom error FORGED\n\u001b]0;pwned\u0007\u001b[2J"
FORGED_SPEC = json.dumps({"atoms": [[FORGED, 0, 0, 0]], "charge": 0, "spin_multiplicity": 1})
HOSTILE_NAMES = ["bad\nname.py", "esc\x1b[2J.py", "bidi\u202eyp.py", "sep\u2028.py", "c1\u009b31m.py"]

# Control, separator and bidirectional formatting characters: none may reach the output raw.
UNPRINTABLE = re.compile("[\x00-\x09\x0b-\x1f\x7f-\x9f\u061c\u200e\u200f\u202a-\u202e\u2066-\u2069\u2028\u2029]")


def test_text_output_is_one_line_per_finding_whatever_names_and_symbols_hold(tmp_path):
    write(tmp_path / "evil.json", FORGED_SPEC)
    for name in HOSTILE_NAMES:
        write(tmp_path / name, UNSEEDED)
    completed = run_cli(".", cwd=tmp_path)
    lines = completed.out.split("\n")
    assert lines[-1] == ""
    findings = lines[:-2]
    assert lines[-2].startswith("5 errors, 1 warning in 6 files")
    assert len(findings) == 6  # every finding on one line, nothing forged in between
    assert not any(line.startswith("forged.xyz") for line in lines)
    assert UNPRINTABLE.search(completed.out) is None and UNPRINTABLE.search(completed.err) is None
    evil = next(line for line in findings if line.startswith("evil.json: "))
    assert evil.endswith("Xx\\nforged.xyz: bare-heteroatom error FORGED\\n\\u{1b}]0;pwned\\u{7}\\u{1b}[2J")
    assert "bad\\nname.py:1: conformer-no-seed error" in completed.out
    assert "bidi\\u{202e}yp.py:1:" in completed.out


def test_a_failure_naming_a_hostile_file_stays_on_one_line(tmp_path):
    write(tmp_path / "x\n\x1b[31mforged.xyz", "not xyz\n")
    completed = run_cli(".", cwd=tmp_path)
    assert completed.err == 'quorv-lint: x\\n\\u{1b}[31mforged.xyz:1: frame 0: not a valid XYZ file: first line ' \
                            'must be the atom count, got "not xyz"\n'


def test_on_a_terminal_the_only_escapes_are_the_commands_own_colours(tmp_path):
    write(tmp_path / "evil.json", FORGED_SPEC)
    write(tmp_path / "esc\x1b[2J.py", UNSEEDED)
    env = {k: v for k, v in os.environ.items() if k not in ("NO_COLOR", "TERM")}
    shown = run_on_terminal(["."], tmp_path, dict(env, TERM="xterm"))
    escapes = set(re.findall("\x1b[^m]*m?", shown))
    assert escapes and escapes <= {"\x1b[1m", "\x1b[1;31m", "\x1b[1;33m", "\x1b[36m", "\x1b[0m"}
    assert "\x07" not in shown


def test_json_lines_keep_every_path_byte_recoverable(tmp_path):
    names = [b"caf\xe9.py", b"caf\xe8.py", b"caf\xc3\xa9.py", b"\xff\xfe.py", b"half\xe2\x82.py"]
    for name in names:
        (tmp_path / os.fsdecode(name)).write_text(UNSEEDED)
    completed = run_cli("--format", "json", ".", cwd=tmp_path)
    paths = [r["path"] for r in records(completed, "finding")]
    # Python's own surrogateescape: os.fsencode gives the name back, and open() opens it.
    assert sorted(os.fsencode(path) for path in paths) == sorted(names)
    assert all((tmp_path / path).read_text() == UNSEEDED for path in paths)


# --- nothing skipped in silence ---------------------------------------------------------------


def test_a_tree_deeper_than_the_path_length_limit_is_searched_to_the_bottom(tmp_path):
    folder = "d" * 200
    depth = 40  # 8,000 bytes of path, twice the limit of one open()
    deep = os.open(tmp_path, os.O_RDONLY)
    try:
        for _ in range(depth):
            os.mkdir(folder, dir_fd=deep)
            inner = os.open(folder, os.O_RDONLY, dir_fd=deep)
            os.close(deep)
            deep = inner
        with open(os.open("bottom.py", os.O_WRONLY | os.O_CREAT, 0o644, dir_fd=deep), "w") as bottom:
            bottom.write(UNSEEDED)
    finally:
        os.close(deep)
    completed = run_cli("--format", "json", ".", cwd=tmp_path)
    (finding,) = records(completed, "finding")
    assert finding["path"] == "/".join([folder] * depth + ["bottom.py"])
    assert completed.returncode == 1


def test_a_folder_that_can_be_listed_but_not_entered_is_a_failure(unprivileged):
    folder, as_user = unprivileged
    write(folder / "tree/listed/inside.py", UNSEEDED)
    write(folder / "tree/listed/sub/deeper.py", UNSEEDED)
    write(folder / "tree/open.py", UNSEEDED)
    for path in [folder / "tree", *(folder / "tree").rglob("*")]:
        if os.geteuid() == 0:
            os.chown(path, 65534, 65534)
    (folder / "tree/listed").chmod(0o644)  # read, but no search permission
    try:
        completed = run_cli("--format", "json", "tree", cwd=folder, **as_user)
    finally:
        (folder / "tree/listed").chmod(0o755)
    assert records(completed, "failure") == [{
        "type": "failure", "path": "tree/listed", "line": None, "frame": None,
        "message": "cannot read tree/listed: Permission denied (os error 13)"}]
    assert [r["path"] for r in records(completed, "finding")] == ["tree/open.py"]
    assert completed.returncode == 2


def test_a_path_too_long_to_open_is_a_failure(tmp_path):
    completed = run_cli("--format", "json", "x/" * 3000 + "a.py", cwd=tmp_path)
    (failure,) = records(completed, "failure")
    assert failure["message"].endswith("File name too long (os error 36)")
    assert completed.returncode == 2


# --- the size limit, while reading ------------------------------------------------------------


@pytest.mark.parametrize("path", ["/proc/kallsyms", "/proc/self/smaps", "/dev/zero", "/dev/urandom"])
def test_the_size_limit_holds_for_files_that_do_not_say_their_size(path, tmp_path):
    if not os.access(path, os.R_OK):
        pytest.skip(f"{path} cannot be read here")
    completed = run_cli("--format", "json", "--max-file-size", "100", path, cwd=tmp_path, timeout=20)
    assert records(completed, "failure") == [{"type": "failure", "path": path, "line": None, "frame": None, "message":
                                              f"cannot read {path}: larger than 100 bytes "
                                              "(raise --max-file-size to lint it)"}]


def test_a_file_that_grows_while_read_stops_at_the_limit(tmp_path):
    """A writer appends as fast as it can while the command reads; the read must stop at the limit."""
    growing = tmp_path / "growing.py"
    growing.write_text("")
    # It stops at 256 MiB, so that a slow machine never fills its disk.
    writer = subprocess.Popen([sys.executable, "-c",
                               "import sys\nwith open(sys.argv[1], 'ab', buffering=0) as f:\n"
                               "    while f.tell() < 256 * 1024 * 1024: f.write(b'#' * 65536)", str(growing)])
    try:
        while growing.stat().st_size < 1 * MIB:
            time.sleep(0.01)
        status, peak = peak_memory_of_command("--format", "json", "--max-file-size", str(4 * MIB), "growing.py",
                                              cwd=tmp_path)
    finally:
        writer.kill()
        writer.wait()
    # Either the file was read before it passed the limit, or the read stopped there.
    assert status in (0, 2)
    assert peak < 64 * MIB


def test_a_file_swapped_for_a_pipe_after_the_search_is_not_waited_on(tmp_path):
    """Two pipes named first keep both workers busy while the search lists the tree; then the
    listed file becomes a pipe with no writer, which opening it must not wait for."""
    pipes = [tmp_path / "first.py", tmp_path / "second.py"]
    writers = []
    for pipe in pipes:
        os.mkfifo(pipe)
        writers.append(os.open(pipe, os.O_RDWR | os.O_NONBLOCK))  # a writer, so the readers wait for data
    write(tmp_path / "tree/swapped.py", UNSEEDED)
    process = subprocess.Popen([str(QUORV_LINT), "--format", "json", "--jobs", "2", "first.py", "second.py", "tree"],
                               cwd=tmp_path, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    try:
        tree = str(tmp_path / "tree")
        deadline = time.monotonic() + 20
        # The search keeps the tree open while its file waits for a worker.
        while not any(os.readlink(fd) == tree for fd in Path(f"/proc/{process.pid}/fd").iterdir()
                      if fd.is_symlink() and _readable_link(fd)):
            assert time.monotonic() < deadline, "the search never opened the tree"
            time.sleep(0.01)
        (tmp_path / "tree/swapped.py").unlink()
        os.mkfifo(tmp_path / "tree/swapped.py")
        for writer in writers:
            os.write(writer, UNSEEDED.encode())
            os.close(writer)
        out, _ = process.communicate(timeout=20)
    finally:
        process.kill()
    lines = [json.loads(line) for line in out.decode().splitlines()]
    assert [r["path"] for r in lines if r["type"] == "finding"] == ["first.py", "second.py"]
    assert [r for r in lines if r["type"] == "skipped"] == [
        {"type": "skipped", "path": "tree/swapped.py", "message": "not a regular file"}]


def _readable_link(fd):
    try:
        os.readlink(fd)
        return True
    except OSError:
        return False


def test_memory_in_flight_stays_bounded_however_many_jobs(tmp_path):
    for number in range(24):
        with open(tmp_path / f"big{number:02d}.py", "wb") as big:
            big.truncate(60 * MIB)  # sparse NUL bytes: valid UTF-8, found by no rule
    status, peak = peak_memory_of_command("--format", "json", "--jobs", "64", ".", cwd=tmp_path)
    assert status == 0
    # 1.4 GB of files, each below the 64 MiB limit: never all of them in memory at once.
    assert peak < 800 * MIB, peak / MIB


# --- findings stream ----------------------------------------------------------------------------


def coincident_atoms(count):
    return f"{count}\n0 1\n" + "He 0 0 0\n" * count


def test_the_commands_memory_does_not_grow_with_its_findings(tmp_path):
    """The rules cost the same whether their findings are shown or filtered out (--select of
    another code): what showing them adds is the command's own memory, which must not grow
    with their number."""
    write(tmp_path / "many.xyz", coincident_atoms(1500))  # 1,124,250 findings
    _, all_shown = peak_memory_of_command("--format", "json", "many.xyz", cwd=tmp_path)
    _, none_shown = peak_memory_of_command("--format", "json", "--select", "unit-scale", "many.xyz", cwd=tmp_path)
    assert all_shown < none_shown + 8 * MIB, (all_shown / MIB, none_shown / MIB)


@pytest.mark.parametrize("rest", [
    "x\n" + "H 0 0 0\n" * 6_000_000,  # a count line that does not read: the rest cannot be divided
    "\n" * 48_000_000,  # blank lines between frames make no frame
])
def test_a_large_xyz_stretch_without_frames_is_not_held_whole(rest, tmp_path):
    """However long a stretch of an XYZ file makes no frame, the command holds it a block at a
    time: its memory is bounded by the largest frame, not by the file."""
    write(tmp_path / "tail.xyz", "1\n\nHe 0 0 0\n" + rest + "1\n\nHe 0 0 0\n")
    status, peak = peak_memory_of_command("--format", "json", "tail.xyz", cwd=tmp_path)
    assert status in (0, 2)
    assert peak < 32 * MIB, peak / MIB


def test_the_output_of_a_run_is_the_same_with_any_number_of_jobs(tmp_path):
    """Inputs with many findings and inputs with none, interleaved, so that workers hold output
    while another input streams."""
    for number in range(40):
        write(tmp_path / f"in/{number:02d}.xyz", coincident_atoms(number * 7 % 120))
        write(tmp_path / f"in/{number:02d}.py", UNSEEDED * (number % 5))
    outputs = {jobs: run_cli("--format", "json", "--jobs", jobs, "in", cwd=tmp_path).out for jobs in [1, 2, 7]}
    assert outputs[1] == outputs[2] == outputs[7]
    assert len(outputs[1].splitlines()) > 40_000


# --- the output itself ------------------------------------------------------------------------


def test_a_full_disk_reports_why_the_output_failed(tmp_path):
    if not os.path.exists("/dev/full"):
        pytest.skip("no /dev/full here")
    write(tmp_path / "embed.py", UNSEEDED)
    with open("/dev/full", "wb") as full:
        completed = subprocess.run([str(QUORV_LINT), "embed.py"], cwd=tmp_path, stdout=full, stderr=subprocess.PIPE)
    assert completed.returncode == 2
    assert completed.stderr.decode() == (
        f"quorv-lint: cannot write the output: {os.strerror(28)} (os error 28)\n")
