"""The per-code pages: one per code, printed by --explain, and their examples fail as they show."""
import re
import subprocess
import sys
from pathlib import Path

import pytest

import quorv_lint
from finding_codes import CODES

ROOT = Path(__file__).resolve().parent.parent
PAGES = ROOT / "docs" / "codes"
QUORV_LINT = Path(sys.executable).with_name("quorv-lint")

SUFFIX_OF_FENCE = {"json": ".json", "xyz": ".xyz", "python": ".py"}
SECTIONS = [
    "## What it does", "## Why is this bad?", "## How to fix it", "## Example", "## Use instead", "## Known problems",
    "## Preview",
]


def run_cli(*args, cwd=None):
    completed = subprocess.run([str(QUORV_LINT), *args], cwd=cwd, capture_output=True)
    return completed.returncode, completed.stdout.decode("utf-8"), completed.stderr.decode("utf-8")


def section(page, heading):
    start = page.index(heading + "\n")
    following = page.find("\n## ", start + 1)
    return page[start:following if following != -1 else len(page)]


def fences(text):
    """The (language, body) of every fenced block, in order."""
    return re.findall(r"^```(\w*)\n(.*?)^```$", text, flags=re.S | re.M)


def test_every_code_has_exactly_one_page():
    assert sorted(p.stem for p in PAGES.glob("*.md")) == sorted(CODES)


@pytest.mark.parametrize("code", CODES)
def test_explain_prints_the_page_byte_for_byte(code):
    status, out, _ = run_cli("--explain", code)
    assert status == 0
    assert out == (PAGES / f"{code}.md").read_text(encoding="utf-8")


@pytest.mark.parametrize("code", ["no-such-code", "Electron-Parity", ""])
def test_explain_of_an_unknown_code_lists_the_codes(code):
    status, out, err = run_cli("--explain", code)
    assert (status, out) == (2, "")
    assert f"unknown code '{code}'" in err
    assert all(known in err for known in CODES)


@pytest.mark.parametrize("code", CODES)
def test_each_page_has_the_sections_and_names_its_severity(code):
    page = (PAGES / f"{code}.md").read_text(encoding="utf-8")
    lines = page.splitlines()
    assert lines[0] == f"# {code}"
    assert lines[2] and not lines[2].startswith("-")  # the one-line summary
    assert f"- **Severity:** {CODES[code]}" in lines
    positions = [page.index(heading + "\n") for heading in SECTIONS]
    assert positions == sorted(positions)


@pytest.mark.parametrize("page, names", [
    ("bare-heteroatom", ["CCl₄", "S₈", "P₄", "μ-oxo"]),
    ("unit-scale", ["LiH"]),
    ("metal-uncoordinated", ["Au₁₃"]),
])
def test_the_pages_name_the_structures_their_rule_is_known_to_misjudge(page, names):
    known_problems = section((PAGES / f"{page}.md").read_text(encoding="utf-8"), "## Known problems")
    assert all(name in known_problems for name in names)


def test_the_index_leaves_the_list_to_the_command_and_links_the_pages():
    # The index does not restate the catalog: --list-codes lists the codes,
    # and every code has its page in the folder the index links.
    index = (ROOT / "docs" / "codes.md").read_text(encoding="utf-8")
    assert "quorv-lint --list-codes" in index
    assert "[codes/](codes/)" in index
    assert sorted(page.stem for page in PAGES.glob("*.md")) == sorted(CODES)


def example_of(code):
    page = (PAGES / f"{code}.md").read_text(encoding="utf-8")
    example = section(page, "## Example")
    file_name = re.search(r"^`([^`]+)`:$", example, flags=re.M).group(1)
    (language, failing), (console_language, console) = fences(example)[:2]
    ((fixed_language, fixed),) = fences(section(page, "## Use instead"))
    assert console_language == "console" and language == fixed_language
    assert file_name.endswith(SUFFIX_OF_FENCE[language])
    command, *expected = console.splitlines()
    options = [word for word in command.split()[2:-1]]
    assert set(options) <= {"--preview", "--warn-unused-noqa"}
    assert command == " ".join(["$ quorv-lint", *options, file_name])
    return file_name, failing, expected, fixed, options


@pytest.mark.parametrize("code", CODES)
def test_the_example_gives_the_output_shown_and_the_fix_is_clean(code, tmp_path):
    file_name, failing, expected, fixed, options = example_of(code)
    (tmp_path / file_name).write_text(failing, encoding="utf-8")
    status, out, err = run_cli(*options, file_name, cwd=tmp_path)
    assert (out.splitlines(), err) == (expected, "")
    assert status == (0 if expected[-1].startswith("0 errors,") else 1)
    assert f" {code} {CODES[code]} " in out

    (tmp_path / file_name).write_text(fixed, encoding="utf-8")
    status, out, err = run_cli(*options, file_name, cwd=tmp_path)
    assert (status, out, err) == (0, "0 errors, 0 warnings in 1 file\n", "")


def test_the_pre_commit_hook_runs_the_installed_command_on_the_three_kinds():
    hooks = (ROOT / ".pre-commit-hooks.yaml").read_text(encoding="utf-8")
    entry = re.search(r"^\s+entry:\s*(\S+)\s*$", hooks, flags=re.M).group(1)
    files = re.compile(re.search(r"^\s+files:\s*'([^']+)'\s*$", hooks, flags=re.M).group(1))
    assert re.search(r"^- id: quorv-lint$", hooks, flags=re.M)
    assert re.search(r"^\s+language: python$", hooks, flags=re.M)
    assert Path(sys.executable).with_name(entry) == QUORV_LINT and QUORV_LINT.is_file()
    picked = [name for name in ["a.xyz", "b.json", "dir/c.py", "d.txt", "e.pyc", "f.XYZ", "g.json.bak", "h.extxyz"]
              if files.search(name)]
    assert picked == ["a.xyz", "b.json", "dir/c.py", "f.XYZ", "h.extxyz"]
