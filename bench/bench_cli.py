"""The quorv-lint command over 100,000 small files (XYZ geometries, JSON
cluster specs and Python scripts), in files per second: with one job per
core, with one job, and against a Python loop calling quorv_lint.lint_file on
the same files, all timed in this run.

    python bench/bench_cli.py [--files N] [--baseline-command PATH] [--command PATH]

--baseline-command times another build of the command (an earlier one, say)
on the same tree in the same run, so that the two can be compared as a ratio.
--command times that build instead of the installed one.
"""

import argparse
import os
import random
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

import quorv_lint

sys.path.insert(0, str(Path(__file__).parent))
from solvated_cluster import solvated_atoms, spec_json, xyz_text  # noqa: E402
from timing import best_seconds, milliseconds  # noqa: E402

FILE_COUNT = 100_000
FILES_PER_FOLDER = 500
SCRIPT = '''from rdkit import Chem
from rdkit.Chem import AllChem

mol = Chem.AddHs(Chem.MolFromSmiles("{smiles}"))
params = AllChem.ETKDGv3()
params.randomSeed = {seed}
AllChem.EmbedMolecule(mol, params)
'''


def write_files(root, count):
    """`count` small inputs in folders of FILES_PER_FOLDER; returns their paths."""
    rng = random.Random(7)
    paths = []
    for number in range(count):
        folder = root / f"batch{number // FILES_PER_FOLDER:04d}"
        folder.mkdir(exist_ok=True)
        kind = number % 3
        if kind == 2:
            path = folder / f"embed{number}.py"
            path.write_text(SCRIPT.format(smiles=rng.choice(["CCO", "c1ccccc1", "CC(=O)O"]), seed=number))
        else:
            atoms = solvated_atoms(rng.randint(4, 40), seed=number)
            path = folder / (f"cluster{number}.xyz" if kind == 0 else f"cluster{number}.json")
            path.write_text(xyz_text(atoms) if kind == 0 else spec_json(atoms))
        paths.append(path)
    return paths


def installed_command():
    found = shutil.which("quorv-lint", path=str(Path(sys.executable).parent)) or shutil.which("quorv-lint")
    if not found:
        sys.exit("quorv-lint is not installed: run make build")
    return found


def commands_to_compare(options):
    """The installed command, and the one of --baseline-command if given, by name."""
    commands = {"quorv-lint": options.command or installed_command()}
    if options.baseline_command:
        commands["baseline"] = options.baseline_command
    return commands


def run_command(executable, root, jobs):
    arguments = [executable, "--format", "json", str(root)]
    if jobs:
        arguments[1:1] = ["--jobs", str(jobs)]
    result = subprocess.run(arguments, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, check=False)
    if result.returncode not in (0, 1):
        sys.exit(f"{executable} failed with status {result.returncode}: {result.stderr.decode()[:500]}")


def lint_each(paths):
    for path in paths:
        quorv_lint.lint_file(str(path))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--files", type=int, default=FILE_COUNT)
    parser.add_argument("--baseline-command", help="another build of quorv-lint to time on the same files")
    parser.add_argument("--command", help="the build of quorv-lint to time (default: the installed one)")
    options = parser.parse_args()
    commands = commands_to_compare(options)

    timings = {}
    with tempfile.TemporaryDirectory(prefix="quorv-bench-") as folder:
        root = Path(folder)
        paths = write_files(root, options.files)
        megabytes = sum(path.stat().st_size for path in paths) / 1e6
        print(f"{options.files} files, {megabytes:.1f} MB, on {os.cpu_count()} cores")
        run_command(commands["quorv-lint"], root, None)  # warm the file system caches
        # Alternated, so that a burst of other work on the machine hits all of them alike.
        python_loop = float("inf")
        for _ in range(3):
            for name, executable in commands.items():
                for jobs in (None, 1):
                    seconds = best_seconds(run_command, executable, root, jobs, repeats=1)
                    timings[name, jobs] = min(timings.get((name, jobs), float("inf")), seconds)
            python_loop = min(python_loop, best_seconds(lint_each, paths, repeats=1))

    def rate(seconds):
        return options.files / seconds

    rows = [(f"{name} ({'--jobs 1' if jobs else 'one job per core'})", seconds)
            for (name, jobs), seconds in timings.items()]
    rows.append(("Python loop over lint_file", python_loop))
    for label, seconds in rows:
        print(f"{label:38s} {milliseconds(seconds)}  {rate(seconds):9.0f} files/s")
    one_job = timings["quorv-lint", 1]
    print(f"quorv-lint --jobs 1 is {python_loop / one_job:.2f}x the speed of the Python loop; "
          f"all cores {one_job / timings['quorv-lint', None]:.2f}x one job")
    if "baseline" in commands:
        for jobs, label in ((None, "one job per core"), (1, "--jobs 1")):
            print(f"quorv-lint is {timings['baseline', jobs] / timings['quorv-lint', jobs]:.2f}x "
                  f"the baseline's files/s ({label})")


if __name__ == "__main__":
    main()
