"""The quorv-lint command on a generated 200,000-frame extended XYZ data set
(small rattled molecules with forces, energy, charge and multiplicity, about
72 MB): every frame linted, against a Python loop that calls
quorv_lint.lint_xyz on the same frames already split in memory, timed in
turns in this run. Also the command with --jobs 1, and its peak memory.

    python bench/bench_cli_frames.py [--frames N] [--repeats N]
"""

import argparse
import json
import os
import random
import subprocess
import sys
import tempfile
import time
from pathlib import Path

import quorv_lint

sys.path.insert(0, str(Path(__file__).parent))
from bench_cli import installed_command  # noqa: E402

FRAMES = 200_000
TARGET_RATIO = 3.0
TARGET_PEAK_MB = 100

# The molecules of the set (ångström), as a data set of small molecules has them.
MOLECULES = [
    [("O", (0, 0, 0.119)), ("H", (0, 0.763, -0.477)), ("H", (0, -0.763, -0.477))],
    [("N", (0, 0, 0.117)), ("H", (0, 0.940, -0.272)), ("H", (0.814, -0.470, -0.272)),
     ("H", (-0.814, -0.470, -0.272))],
    [("C", (0, 0, 0)), ("H", (0.629, 0.629, 0.629)), ("H", (-0.629, -0.629, 0.629)),
     ("H", (0.629, -0.629, -0.629)), ("H", (-0.629, 0.629, -0.629))],
    [("C", (-0.047, 0.665, 0)), ("O", (-0.047, -0.757, 0)), ("H", (-1.086, 0.976, 0)),
     ("H", (0.437, 1.081, 0.888)), ("H", (0.437, 1.081, -0.888)), ("H", (0.866, -1.087, 0))],
]
RATTLE = 0.04


def frame_texts(count):
    """Each frame's text, as ASE's extended XYZ writer lays it out."""
    rng = random.Random(7)
    for number in range(count):
        molecule = MOLECULES[number % len(MOLECULES)]
        lines = [f"{len(molecule)}",
                 f'Properties=species:S:1:pos:R:3:forces:R:3 energy={-76.4 + rng.gauss(0, RATTLE):.6f} '
                 f'charge=0 mult=1 pbc="F F F"']
        for element, position in molecule:
            x, y, z = (coordinate + rng.gauss(0, RATTLE) for coordinate in position)
            fx, fy, fz = (rng.uniform(-2, 2) for _ in range(3))
            lines.append(f"{element:<2s} {x:10.6f} {y:10.6f} {z:10.6f} {fx:7.3f} {fy:7.3f} {fz:7.3f}")
        yield "\n".join(lines) + "\n"


def python_loop(frames):
    """What a user would write without the command: lint_xyz on every frame."""
    findings = 0
    for frame in frames:
        findings += len(quorv_lint.lint_xyz(frame))
    return findings


def run_command(arguments):
    """Seconds, peak resident memory (MB) and the JSON summary of one run of the command, started
    from a small process of its own: a child's peak would count the pages of a large parent."""
    code = ("import resource, subprocess, sys, time\n"
            "start = time.perf_counter()\n"
            "done = subprocess.run(sys.argv[1:], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)\n"
            "seconds = time.perf_counter() - start\n"
            "print(done.returncode, resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss, seconds)\n"
            "print(done.stdout.decode().splitlines()[-1])")
    first, summary = subprocess.run([sys.executable, "-c", code, *arguments], capture_output=True, text=True,
                                    check=True).stdout.splitlines()
    status, kilobytes, seconds = first.split()
    if int(status) not in (0, 1):
        sys.exit(f"{arguments[0]} failed with status {status}")
    return float(seconds), int(kilobytes) / 1024, json.loads(summary)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--frames", type=int, default=FRAMES)
    parser.add_argument("--repeats", type=int, default=3)
    options = parser.parse_args()
    command = installed_command()
    frames = list(frame_texts(options.frames))
    with tempfile.TemporaryDirectory(prefix="quorv-bench-") as folder:
        path = Path(folder) / "data.extxyz"
        path.write_text("".join(frames))
        megabytes = path.stat().st_size / 1e6
        print(f"{options.frames:,} frames of extended XYZ, {megabytes:.1f} MB; {os.cpu_count()} cores, "
              f"load average {os.getloadavg()[0]:.1f}")

        best = {"command": float("inf"), "command --jobs 1": float("inf"), "python loop": float("inf")}
        peaks = {}
        for _ in range(options.repeats):
            for name, jobs in (("command", []), ("command --jobs 1", ["--jobs", "1"])):
                seconds, peak, summary = run_command([command, "--format", "json", *jobs, str(path)])
                assert summary["frames_linted"] == options.frames, summary
                best[name] = min(best[name], seconds)
                peaks[name] = max(peaks.get(name, 0.0), peak)
            start = time.perf_counter()
            python_loop(frames)
            best["python loop"] = min(best["python loop"], time.perf_counter() - start)

        loop = best["python loop"]
        for name, seconds in best.items():
            rate = options.frames / seconds
            line = f"{name:18s} {seconds * 1e3:9.1f} ms  {rate:10,.0f} frames/s  {megabytes / seconds:7.1f} MB/s"
            if name != "python loop":
                line += f"  {loop / seconds:5.2f}x the loop  peak {peaks[name]:6.1f} MB"
            print(line)
        ratio = loop / best["command"]
        print(f"command / python loop: {ratio:.2f}x faster (target {TARGET_RATIO}x: "
              f"{'met' if ratio >= TARGET_RATIO else 'not met'}); peak {peaks['command']:.1f} MB "
              f"(target {TARGET_PEAK_MB} MB: {'met' if peaks['command'] < TARGET_PEAK_MB else 'not met'})")
        print(f"load average after: {os.getloadavg()[0]:.1f}")


if __name__ == "__main__":
    main()
