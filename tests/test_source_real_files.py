"""The conformer-seed checker over every .py file of the installed packages."""
import os
import sys

import pytest

import quorv_lint

FUNCTIONS = ("EmbedMolecule", "EmbedMultipleConfs")
# Common calls turned into embedding calls, so that real argument texts,
# comments and strings around them reach every rule of the checker.
STAND_INS = {"print(": "EmbedMolecule(", "isinstance(": "EmbedMultipleConfs("}


def installed_sources():
    for directory in sorted({p for p in sys.path if p.endswith("site-packages") and os.path.isdir(p)}):
        for root, _, files in os.walk(directory):
            for name in sorted(files):
                if not name.endswith(".py"):
                    continue
                path = os.path.join(root, name)
                try:
                    with open(path, "rb") as file:
                        yield path, file.read().decode("utf-8")
                except (OSError, UnicodeDecodeError):
                    continue


SOURCES = list(installed_sources())


def line_and_function(message):
    assert message.startswith("line ")
    number, rest = message[len("line "):].split(": ", 1)
    function = rest.split("(...)", 1)[0]
    assert function in FUNCTIONS
    return int(number), function


def misplaced_findings(text, findings):
    """Findings whose line does not hold a call of the function they name."""
    lines = text.split("\n")  # line feeds alone end a line
    wrong = []
    for finding in findings:
        number, function = line_and_function(finding.message)
        if not 1 <= number <= len(lines) or function + "(" not in lines[number - 1]:
            wrong.append(finding.message[:60])
    return wrong


def unseeded_calls(text):
    """Every call's finding, for a text that never mentions the seed keyword."""
    expected = []
    for function in FUNCTIONS:
        pattern = function + "("
        line, counted_to = 1, 0
        position = text.find(pattern)
        while position != -1:
            line += text.count("\n", counted_to, position)
            counted_to = position
            expected.append(("conformer-no-seed", line, function))
            position = text.find(pattern, position + len(function) + 1)
    return expected


def as_records(findings):
    return [(f.code, *line_and_function(f.message)) for f in findings]


def test_installed_packages_were_found():
    assert len(SOURCES) > 100


def test_every_finding_points_at_a_call_line():
    problems = {}
    for path, text in SOURCES:
        findings = quorv_lint.lint_source(text)
        assert all(f.code in ("conformer-no-seed", "conformer-explicit-random") for f in findings)
        if wrong := misplaced_findings(text, findings):
            problems[path] = wrong
    assert problems == {}


def test_rewritten_files_report_each_call_on_its_line():
    problems, calls_seen = {}, 0
    for path, text in SOURCES:
        for old, new in STAND_INS.items():
            text = text.replace(old, new)
        findings = quorv_lint.lint_source(text)
        if "randomSeed" in text:
            wrong = misplaced_findings(text, findings)
        else:
            expected = unseeded_calls(text)
            calls_seen += len(expected)
            wrong = [] if as_records(findings) == expected else ["findings differ from the calls"]
        if wrong:
            problems[path] = wrong
    assert problems == {}
    assert calls_seen > 1000


@pytest.mark.parametrize("prefix", ["EmbedMolecule(", "EmbedMultipleConfs(ps, "])
def test_file_as_one_unterminated_argument_text(prefix):
    function = prefix.split("(")[0]
    for path, text in SOURCES:
        if "randomSeed" in text or any(f + "(" in text for f in FUNCTIONS):
            continue
        findings = quorv_lint.lint_source(prefix + text)
        assert as_records(findings) == [("conformer-no-seed", 1, function)], path
