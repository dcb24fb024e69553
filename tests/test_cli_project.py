"""quorv-lint in a real project: its configuration, suppressions per structure, and the
JSON files and build output that a search meets."""
import json
import re
import subprocess
import sys
from pathlib import Path

import jsonschema
import pytest

QUORV_LINT = Path(sys.executable).with_name("quorv-lint")
SARIF_SCHEMA = json.loads((Path(__file__).parent / "data" / "sarif-schema-2.1.0.json").read_text(encoding="utf-8"))

WATER = "3\n0 1\nO 0 0 0\nH 0.96 0 0\nH -0.24 0.93 0\n"
# CCl4 as it is: C-Cl 1.77 A is beyond the strict 1.75 A cutoff for carbon.
CCL4 = ("5\n0 1{}\nC 0 0 0\nCl 1.022 1.022 1.022\nCl -1.022 -1.022 1.022\nCl -1.022 1.022 -1.022\n"
        "Cl 1.022 -1.022 -1.022\n")
# The OH radical declared a singlet: the parity error shows how charge and multiplicity were read.
HYDROXYL = "2\n0 1{}\nO 0 0 0\nH 0.97 0 0\n"
WATER_IN_BOHR = "3\n0 1\nO 0 0 0\nH 1.81 0 0\nH -0.45 1.76 0\n"
H2_JSON = '{"atoms": [["H", 0, 0, 0], ["H", 0.74, 0, 0]], "charge": 0, "spin_multiplicity": 1}'
SEEDED = "AllChem.EmbedMolecule(mol, randomSeed=7)\n"
UNSEEDED = "AllChem.EmbedMolecule(mol)\n"
ASE_WATER_JSON = json.dumps({
    "1": {"ctime": 24.1, "mtime": 24.1, "user": "me", "numbers": [8, 1, 1],
          "positions": [[0, 0, 0], [0.96, 0, 0], [-0.24, 0.93, 0]], "cell": [[0] * 3] * 3, "pbc": [False] * 3},
    "ids": [1], "nextid": 2,
}, indent=1)

SKIPPED_JSON = "skipped 3 JSON files that are not cluster specs"


def run_cli(*args, cwd, stdin=None):
    completed = subprocess.run([str(QUORV_LINT), *map(str, args)], cwd=cwd, input=stdin, capture_output=True)
    completed.out = completed.stdout.decode("utf-8")
    completed.err = completed.stderr.decode("utf-8")
    return completed


def codes(completed):
    """(path, code) of every finding in JSON lines output."""
    return sorted((r["path"], r["code"]) for r in map(json.loads, completed.out.splitlines()) if r["type"] == "finding")


def write(root, files):
    for name, text in files.items():
        (root / name).parent.mkdir(parents=True, exist_ok=True)
        (root / name).write_text(text, encoding="utf-8")


@pytest.fixture
def project(tmp_path):
    """A project as a chemist keeps it: structures, scripts, data and a build folder git ignores."""
    write(tmp_path, {
        "structures/water.xyz": WATER,
        "structures/ccl4.xyz": CCL4.format("  # noqa: bare-heteroatom"),
        "scripts/embed.py": SEEDED,
        "data/settings.json": '{"functional": "PBE0", "basis": "def2-TZVP"}',
        "data/results.json": '{"energy": -76.4, "converged": true}',
        "data/water.json": ASE_WATER_JSON,
        "build/broken.json": '{"atoms": [',
        "build/copy.xyz": CCL4.format(""),
        ".gitignore": "build/\n",
    })
    subprocess.run(["git", "init", "-q", "."], cwd=tmp_path, check=True)
    return tmp_path


def test_the_project_lints_clean_and_the_summary_says_what_was_left_out_and_why(project):
    result = run_cli(".", cwd=project)
    assert (result.returncode, result.err) == (0, "")
    assert result.out == (f"0 errors, 0 warnings in 3 files; {SKIPPED_JSON}, "
                          "1 path ignored by .gitignore or .ignore\n")


def test_the_exit_status_follows_the_structures_alone(project):
    (project / "structures/ccl4.xyz").write_text(CCL4.format(""))
    result = run_cli(".", cwd=project)
    assert result.returncode == 1
    assert result.out.count("structures/ccl4.xyz:3: frame 0: bare-heteroatom error") == 1
    assert result.out.endswith(f"1 error, 0 warnings in 3 files; {SKIPPED_JSON}, "
                               "1 path ignored by .gitignore or .ignore\n")


