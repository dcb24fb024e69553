"""The SARIF output of quorv-lint: valid SARIF 2.1.0, with rules, results, regions and notifications."""
import json
import os
import subprocess
import sys
from pathlib import Path
from urllib.parse import unquote

import jsonschema
import pytest

import quorv_lint
from project import VERSION
from finding_codes import CODES

QUORV_LINT = Path(sys.executable).with_name("quorv-lint")
SCHEMA = json.loads((Path(__file__).parent / "data" / "sarif-schema-2.1.0.json").read_text(encoding="utf-8"))
DOCS = Path(__file__).resolve().parent.parent / "docs" / "codes"


UNSEEDED = "AllChem.EmbedMolecule(mol)\n"
EXPLICIT_RANDOM = "AllChem.EmbedMultipleConfs(mol, randomSeed=-1)\n"


def sarif(*args, cwd):
    completed = subprocess.run([str(QUORV_LINT), "--format", "sarif", *args], cwd=cwd, capture_output=True)
    log = json.loads(completed.stdout.decode("utf-8"))
    jsonschema.Draft4Validator(SCHEMA).validate(log)
    return completed.returncode, log


@pytest.fixture
def mixed_tree(tmp_path):
    (tmp_path / "tree/sub").mkdir(parents=True)
    (tmp_path / "tree/embed.py").write_text("import x\n" + UNSEEDED + EXPLICIT_RANDOM)
    (tmp_path / "tree/with space é.py").write_text(UNSEEDED)
    (tmp_path / os.fsdecode(b"tree/caf\xe9.py")).write_text(UNSEEDED)
    (tmp_path / "tree/empty.xyz").write_text("")
    (tmp_path / "tree/sub/loop").symlink_to(tmp_path / "tree")
    return tmp_path


def test_the_log_is_valid_sarif_with_one_run_of_the_tool(mixed_tree):
    status, log = sarif("tree", cwd=mixed_tree)
    assert status == 2
    assert log["version"] == "2.1.0"
    (run,) = log["runs"]
    driver = run["tool"]["driver"]
    assert (driver["name"], driver["version"], driver["semanticVersion"]) == ("quorv-lint", VERSION, VERSION)
    (invocation,) = run["invocations"]
    assert invocation["exitCode"] == status
    assert invocation["executionSuccessful"] is False


def test_every_code_is_a_rule_documented_by_its_page(tmp_path):
    _, log = sarif(cwd=tmp_path)
    rules = log["runs"][0]["tool"]["driver"]["rules"]
    assert [rule["id"] for rule in rules] == list(CODES)
    for rule in rules:
        page = (DOCS / f"{rule['id']}.md").read_text(encoding="utf-8")
        assert rule["defaultConfiguration"]["level"] == CODES[rule["id"]]
        assert rule["help"]["markdown"] == rule["help"]["text"] == page
        assert rule["shortDescription"]["text"] == page.splitlines()[2]
        assert rule["name"] == "".join(word.capitalize() for word in rule["id"].split("-"))


def test_results_point_at_the_rule_the_file_and_the_line(mixed_tree):
    _, log = sarif("tree", cwd=mixed_tree)
    run = log["runs"][0]
    rules = run["tool"]["driver"]["rules"]
    seen = []
    for result in run["results"]:
        assert rules[result["ruleIndex"]]["id"] == result["ruleId"]
        assert result["level"] == CODES[result["ruleId"]]
        (location,) = result["locations"]
        physical = location["physicalLocation"]
        uri = unquote(physical["artifactLocation"]["uri"], errors="replace")
        seen.append((uri, physical["region"]["startLine"], result["ruleId"]))
        assert not result["message"]["text"].startswith("line ")
    assert seen == [
        ("tree/caf\ufffd.py", 1, "conformer-no-seed"),
        ("tree/embed.py", 2, "conformer-no-seed"),
        ("tree/embed.py", 3, "conformer-explicit-random"),
        ("tree/with space é.py", 1, "conformer-no-seed"),
    ]


def test_uris_are_escaped_relative_references_or_file_uris(mixed_tree):
    _, log = sarif("tree/with space é.py", str(mixed_tree / "tree/embed.py"), cwd=mixed_tree)
    uris = [r["locations"][0]["physicalLocation"]["artifactLocation"]["uri"] for r in log["runs"][0]["results"]]
    assert uris[0] == "tree/with%20space%20%C3%A9.py"
    assert uris[1].startswith("file:///") and unquote(uris[1]) == "file://" + str(mixed_tree / "tree/embed.py")


def test_inputs_that_cannot_be_linted_are_notifications_of_the_invocation(mixed_tree):
    _, log = sarif("tree", "missing.json", cwd=mixed_tree)
    notifications = log["runs"][0]["invocations"][0]["toolExecutionNotifications"]
    shown = [(n["level"], n["locations"][0]["physicalLocation"]["artifactLocation"]["uri"], n["message"]["text"])
             for n in notifications]
    try:
        quorv_lint.lint_xyz("")
    except ValueError as error:
        xyz_failure = str(error)
    assert shown == [
        ("error", "tree/empty.xyz", xyz_failure),
        ("note", "tree/sub/loop", "directory loop: it leads back to tree, which is searched already"),
        ("error", "missing.json", "cannot read missing.json: No such file or directory (os error 2)"),
    ]


@pytest.mark.parametrize("args, status, successful", [
    ([], 0, True),
    (["--select", "conformer-explicit-random"], 0, True),
    (["--warnings-as-errors", "--select", "conformer-explicit-random"], 1, True),
    (["--ignore", "conformer-explicit-random"], 1, True),
])
def test_the_invocation_records_the_exit_status(args, status, successful, tmp_path):
    (tmp_path / "embed.py").write_text(EXPLICIT_RANDOM + (UNSEEDED if "--ignore" in args else ""))
    code, log = sarif(*args, cwd=tmp_path)
    invocation = log["runs"][0]["invocations"][0]
    assert (code, invocation["exitCode"], invocation["executionSuccessful"]) == (status, status, successful)


def test_findings_about_a_whole_geometry_point_at_its_count_line(tmp_path):
    (tmp_path / "water.xyz").write_text("3\n0 2\nO 0 0 0\nH 0.96 0 0\nH -0.24 0.93 0\n")
    status, log = sarif("water.xyz", cwd=tmp_path)
    (result,) = log["runs"][0]["results"]
    assert result["ruleId"] == "electron-parity" and status == 1
    assert result["locations"] == [{"physicalLocation": {"artifactLocation": {"uri": "water.xyz"},
                                                         "region": {"startLine": 1}}}]
    assert result["properties"] == {"frame": 0}
    assert result["message"]["text"] == quorv_lint.lint_file(str(tmp_path / "water.xyz"))[0].message
