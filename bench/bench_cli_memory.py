"""Peak memory of the quorv-lint command on 3,000 coincident atoms: 4,498,500
overlapping-atoms findings from a 27 kB file, written as text, JSON lines and
SARIF to /dev/null. Measured in the same run against the command with every
finding filtered out (--select of another code), which costs the rules the
same and shows none: the difference is what showing the findings costs.

    python bench/bench_cli_memory.py [--atoms N] [--baseline-command PATH]
"""

import argparse
import resource
import subprocess
import sys
import tempfile
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).parent))
from bench_cli import commands_to_compare  # noqa: E402

ATOMS = 3000
TARGET_MB = 100


def peak_of(arguments):
    """Peak resident memory (MB) and seconds of one run, in a fresh process that runs only it."""
    code = ("import resource, subprocess, sys, time\n"
            "start = time.perf_counter()\n"
            "subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)\n"
            "print(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss, time.perf_counter() - start)")
    kilobytes, seconds = subprocess.run([sys.executable, "-c", code, *arguments], capture_output=True, text=True,
                                        check=True).stdout.split()
    return int(kilobytes) / 1024, float(seconds)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--atoms", type=int, default=ATOMS)
    parser.add_argument("--baseline-command", help="another build of quorv-lint to measure the same way")
    parser.add_argument("--command", help="the build of quorv-lint to measure (default: the installed one)")
    options = parser.parse_args()
    commands = commands_to_compare(options)
    findings = options.atoms * (options.atoms - 1) // 2
    with tempfile.TemporaryDirectory(prefix="quorv-bench-") as folder:
        path = Path(folder) / "coincident.xyz"
        path.write_text(f"{options.atoms}\n0 1\n" + "He 0 0 0\n" * options.atoms)
        print(f"{options.atoms} coincident atoms, {findings:,} findings, {path.stat().st_size / 1e3:.0f} kB file")
        for name, executable in commands.items():
            shown_none, _ = peak_of([executable, "--select", "unit-scale", str(path)])
            print(f"{name}: none shown (the rules alone)  peak {shown_none:7.1f} MB")
            for output in ("text", "json", "sarif"):
                peak, seconds = peak_of([executable, "--format", output, str(path)])
                verdict = "met" if peak <= TARGET_MB else "not met"
                print(f"{name}: {output:5s} output                 peak {peak:7.1f} MB "
                      f"({peak / shown_none:.2f}x the rules alone; {TARGET_MB} MB target {verdict}), "
                      f"{seconds:.1f} s")


if __name__ == "__main__":
    main()