@pytest.mark.parametrize("name, text, status, message", [
    # A spec that does not read is a spec all the same: it fails, never skipped.
    ("data/spec.json", '{"atoms": [["O", 0, 0]], "charge": 0}', 2, "not a valid cluster spec"),
    ("data/frames.json", '[{"element": "O"}]', 2, "not a valid cluster spec"),
    ("data/broken.json", '{"name": ', 2, "not a valid cluster spec"),
    ("data/ion.json", '{"atoms": [["Na", 0, 0, 0]], "charge": 1, "spin_multiplicity": 1}', 0, None),
])
def test_nothing_that_may_be_a_cluster_spec_is_skipped(project, name, text, status, message):
    write(project, {name: text})
    result = run_cli("--format", "json", ".", cwd=project)
    records = [json.loads(line) for line in result.out.splitlines()]
    assert result.returncode == status
    assert records[-1]["not_cluster_specs"] == 3
    if message:
        (failure,) = [r for r in records if r["type"] == "failure"]
        assert failure["path"] == name and failure["message"].startswith(message)


def test_a_json_file_named_on_the_command_line_is_always_linted(project):
    result = run_cli("data/settings.json", cwd=project)
    assert result.returncode == 2
    assert "data/settings.json: not a valid cluster spec: missing field `atoms`" in result.err


# Each configuration key: (the table's lines, extra files, arguments, expected findings by (path, code), status).
CONFIG_CASES = {
    "select": ('select = ["unit-scale"]', {}, [], [("structures/bohr.xyz", "unit-scale")], 0),
    "extend-select": ('select = ["unit-scale"]\nextend-select = ["electron-parity"]', {}, [],
                      [("structures/bohr.xyz", "unit-scale"), ("structures/oh.xyz", "electron-parity")], 1),
    "ignore": ('ignore = ["bare-heteroatom", "electron-parity"]', {}, [], [("structures/bohr.xyz", "unit-scale")], 0),
    "per-file-ignores": ('[tool.quorv-lint.per-file-ignores]\n"bohr.xyz" = ["bare-heteroatom", "unit-scale"]\n'
                         '"structures/oh.xyz" = ["electron-parity"]', {}, [], [], 0),
    "exclude": ('exclude = ["oh.xyz", "structures/bohr.xyz"]', {}, [], [], 0),
    "extend-exclude": ('extend-exclude = ["structures"]', {}, [], [], 0),
    "warnings-as-errors": ('warnings-as-errors = true\nignore = ["bare-heteroatom", "electron-parity"]', {}, [],
                           [("structures/bohr.xyz", "unit-scale")], 1),
    # The limit is for the files read whole; XYZ files are read as a stream, without one.
    "max-file-size": ("max-file-size = 20", {"structures/h2.json": H2_JSON}, [],
                      [("structures/bohr.xyz", "bare-heteroatom"), ("structures/bohr.xyz", "unit-scale"),
                       ("structures/oh.xyz", "electron-parity")], 2),
    "respect-gitignore": ("respect-gitignore = false\nselect = [\"bare-heteroatom\"]", {}, [],
                          [("build/copy.xyz", "bare-heteroatom"), ("structures/bohr.xyz", "bare-heteroatom")], 2),
    # CCl4 passes the preview rules, which judge C-Cl by the two atoms' radii.
    "preview": ("preview = true", {"structures/ccl4_plain.xyz": CCL4.format("")}, [],
                [("structures/bohr.xyz", "bare-heteroatom"), ("structures/bohr.xyz", "unit-scale"),
                 ("structures/oh.xyz", "electron-parity")], 1),
    # The command line wins over the file.
    "flags win": ('select = ["unit-scale"]\npreview = true', {}, ["--select", "electron-parity", "--no-preview"],
                  [("structures/oh.xyz", "electron-parity")], 1),
    "--exclude replaces": ('exclude = ["oh.xyz"]', {}, ["--exclude", "bohr.xyz"],
                           [("structures/oh.xyz", "electron-parity")], 1),
}


