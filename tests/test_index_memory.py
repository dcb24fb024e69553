"""A thread keeps the spatial index's memory from one cluster to the next,
which spares allocating it again, but not after a very large cluster: what
a thread holds between calls stays small whatever it linted."""

import os
import subprocess
import sys

PAGE_SIZE = os.sysconf("SC_PAGE_SIZE")


def test_a_very_large_cluster_leaves_no_index_memory_behind():
    # A million hydrogens 1 Å apart on a cube's lattice: nothing to report,
    # and an index of some 30 MB for the overlap search.
    code = f"""if True:
        import quorv_lint
        side = 100
        atoms = ",".join(f'["H",{{x}},{{y}},{{z}}]' for x in range(side) for y in range(side) for z in range(side))
        text = '{{"atoms":[' + atoms + '],"charge":0,"spin_multiplicity":1}}'
        del atoms

        def resident():
            with open("/proc/self/statm") as statm:
                return int(statm.read().split()[1]) * {PAGE_SIZE}

        before = resident()
        findings = quorv_lint.lint_json(text)
        print(len(findings), (resident() - before) // (1024 * 1024))
    """
    result = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, timeout=120)
    assert result.returncode == 0, result.stderr
    findings, megabytes_kept = map(int, result.stdout.split())
    assert findings == 0
    assert megabytes_kept < 8
