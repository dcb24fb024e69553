"""The module against hostile files and hostile processes: reads that wait, a failed import,
imports from other interpreters, and memory out of proportion. Each runs in a child process,
as a user of the module would meet it; costs are ratios against a baseline in the same test."""
import os
import shutil
import signal
import subprocess
import sys
import textwrap
import time
from pathlib import Path

import pytest

import quorv_lint

MODULE_FOLDER = str(Path(quorv_lint.__file__).parent)
PYENV_VERSIONS = Path.home() / ".pyenv" / "versions"


def child(code, python=sys.executable, **popen):
    """A fresh interpreter running `code`, with the module importable."""
    return subprocess.Popen([python, "-c", f"import sys; sys.path.insert(0, {MODULE_FOLDER!r})\n"
                             + textwrap.dedent(code)], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                            text=True, **popen)


def run_child(code, python=sys.executable, timeout=120):
    """Runs `code` in a child interpreter: its exit status, standard output and error."""
    process = child(code, python)
    out, err = process.communicate(timeout=timeout)
    return process.returncode, out, err


# --- reading without the interpreter lock -----------------------------------------------------


@pytest.mark.parametrize("writer", ["none", "silent"])
def test_a_waiting_read_lets_other_threads_run_and_ctrl_c_through(writer, tmp_path):
    pipe = tmp_path / "waits.py"
    os.mkfifo(pipe)
    # With no writer the wait begins before the first read; with a silent one, after it.
    held = os.open(pipe, os.O_RDWR) if writer == "silent" else None
    process = child(f"""
        import signal, threading, time, quorv_lint
        # Ctrl-C as in a terminal, even when the tests run where SIGINT is
        # ignored (a background job inherits that, and so would this child).
        signal.signal(signal.SIGINT, signal.default_int_handler)
        started = threading.Event()
        def other_thread():
            started.wait()
            time.sleep(0.3)  # by now the main thread waits inside lint_file
            print("other thread ran", flush=True)
        threading.Thread(target=other_thread, daemon=True).start()
        started.set()
        try:
            quorv_lint.lint_file({str(pipe)!r})
        except KeyboardInterrupt:
            print("KeyboardInterrupt", flush=True)
    """)
    try:
        assert process.stdout.readline() == "other thread ran\n"
        process.send_signal(signal.SIGINT)
        out, err = process.communicate(timeout=20)
    finally:
        process.kill()
        if held is not None:
            os.close(held)
    assert (process.returncode, out) == (0, "KeyboardInterrupt\n"), err


def test_reading_an_endless_device_stops_with_an_os_error():
    if not os.access("/dev/zero", os.R_OK):
        pytest.skip("no /dev/zero here")
    status, out, err = run_child("""
        import quorv_lint
        try:
            quorv_lint.lint_file("/dev/zero")
        except OSError as error:
            print(type(error).__name__, error)
    """)
    assert (status, out) == (0, f"OSError cannot read /dev/zero: {os.strerror(27)} (os error 27)\n"), err


def test_a_pipe_is_read_whole_as_before(tmp_path):
    pipe = tmp_path / "piped.py"
    os.mkfifo(pipe)
    process = child(f"import quorv_lint\nprint([f.code for f in quorv_lint.lint_file({str(pipe)!r})])")
    with open(pipe, "w") as writer:
        writer.write("EmbedMolecule(m)\n" * 100_000)  # more than a pipe holds: read in pieces
    out, err = process.communicate(timeout=60)
    assert out == str(["conformer-no-seed"] * 100_000) + "\n", err


# --- initialisation ---------------------------------------------------------------------------


def test_an_initialization_that_ran_out_of_memory_leaves_the_next_one_free():
    """One allocation fails, at each point of the initialization in turn; every later one must
    still be able to succeed."""
    status, out, err = run_child("""
        import _imp, _testcapi, importlib.util
        spec = importlib.util.find_spec("quorv_lint")
        failures = 0
        for point in range(10_000):
            _testcapi.set_nomemory(point, point + 1)
            try:
                module = _imp.create_dynamic(spec)
            except MemoryError:
                failures += 1
                continue
            finally:
                _testcapi.remove_mem_hooks()
            break
        print(failures > 10, module.lint_source("EmbedMolecule(m)")[0].code)
    """)
    assert (status, out) == (0, "True conformer-no-seed\n"), (out, err)