@pytest.mark.parametrize("case", CONFIG_CASES)
@pytest.mark.parametrize("file_name", ["pyproject.toml", "quorv-lint.toml", ".quorv-lint.toml"])
def test_each_configuration_key(project, case, file_name):
    table, extra, args, expected, status = CONFIG_CASES[case]
    header = "[tool.quorv-lint]\n" if file_name == "pyproject.toml" else ""
    if file_name != "pyproject.toml":
        table = table.replace("[tool.quorv-lint.per-file-ignores]", "[per-file-ignores]")
    write(project, {file_name: "[project]\nname = \"x\"\n" * (file_name == "pyproject.toml") + header + table + "\n",
                    "structures/bohr.xyz": WATER_IN_BOHR, "structures/oh.xyz": HYDROXYL.format(""), **extra})
    result = run_cli("--format", "json", *args, ".", cwd=project)
    assert codes(result) == expected
    assert result.returncode == status


def test_the_closest_configuration_governs_its_subtree_and_config_and_isolated_choose_one(project):
    write(project, {"pyproject.toml": '[tool.quorv-lint]\nselect = ["unit-scale"]\n',
                    "structures/quorv-lint.toml": 'select = ["electron-parity"]\n',
                    "structures/oh.xyz": HYDROXYL.format(""), "bohr.xyz": WATER_IN_BOHR})
    assert codes(run_cli("--format", "json", ".", cwd=project)) == [
        ("bohr.xyz", "unit-scale"), ("structures/oh.xyz", "electron-parity")]
    # A file named alone finds the same configuration upward.
    assert codes(run_cli("--format", "json", "oh.xyz", cwd=project / "structures")) == [("oh.xyz", "electron-parity")]
    assert codes(run_cli("--format", "json", "--config", "pyproject.toml", ".", cwd=project)) == [
        ("bohr.xyz", "unit-scale")]
    isolated = codes(run_cli("--format", "json", "--isolated", ".", cwd=project))
    assert ("structures/ccl4.xyz", "bare-heteroatom") not in isolated and ("bohr.xyz", "bare-heteroatom") in isolated


def test_a_pyproject_without_our_table_configures_nothing(project):
    write(project, {"pyproject.toml": "[tool.black]\nline-length = 100\n",
                    "structures/pyproject.toml": "this is [ not toml",
                    "structures/bohr.xyz": WATER_IN_BOHR})
    assert codes(run_cli("--format", "json", ".", cwd=project)) == [
        ("structures/bohr.xyz", "bare-heteroatom"), ("structures/bohr.xyz", "unit-scale")]


@pytest.mark.parametrize("table, message", [
    ("selct = []", r"pyproject.toml:2: unknown key 'selct' \(the keys are: select, .*preview\)"),
    ('select = "unit-scale"', r"pyproject.toml:2: 'select' must be a list of code names, got a string"),
    ('ignore = ["unit-scale", 3]', r"pyproject.toml:2: 'ignore' must be a list of code names, got an integer"),
    ('ignore = ["unit-scales"]', r"pyproject.toml:2: unknown code 'unit-scales' in 'ignore'"),
    ("exclude = [true]", r"pyproject.toml:2: 'exclude' must be a list of glob patterns, got a boolean"),
    ('per-file-ignores = ["a"]', r"pyproject.toml:2: 'per-file-ignores' must be a table of glob patterns, each set to"),
    ("preview = 1", r"pyproject.toml:2: 'preview' must be true or false, got an integer"),
    ("max-file-size = -1", r"pyproject.toml:2: 'max-file-size' must be a whole number of bytes, 0 or more"),
    ("max-file-size = 1.5", r"pyproject.toml:2: 'max-file-size' must be a whole number of bytes.*got a floating"),
    ("respect-gitignore = 'no'", r"pyproject.toml:2: 'respect-gitignore' must be true or false, got a string"),
    ("warnings-as-errors = [", r"pyproject.toml:2:\d+: not valid TOML: "),
    # Bytes TOML allows nowhere are refused before the TOML reader, which assumes them away.
    ("[\v\0\0\0rZeZZk", r"pyproject.toml:2:2: not valid TOML: control character U\+000B is not allowed"),
    ("preview = true # \xe9t\xe9", r"pyproject.toml:2:18: not valid TOML: the file is not UTF-8"),
    # A character the TOML reader once judged by unreachable code: now a plain error.
    ("pr\u00e9view = true", r"pyproject.toml:2:3: not valid TOML: .*saw '\u00e9'"),
])
def test_a_configuration_that_is_wrong_stops_the_run_naming_file_line_key_and_expectation(project, table, message):
    text = "[tool.quorv-lint]\n" + table + "\n"
    (project / "pyproject.toml").write_bytes(text.encode("latin-1") if "\xe9t" in table else text.encode("utf-8"))
    result = run_cli(".", cwd=project)
    assert (result.returncode, result.out) == (2, "")
    assert re.fullmatch("quorv-lint: " + message + ".*\n", result.err), result.err


