"""The JSON reader sizes its atom list from the text that the first atoms
take. The guess may be wrong in either direction: it must never change what a
call returns, and never fail a call whose text fits in memory."""

import os
import subprocess
import sys

import pytest

import quorv_lint

PAGE_SIZE = os.sysconf("SC_PAGE_SIZE")


def tiny_atoms(count):
    # Hydrogens 1 Å apart along x: nothing to report but the missing charge.
    return ",".join(f'["H",{i},0,0]' for i in range(count))


def as_tuples(findings):
    return [(f.severity, f.code, f.message) for f in findings]


@pytest.mark.parametrize("count", [1, 2, 63, 64, 65, 300])
@pytest.mark.parametrize("after", [
    "",
    ',"note":[' + ",".join(["0"] * 100_000) + "]",  # much more text than the atoms need
    ',"note":"' + "n" * 50_000 + '"',
])
def test_the_list_holds_what_the_text_says_whatever_follows_it(count, after):
    plain = as_tuples(quorv_lint.lint_json(f'{{"atoms":[{tiny_atoms(count)}]}}'))
    assert as_tuples(quorv_lint.lint_json(f'{{"atoms":[{tiny_atoms(count)}]{after}}}')) == plain


def lone_oxygen(index, padding):
    # Each 10 Å from the next: one bare-heteroatom error per atom, naming it.
    pad = f', "pad": "{"p" * padding}"' if padding else ""
    return f'{{"element": "O", "x": {10 * index}, "y": 0, "z": 0{pad}}}'


@pytest.mark.parametrize("first_padding, rest_padding", [
    (10_000, 0),  # long first atoms: a guess far too low
    (0, 1_000),   # short first atoms: a guess far too high
])
def test_atoms_unlike_the_first_ones_are_all_read(first_padding, rest_padding):
    count = 2_000
    atoms = [lone_oxygen(i, first_padding if i < 64 else rest_padding) for i in range(count)]
    findings = quorv_lint.lint_json('{"atoms": [' + ", ".join(atoms) + "]}")
    bare = [f.message for f in findings if f.code == "bare-heteroatom"]
    assert len(bare) == count
    assert bare[-1].startswith(f"atom {count - 1} (O) has no bonding partner")


def test_a_guess_that_does_not_fit_under_an_address_space_limit_is_dropped():
    # 64 short atoms and then 64 MB of other values: read at their density,
    # the rest would hold some five million atoms, about 300 MB of list.
    code = f"""if True:
        import resource
        import quorv_lint
        atoms = ",".join(f'["H",{{i}},0,0]' for i in range(64))
        text = '{{"atoms":[' + atoms + '],"note":[' + "0," * 32_000_000 + '0]}}'
        with open("/proc/self/statm") as statm:
            virtual = int(statm.read().split()[0]) * {PAGE_SIZE}
        limit = virtual + 128 * 1024 * 1024
        resource.setrlimit(resource.RLIMIT_AS, (limit, limit))
        print([f.code for f in quorv_lint.lint_json(text)])
    """
    result = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, timeout=120)
    assert result.returncode == 0, result.stderr
    assert result.stdout.strip() == "['electron-parity-abstain']"
