"""What a project's ignore files and configuration cost the quorv-lint search:
a tree of 20,000 small geometries in 400 folders, each folder with a
.gitignore of 30 patterns (none of which matches a geometry), and a
configuration with exclude patterns and per-file-ignores, timed against the
same run with --no-respect-gitignore --isolated, in turns, in this run.

    python bench/bench_cli_project.py [--files N]

The ratio stays near 1 when following the project costs little beside
linting; it must not grow with the number of files (run with --files 80000).
"""

import argparse
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).parent))
from timing import best_seconds_interleaved, milliseconds  # noqa: E402

FILES_PER_FOLDER = 50
WATER = "3\n0 1\nO 0 0 0\nH 0.96 0 0\nH -0.24 0.93 0\n"
IGNORE_PATTERNS = [f"*.tmp{i}" for i in range(10)] + [f"/scratch{i}/" for i in range(10)] + \
                  [f"**/cache{i}/**" for i in range(9)] + ["!keep.tmp0"]
CONFIG = """[tool.quorv-lint]
extend-exclude = ["drafts/", "*_old.xyz", "runs/**/tmp/"]

[tool.quorv-lint.per-file-ignores]
"batch0*/*.xyz" = ["unit-scale"]
"structures/atoms/*.xyz" = ["bare-heteroatom"]
"""


def write_tree(root, count):
    (root / "pyproject.toml").write_text(CONFIG)
    for number in range(count):
        folder = root / f"batch{number // FILES_PER_FOLDER:04d}"
        if not folder.exists():
            folder.mkdir()
            (folder / ".gitignore").write_text("\n".join(IGNORE_PATTERNS) + "\n")
        (folder / f"water{number}.xyz").write_text(WATER)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--files", type=int, default=20_000)
    args = parser.parse_args()
    command = shutil.which("quorv-lint", path=str(Path(sys.executable).parent)) or "quorv-lint"
    with tempfile.TemporaryDirectory() as directory:
        root = Path(directory)
        write_tree(root, args.files)

        def run(*options):
            completed = subprocess.run([command, "--quiet", *options, "."], cwd=root, capture_output=True)
            assert completed.returncode == 0, completed.stderr

        best = best_seconds_interleaved({
            "project": (run, ()),
            "plain": (run, ("--no-respect-gitignore", "--isolated")),
        })
    print(f"quorv-lint over {args.files:,} files in {args.files // FILES_PER_FOLDER} folders, each with a "
          f"{len(IGNORE_PATTERNS)}-pattern .gitignore")
    print(f"  following .gitignore and pyproject.toml {milliseconds(best['project'])}")
    print(f"  --no-respect-gitignore --isolated       {milliseconds(best['plain'])}")
    print(f"  ratio                                   {best['project'] / best['plain']:9.2f}")


if __name__ == "__main__":
    main()