def test_a_wrong_configuration_found_by_the_search_fails_its_directory_only(project):
    write(project, {"structures/sub/quorv-lint.toml": "preview = 'yes'\n", "structures/sub/oh.xyz": HYDROXYL.format("")})
    result = run_cli(".", cwd=project)
    assert result.returncode == 2
    assert "structures/sub/quorv-lint.toml:1: 'preview' must be true or false, got a string" in result.err
    assert "3 files" in result.out


# Each suppression form, and what --warn-unused-noqa says of it when it silences nothing.
SUPPRESSIONS = {
    "xyz codes": ("ccl4.xyz", CCL4.format("  # noqa: bare-heteroatom, unit-scale"),
                  [], ["unused suppression: no unit-scale finding here to silence"]),
    "xyz bare": ("ccl4.xyz", CCL4.format(" # NOQA"), [], []),
    "xyz unknown code": ("ccl4.xyz", CCL4.format(" # noqa: bare-heteroatom, bare-hetroatom"),
                         [], ["the suppression names 'bare-hetroatom', which is no code"]),
    # The bare pair before the comment still reads: the parity error proves charge 0, multiplicity 1.
    "xyz keeps charge and multiplicity": ("oh.xyz", HYDROXYL.format("  # noqa: bare-heteroatom"),
                                          ["electron-parity"], ["no bare-heteroatom finding"]),
    "xyz key form": ("oh.xyz", HYDROXYL.replace("0 1", "charge=0 mult=2").format(" # noqa: electron-parity"),
                     [], ["no electron-parity finding"]),
    "json list": ("ccl4.json", json.dumps({"noqa": ["bare-heteroatom", "overlapping-atoms"], "charge": 0,
                                           "spin_multiplicity": 1, "atoms": [["C", 0, 0, 0], ["Cl", 1.77, 0, 0],
                                                                             ["Cl", -1.77, 0, 0], ["Cl", 0, 1.77, 0]]},
                                       indent=1),
                  ["electron-parity"], ["no overlapping-atoms finding"]),
    "python line": ("embed.py", UNSEEDED.rstrip() + "  # noqa: conformer-no-seed, conformer-explicit-random, E501\n",
                    [], ["no conformer-explicit-random finding"]),
}


@pytest.mark.parametrize("case", SUPPRESSIONS)
def test_each_suppression_form(tmp_path, case):
    name, text, remaining, unused = SUPPRESSIONS[case]
    write(tmp_path, {name: text})
    result = run_cli("--format", "json", name, cwd=tmp_path)
    assert [code for _, code in codes(result)] == remaining
    warned = run_cli("--format", "json", "--warn-unused-noqa", name, cwd=tmp_path)
    records = [json.loads(line) for line in warned.out.splitlines()]
    found = [r for r in records if r.get("code") == "unused-noqa"]
    assert len(found) == len(unused)
    for record, text_part in zip(found, unused):
        assert text_part in record["message"] and record["line"] in (1, 2)


def test_each_frame_of_a_trajectory_carries_its_own_suppression(tmp_path):
    frames = [HYDROXYL.format(" # noqa: electron-parity"), HYDROXYL.format(""), HYDROXYL.format(" # noqa: unit-scale")]
    write(tmp_path, {"traj.xyz": "".join(frames)})
    result = run_cli("--format", "json", "--warn-unused-noqa", "traj.xyz", cwd=tmp_path)
    records = [json.loads(line) for line in result.out.splitlines()]
    assert [(r["frame"], r["line"], r["code"]) for r in records if r["type"] == "finding"] == [
        (1, 5, "electron-parity"), (2, 9, "electron-parity"), (2, 10, "unused-noqa")]


def test_preview_refuses_a_periodic_frame_and_lints_the_molecules_around_it(tmp_path):
    periodic = ('2\nLattice="5 0 0 0 5 0 0 0 5" Properties=species:S:1:pos:R:3 pbc="T T T"\n'
                "O 0 0 0\nH 0.97 0 0\n")
    write(tmp_path, {"mixed.xyz": HYDROXYL.format("") + periodic + HYDROXYL.format("")})
    result = run_cli("--format", "json", "--preview", "mixed.xyz", cwd=tmp_path)
    records = [json.loads(line) for line in result.out.splitlines()]
    assert result.returncode == 2
    assert [(r["type"], r["frame"], r["line"]) for r in records if r["type"] != "summary"] == [
        ("finding", 0, 1), ("failure", 1, 5), ("finding", 2, 9)]
    assert records[1]["message"].startswith("periodic frame not linted: the preview rules judge molecules only")


