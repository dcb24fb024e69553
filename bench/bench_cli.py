"""The quorv-lint command over 10,000 small files (XYZ geometries, JSON
cluster specs and Python scripts), in files per second: with one job per
core, with one job, and against a Python loop calling quorv_lint.lint_file on
the same files, all timed in this run."""

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

FILE_COUNT = 10_000
FILES_PER_FOLDER = 500
SCRIPT = '''from rdkit import Chem
from rdkit.Chem import AllChem

mol = Chem.AddHs(Chem.MolFromSmiles("{smiles}"))
params = AllChem.ETKDGv3()
params.randomSeed = {seed}
AllChem.EmbedMolecule(mol, params)
'''


def write_files(root):
    """FILE_COUNT small inputs in folders of FILES_PER_FOLDER; returns their paths."""
    rng = random.Random(7)
    paths = []
    for number in range(FILE_COUNT):
        folder = root / f"batch{number // FILES_PER_FOLDER:03d}"
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


def command():
    found = shutil.which("quorv-lint", path=str(Path(sys.executable).parent)) or shutil.which("quorv-lint")
    if not found:
        sys.exit("quorv-lint is not installed: run make build")
    return found


def run_command(executable, root, jobs):
    arguments = [executable, "--format", "json", str(root)]
    if jobs:
        arguments[1:1] = ["--jobs", str(jobs)]
    result = subprocess.run(arguments, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, check=False)
    if result.returncode not in (0, 1):
        sys.exit(f"quorv-lint failed with status {result.returncode}: {result.stderr.decode()[:500]}")


def lint_each(paths):
    for path in paths:
        quorv_lint.lint_file(str(path))


def main():
    executable = command()
    with tempfile.TemporaryDirectory(prefix="quorv-bench-") as folder:
        root = Path(folder)
        paths = write_files(root)
        megabytes = sum(path.stat().st_size for path in paths) / 1e6
        print(f"{FILE_COUNT} files, {megabytes:.1f} MB, on {os.cpu_count()} cores")
        all_cores = best_seconds(run_command, executable, root, None, repeats=3)
        one_job = best_seconds(run_command, executable, root, 1, repeats=3)
        python_loop = best_seconds(lint_each, paths, repeats=3)
    for label, seconds in (("quorv-lint (one job per core)", all_cores), ("quorv-lint --jobs 1", one_job),
                           ("Python loop over lint_file", python_loop)):
        print(f"{label:31s} {milliseconds(seconds)}  {FILE_COUNT / seconds:9.0f} files/s")
    print(f"quorv-lint --jobs 1 is {python_loop / one_job:.2f}x the speed of the Python loop; "
          f"all cores {one_job / all_cores:.2f}x one job")


if __name__ == "__main__":
    main()
