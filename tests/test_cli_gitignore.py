"""A directory search leaves out what git ignores: checked against git's own answer."""
import json
import os
import subprocess
import sys
from pathlib import Path

import pytest

QUORV_LINT = Path(sys.executable).with_name("quorv-lint")

# Every file is made to give a finding, so that the files linted are exactly
# the paths the JSON lines name.
BARE_OXYGEN_XYZ = "1\n0 1\nO 0 0 0\n"
BARE_OXYGEN_JSON = '{"atoms": [["O", 0, 0, 0]], "charge": 0, "spin_multiplicity": 1}'
UNSEEDED = "AllChem.EmbedMolecule(mol)\n"
CONTENT_BY_SUFFIX = {".xyz": BARE_OXYGEN_XYZ, ".json": BARE_OXYGEN_JSON, ".py": UNSEEDED}

IGNORE_FILES = {
    ".gitignore": "\n".join([
        "# a comment, then patterns of every kind",
        "*.log.xyz",
        "build/",
        "/top_only.xyz",
        "data/**/cache/",
        "doc/*.json",
        "!doc/keep.json",
        r"\#hash.xyz",
        "trailing.xyz   ",
        "[ab]?.xyz",
        "**/deep/x.py",
        "sub/**",
        "!sub/re.xyz",
        "lone",
        "x[!0-9].json",
        "mid/*/end.xyz",
        "",
    ]),
    "a/.gitignore": "*.json\n!a_keep.json\n/local.xyz\n",
    "a/b/.gitignore": "!*.json\nb_only.py\n",
    ".git/info/exclude": "excluded_by_info.xyz\n",
}

FILES = [
    "plain.xyz", "run.log.xyz", "build/out.xyz", "nested/build/out.json", "top_only.xyz", "nested/top_only.xyz",
    "data/a/cache/c.xyz", "data/cache/c.json", "data/a/b/cache/c.py", "data/keep.xyz", "doc/x.json",
    "doc/keep.json", "doc/sub/x.json", "#hash.xyz", "trailing.xyz", "a1.xyz", "c1.xyz", "ab.xyz", "q/deep/x.py",
    "deep/x.py", "sub/re.xyz", "sub/no.xyz", "sub/inner/no.py", "lone/x.xyz", "nested/lone", "xa.json",
    "x1.json", "mid/one/end.xyz", "mid/one/two/end.xyz", "a/spec.json", "a/a_keep.json", "a/local.xyz",
    "a/c/local.xyz", "a/b/spec.json", "a/b/b_only.py", "a/b/c/b_only.py", "excluded_by_info.xyz",
]


def git(*args, cwd, stdin=None):
    env = dict(os.environ, HOME=str(cwd), GIT_CONFIG_NOSYSTEM="1", XDG_CONFIG_HOME=str(cwd / ".no-config"))
    return subprocess.run(["git", *args], cwd=cwd, input=stdin, capture_output=True, text=True, env=env)


def linted_paths(*args, cwd):
    completed = subprocess.run([str(QUORV_LINT), "--format", "json", *args], cwd=cwd, capture_output=True)
    lines = [json.loads(line) for line in completed.stdout.decode().splitlines()]
    return {record["path"] for record in lines if "path" in record}, lines[-1]


@pytest.fixture
def ignored_tree(tmp_path):
    assert git("init", "-q", ".", cwd=tmp_path).returncode == 0
    for name, text in IGNORE_FILES.items():
        (tmp_path / name).parent.mkdir(parents=True, exist_ok=True)
        (tmp_path / name).write_text(text)
    for name in FILES:
        path = tmp_path / name
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_text(CONTENT_BY_SUFFIX.get(path.suffix, BARE_OXYGEN_XYZ))
    return tmp_path


def git_keeps(tree, candidates):
    ignored = git("check-ignore", "--stdin", cwd=tree, stdin="\n".join(candidates) + "\n")
    assert ignored.returncode in (0, 1), ignored.stderr
    return set(candidates) - set(ignored.stdout.splitlines())


def searched(name):
    return Path(name).suffix in CONTENT_BY_SUFFIX


def test_the_search_lints_exactly_what_git_does_not_ignore(ignored_tree):
    expected = git_keeps(ignored_tree, [name for name in FILES if searched(name)])
    assert "build/out.xyz" not in expected and "doc/keep.json" in expected  # the matrix has both kinds
    linted, summary = linted_paths(".", cwd=ignored_tree)
    assert linted == expected
    assert summary["ignored"] > 0


@pytest.mark.parametrize("start", ["a", "a/b", "data", "sub"])
def test_a_search_started_below_the_root_follows_the_ignore_files_above_it(ignored_tree, start):
    expected = git_keeps(ignored_tree, [name for name in FILES if searched(name) and name.startswith(start + "/")])
    linted, _ = linted_paths(start, cwd=ignored_tree)
    assert linted == expected


def test_respect_gitignore_can_be_turned_off_and_named_files_are_always_linted(ignored_tree):
    everything = {name for name in FILES if searched(name)}
    linted, summary = linted_paths("--no-respect-gitignore", ".", cwd=ignored_tree)
    assert linted == everything and summary["ignored"] == 0
    linted, _ = linted_paths("build/out.xyz", "sub/no.xyz", cwd=ignored_tree)
    assert linted == {"build/out.xyz", "sub/no.xyz"}


def test_dot_ignore_files_count_outside_git_and_win_over_gitignore(tmp_path):
    (tmp_path / ".gitignore").write_text("*.xyz\n")
    (tmp_path / ".ignore").write_text("!keep.xyz\nskip.py\n")
    for name in ["keep.xyz", "drop.xyz", "skip.py", "run.py"]:
        (tmp_path / name).write_text(CONTENT_BY_SUFFIX[Path(name).suffix])
    linted, summary = linted_paths(".", cwd=tmp_path)
    assert linted == {"keep.xyz", "run.py"}
    assert summary["ignored"] == 2
