"""lint_source over every .py file of the installed packages, in MB/s on one
core (the goal is 1 GB/s), against str.count of "Embed" over the same texts:
a plain text scan in C, timed in this run, which shows what memory speed
allows here."""

import sysconfig
import sys
from pathlib import Path

import quorv_lint

sys.path.insert(0, str(Path(__file__).parent))
from timing import best_seconds, milliseconds  # noqa: E402


def corpus():
    """The text of every installed .py file that decodes as UTF-8."""
    roots = {Path(sysconfig.get_paths()[key]) for key in ("purelib", "platlib")}
    texts = []
    for root in sorted(roots):
        for path in sorted(root.rglob("*.py")):
            try:
                texts.append(path.read_text(encoding="utf-8"))
            except (OSError, UnicodeDecodeError):
                continue
    return texts


def lint_all(texts):
    return sum(len(quorv_lint.lint_source(text)) for text in texts)


def count_all(texts):
    return sum(text.count("Embed") for text in texts)


def main():
    texts = corpus()
    megabytes = sum(len(text.encode()) for text in texts) / 1e6
    print(f"corpus: {len(texts)} files, {megabytes:.1f} MB of UTF-8, {lint_all(texts)} findings")
    lint_seconds = best_seconds(lint_all, texts)
    scan_seconds = best_seconds(count_all, texts)
    print(f"quorv_lint.lint_source: {milliseconds(lint_seconds)}  {megabytes / lint_seconds:8.0f} MB/s (goal: 1000)")
    print(f"str.count('Embed'):     {milliseconds(scan_seconds)}  {megabytes / scan_seconds:8.0f} MB/s")
    print(f"lint_source runs at {scan_seconds / lint_seconds:.2f}x the speed of a plain str.count scan")


if __name__ == "__main__":
    main()