def pyenv_python(version):
    for candidate in sorted(PYENV_VERSIONS.glob(f"{version}.*")):
        if (candidate / "bin" / "python3").exists():
            return str(candidate / "bin" / "python3")
    pytest.skip(f"no Python {version} here to run the module under")


@pytest.mark.parametrize("version, run_in_subinterpreter", [
    ("3.12", "import _xxsubinterpreters as interpreters\n"
             "def run(code):\n"
             "    return interpreters.run_string(interpreters.create(isolated=True), code)\n"),
    ("3.13", "import _interpreters as interpreters\n"
             "def run(code):\n"
             "    return interpreters.exec(interpreters.create('legacy'), code)\n"),
])
def test_an_import_refused_in_a_subinterpreter_leaves_the_main_one_free(version, run_in_subinterpreter):
    status, out, err = run_child(run_in_subinterpreter + textwrap.dedent(f"""
        try:
            failure = run("import sys; sys.path.insert(0, {MODULE_FOLDER!r}); import quorv_lint")
        except Exception as error:  # 3.12 raises what the subinterpreter raised
            failure = error
        print("ImportError" in str(failure))
        import quorv_lint
        print(quorv_lint.lint_source("EmbedMolecule(m)")[0].code)
    """), python=pyenv_python(version))
    assert (status, out) == (0, "True\nconformer-no-seed\n"), err


# --- memory and speed in proportion -----------------------------------------------------------


def best_of(function, *args, repeats=5):
    best = float("inf")
    for _ in range(repeats):
        start = time.perf_counter()
        function(*args)
        best = min(best, time.perf_counter() - start)
    return best


def test_error_count_counts_in_place():
    findings = quorv_lint.lint_source("EmbedMolecule(m)\nEmbedMolecule(randomSeed=-1)\n" * 50_000)
    import tracemalloc
    tracemalloc.start()
    try:
        count = quorv_lint.error_count(findings)
        _, peak = tracemalloc.get_traced_memory()
    finally:
        tracemalloc.stop()
    assert count == 50_000
    assert peak < 4096  # nothing per item
    by_hand = best_of(lambda: sum(f.is_error for f in findings))
    assert best_of(quorv_lint.error_count, findings) < by_hand


SOURCE_SHAPES = {
    "commas": lambda n: "EmbedMolecule(" + "," * n,
    "commas and a seed attribute": lambda n: "p.randomSeed = 1\nEmbedMolecule(" + ", p" * (n // 3),
    "equals signs": lambda n: "EmbedMolecule(" + "=" * n,
    "brackets": lambda n: "EmbedMolecule(" + "[," * (n // 2),
    "keywords": lambda n: "EmbedMolecule(" + "randomSeed" * (n // 10),
    "nested calls": lambda n: "EmbedMolecule(p, " * (n // 17) + "p.randomSeed",
    "prose": lambda n: "x = 1  # a comment, with (brackets) and = signs\n" * (n // 48),
}


@pytest.mark.parametrize("shape", SOURCE_SHAPES)
def test_the_source_checker_keeps_within_a_small_multiple_of_its_input(shape):
    status, out, err = run_child(f"""
        import gc, quorv_lint
        from pathlib import Path
        sys.path.insert(0, {str(Path(__file__).parent)!r})
        from test_module_hostile import SOURCE_SHAPES
        def kilobytes(field):
            for line in Path("/proc/self/status").read_text().splitlines():
                if line.startswith(field + ":"):
                    return int(line.split()[1])
        text = SOURCE_SHAPES[{shape!r}](4_000_000)
        gc.collect()
        before = kilobytes("VmRSS")
        Path("/proc/self/clear_refs").write_text("5")  # resets the peak to now
        quorv_lint.lint_source(text)
        print((kilobytes("VmHWM") - before) * 1024 / len(text))
    """)
    assert status == 0, err
    # The copies of the text the call makes for the core count in this; findings (here at most two) too.
    assert float(out) < 8.0, out
