"""Lint every input file of a folder through the Python API and print the findings."""
import sys
from pathlib import Path

import quorv_lint

# The module reads no configuration: pyproject.toml is for the command.
LINTED_SUFFIXES = {".xyz", ".json", ".py"}


def main(folder: str) -> int:
    for path in sorted(Path(folder).iterdir()):
        if not path.is_file() or path.suffix not in LINTED_SUFFIXES:
            continue
        print(f"== {path}")
        try:
            findings = quorv_lint.lint_file(str(path))
        except (OSError, ValueError) as error:
            print(f"   cannot lint: {error}")
            continue
        for finding in findings:
            print(f"   {finding}")
        print(f"   {quorv_lint.error_count(findings)} error(s), {len(findings)} finding(s)")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else "examples"))