def test_a_json_noqa_that_is_no_list_fails_the_spec(tmp_path):
    write(tmp_path, {"w.json": '{"atoms": [["O", 0, 0, 0]],\n "noqa": "bare-heteroatom"}'})
    result = run_cli("w.json", cwd=tmp_path)
    assert result.returncode == 2
    assert 'w.json: "noqa" on line 2 must be a list of code names' in result.err


def test_github_annotations_follow_the_workflow_command_syntax(tmp_path):
    write(tmp_path, {"a,b:c.xyz": HYDROXYL.format(""), "embed.py": "x = 1\n" + UNSEEDED, "bad.json": "{"})
    result = run_cli("--format", "github", ".", cwd=tmp_path)
    assert result.returncode == 2
    command = re.compile(r"::(error|warning|notice) file=(?P<file>[^,:\n]+)(,line=(?P<line>\d+))?"
                         r",title=(?P<title>[^,:\n]+)::(?P<message>[^\n\r]+)")
    lines = result.out.splitlines()
    assert all(command.fullmatch(line) for line in lines)
    matches = [command.fullmatch(line) for line in lines]
    assert [(m["file"], m["line"], m["title"]) for m in matches] == [
        ("a%2Cb%3Ac.xyz", "1", "electron-parity"), ("bad.json", None, "quorv-lint"),
        ("embed.py", "2", "conformer-no-seed")]


def test_sarif_of_a_configured_project_is_valid(project):
    write(project, {"pyproject.toml": '[tool.quorv-lint]\nextend-select = ["unused-noqa"]\n'})
    result = run_cli("--format", "sarif", "--warn-unused-noqa", ".", cwd=project)
    log = json.loads(result.out)
    jsonschema.Draft4Validator(SARIF_SCHEMA).validate(log)
    assert log["runs"][0]["invocations"][0]["exitCode"] == result.returncode == 0


@pytest.mark.parametrize("args, status, out", [
    (["--statistics"], 1, "    2  unit-scale                 warning\n    1  electron-parity            error\n"),
    (["--quiet"], 1, "\noh.xyz:1: frame 0: electron-parity error"),
    (["--exit-zero"], 0, "\noh.xyz:1: frame 0: electron-parity error"),
])
def test_statistics_quiet_and_exit_zero(tmp_path, args, status, out):
    write(tmp_path, {"a.xyz": WATER_IN_BOHR, "b.xyz": WATER_IN_BOHR, "oh.xyz": HYDROXYL.format(""),
                     "settings.json": "{}"})
    result = run_cli("--select", "unit-scale,electron-parity", *args, ".", cwd=tmp_path)
    assert result.returncode == status
    assert result.out.startswith(out) if args == ["--statistics"] else out in result.out
    assert ("skipped" in result.out + result.err) != ("--quiet" in args)


def test_output_file_and_stdin_filename(tmp_path):
    write(tmp_path, {"sub/quorv-lint.toml": 'ignore = ["bare-heteroatom"]\n'})
    result = run_cli("--stdin-filename", "sub/oh.xyz", "-o", "out.txt", "-", cwd=tmp_path,
                     stdin=HYDROXYL.format("").encode())
    assert (result.returncode, result.out, result.err) == (1, "", "")
    assert (tmp_path / "out.txt").read_text().startswith("sub/oh.xyz:1: frame 0: electron-parity error")


@pytest.mark.parametrize("args, said", [
    ([], "reading standard input as a JSON cluster spec"),
    (["--stdin-kind", "xyz"], None),
    (["--quiet"], None),
])
def test_standard_input_says_which_kind_it_assumed(tmp_path, args, said):
    result = run_cli(*args, "-", cwd=tmp_path, stdin=WATER.encode())
    assert (said in result.err) if said else "reading standard input" not in result.err


def test_list_codes_marks_the_preview_only_codes(tmp_path):
    listing = run_cli("--list-codes", "--format", "json", cwd=tmp_path)
    entries = [json.loads(line) for line in listing.out.splitlines()]
    assert {e["code"] for e in entries if e["preview"]} == {"missing-hydrogens"}
    text = run_cli("--list-codes", cwd=tmp_path).out
    assert [line.split()[0] for line in text.splitlines() if "(preview)" in line] == ["missing-hydrogens"]
