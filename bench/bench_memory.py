"""Peak memory of linting the 100,000-atom solvated cluster, against the size
of its text: each call runs in a fresh process, which resets its peak
resident size just before the call and reads it right after. json.loads of
the same text is measured the same way for comparison."""

import gc
import json
import subprocess
import sys
from pathlib import Path

import quorv_lint

sys.path.insert(0, str(Path(__file__).parent))
from solvated_cluster import solvated_atoms, spec_json, xyz_text  # noqa: E402

ATOM_COUNT = 100_000
CALLS = {
    "lint_json": (spec_json, quorv_lint.lint_json),
    "lint_xyz": (xyz_text, quorv_lint.lint_xyz),
    "json.loads": (spec_json, json.loads),
}


def status_kilobytes(field):
    for line in Path("/proc/self/status").read_text().splitlines():
        if line.startswith(field + ":"):
            return int(line.split()[1])
    raise RuntimeError(f"no {field} in /proc/self/status")


def measure_here(name):
    """Runs one call in this process; prints input bytes and peak growth in bytes."""
    make_text, call = CALLS[name]
    text = make_text(solvated_atoms(ATOM_COUNT))
    gc.collect()
    before = status_kilobytes("VmRSS")
    # Writing 5 resets the peak resident size (VmHWM) to the current one.
    Path("/proc/self/clear_refs").write_text("5")
    result = call(text)
    peak = status_kilobytes("VmHWM")
    del result
    print(len(text.encode()), (peak - before) * 1024)


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--child":
        measure_here(sys.argv[2])
        return
    print(f"peak memory growth during one call on the {ATOM_COUNT:,}-atom cluster:")
    for name in CALLS:
        output = subprocess.run([sys.executable, __file__, "--child", name], capture_output=True, text=True,
                                check=True).stdout.split()
        input_bytes, growth = int(output[0]), int(output[1])
        print(f"{name:11s} input {input_bytes / 1e6:5.1f} MB, peak grows by {growth / 1e6:6.1f} MB "
              f"= {growth / input_bytes:.2f}x the input")


if __name__ == "__main__":
    main()
