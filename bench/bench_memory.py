"""Peak memory of one call, against the size of its text: each call runs in
a fresh process, which resets its peak resident size just before the call and
reads it right after, so the figure includes everything the call holds at its
peak, the returned Finding objects and their list included.

- the 100,000-atom solvated cluster through lint_json and lint_xyz, and
  json.loads of the same text for comparison;
- the 1,000,000-atom solvated cluster (clean: no finding) through both; the
  goal is a peak at most 2x the text;
- 3,000 coincident atoms through lint_xyz: n(n-1)/2 = 4,498,500
  overlapping-atoms findings; the goals are at most 1.0 GB and at most 200
  bytes per finding.

It ends with the page faults of a call repeated in a loop (memory handed
back to the system and touched again on the next call), on the
100,000-atom cluster, json.loads for comparison."""

import gc
import json
import resource
import subprocess
import sys
from pathlib import Path

import quorv_lint

sys.path.insert(0, str(Path(__file__).parent))
from solvated_cluster import solvated_atoms, spec_json, xyz_text  # noqa: E402

COINCIDENT_ATOMS = 3_000


def coincident_xyz():
    return f"{COINCIDENT_ATOMS}\n\n" + "H 0.0 0.0 0.0\n" * COINCIDENT_ATOMS


CASES = {
    "lint_json, 100,000 atoms": (lambda: spec_json(solvated_atoms(100_000)), quorv_lint.lint_json),
    "lint_xyz, 100,000 atoms": (lambda: xyz_text(solvated_atoms(100_000)), quorv_lint.lint_xyz),
    "json.loads, 100,000 atoms": (lambda: spec_json(solvated_atoms(100_000)), json.loads),
    "lint_json, 1,000,000 atoms": (lambda: spec_json(solvated_atoms(1_000_000)), quorv_lint.lint_json),
    "lint_xyz, 1,000,000 atoms": (lambda: xyz_text(solvated_atoms(1_000_000)), quorv_lint.lint_xyz),
    f"lint_xyz, {COINCIDENT_ATOMS:,} coincident atoms": (coincident_xyz, quorv_lint.lint_xyz),
}


def status_kilobytes(field):
    for line in Path("/proc/self/status").read_text().splitlines():
        if line.startswith(field + ":"):
            return int(line.split()[1])
    raise RuntimeError(f"no {field} in /proc/self/status")


def measure_here(name):
    """Runs one call in this process; prints input bytes, peak growth in bytes and the result's length."""
    make_text, call = CASES[name]
    text = make_text()
    gc.collect()
    before = status_kilobytes("VmRSS")
    # Writing 5 resets the peak resident size (VmHWM) to the current one.
    Path("/proc/self/clear_refs").write_text("5")
    result = call(text)
    peak = status_kilobytes("VmHWM")
    print(len(text.encode()), (peak - before) * 1024, len(result) if isinstance(result, list) else 0)


def page_faults_per_call(call, text, calls=10):
    call(text)
    before = resource.getrusage(resource.RUSAGE_SELF).ru_minflt
    for _ in range(calls):
        call(text)
    return (resource.getrusage(resource.RUSAGE_SELF).ru_minflt - before) / calls


def print_page_faults():
    atoms = solvated_atoms(100_000)
    json_text, xyz = spec_json(atoms), xyz_text(atoms)
    print("page faults per call, in a loop of 10 calls on the 100,000-atom cluster:")
    for name, call, text in (("lint_json", quorv_lint.lint_json, json_text), ("lint_xyz", quorv_lint.lint_xyz, xyz),
                             ("json.loads", json.loads, json_text)):
        print(f"{name:11s} {page_faults_per_call(call, text):8.1f}")


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--child":
        measure_here(sys.argv[2])
        return
    print("peak memory growth during one call:")
    for name in CASES:
        output = subprocess.run([sys.executable, __file__, "--child", name], capture_output=True, text=True,
                                check=True).stdout.split()
        input_bytes, growth, findings = int(output[0]), int(output[1]), int(output[2])
        line = (f"{name:32s} input {input_bytes / 1e6:6.1f} MB, peak grows by {growth / 1e6:7.1f} MB "
                f"= {growth / input_bytes:6.2f}x the input")
        if findings:
            line += f"; {findings:,} findings, {growth / findings:.0f} bytes each"
        print(line)
    print_page_faults()


if __name__ == "__main__":
    main()
