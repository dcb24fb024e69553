"""The conformer-seed checker, through quorv_lint.lint_source."""
import pytest

import quorv_lint

EM = "EmbedMolecule"
EMC = "EmbedMultipleConfs"


def no_seed(line, name=EM):
    return (
        "error",
        "conformer-no-seed",
        f"line {line}: {name}(...) has no fixed randomSeed \u2014 the embedding is nondeterministic and the 3D "
        "geometry (and every descriptor computed on it) changes each run. Set params.randomSeed to a fixed value.",
    )


def explicit_random(line, name=EM):
    return (
        "warning",
        "conformer-explicit-random",
        f"line {line}: {name}(...) sets randomSeed=-1, which is explicitly nondeterministic. "
        "Use a fixed nonnegative seed for reproducibility.",
    )


def lint(source):
    return [(f.severity, f.code, f.message) for f in quorv_lint.lint_source(source)]


@pytest.mark.parametrize(
    "source, expected",
    [
        ("", []),
        ("import rdkit\nmol = Chem.MolFromSmiles('CCO')\n", []),
        ("EmbedMolecule (mol)", []),
        ("EmbedMolecule\n(mol)", []),
        ("embedmolecule(mol)", []),
        ("EmbedMolecule", []),
        ("EmbedMolecule(mol)", [no_seed(1)]),
        ("AllChem.EmbedMolecule(mol)", [no_seed(1)]),
        ("EmbedMultipleConfs(mol, 10)", [no_seed(1, EMC)]),
        ("MyEmbedMolecule(mol)", [no_seed(1)]),
        ("x = 1\n# AllChem.EmbedMolecule(mol)\n", [no_seed(2)]),
        ("s = 'EmbedMultipleConfs(mol)'", [no_seed(1, EMC)]),
        ('"""\nEmbedMolecule()\n"""', [no_seed(2)]),
    ],
    ids=["empty", "no-call", "blank-before-paren", "newline-before-paren", "wrong-case", "name-without-paren",
         "plain", "qualified", "multiple-confs", "suffix-name", "comment", "string", "docstring"],
)
def test_finds_calls_by_exact_pattern(source, expected):
    assert lint(source) == expected


@pytest.mark.parametrize(
    "arguments",
    ["mol, randomSeed=-1", "mol, randomSeed = -1", "mol, randomSeed=\t-1", "mol, randomSeed=-01",
     "mol, randomSeed=-0000001", "mol, randomSeed=-1.5", "mol, randomSeed=-1e3", "mol, randomSeed=-1)  # (",
     "mol, randomSeed\u00a0=\u3000-1", "mol, randomSeed, maxAttempts=-1", "randomSeed=-1, randomSeed=42",
     "mol, 'randomSeed' : -1"],
    ids=["plain", "blanks", "tab", "leading-zero", "many-zeros", "decimal", "exponent", "rest-ignored",
         "unicode-blanks", "next-keyword-value", "first-keyword-wins", "colon-not-equals"],
)
def test_minus_one_seed_is_an_explicit_random_warning(arguments):
    expected = [] if arguments == "mol, 'randomSeed' : -1" else [explicit_random(1)]
    assert lint(f"EmbedMolecule({arguments})") == expected


@pytest.mark.parametrize(
    "arguments",
    ["mol, randomSeed=42", "mol, randomSeed=0", "mol, randomSeed=-10", "mol, randomSeed=+1", "mol, randomSeed=1",
     "mol, randomSeed=seed", "mol, randomSeed=-seed", "mol, randomSeed=- 1", "mol, randomSeed=   ",
     "mol, randomSeed=", "mol, randomSeed", "mol, params.randomSeed", "mol, randomSeed=-9223372036854775809",
     "mol, randomSeed=(-1)", "mol, randomSeed=-11", "mol, randomSeed=--1", "mol, randomSeeds=-2"],
    ids=["positive", "zero", "minus-ten", "plus-one", "one", "variable", "negated-variable", "sign-then-blank",
         "only-blanks", "nothing", "no-equals", "attribute-as-argument", "out-of-range", "parenthesised",
         "minus-eleven", "double-minus", "longer-keyword"],
)
def test_other_explicit_seeds_count_as_seeded(arguments):
    assert lint(f"EmbedMolecule({arguments})") == []


def test_keyword_decides_even_when_a_parameter_object_is_unseeded():
    assert lint("EmbedMolecule(mol, ps, randomSeed=7)") == []


@pytest.mark.parametrize(
    "source, seeded",
    [
        ("ps = AllChem.ETKDGv3()\nps.randomSeed = 0xf00d\nEmbedMolecule(mol, ps)", True),
        ("EmbedMolecule(mol, ps)\nps.randomSeed = 1", True),
        ("EmbedMolecule(mol, ps)\n# ps.randomSeed = 1", True),
        ("EmbedMolecule(mol, ps)\nprint('ps.randomSeed')", True),
        ("EmbedMolecule(mol, params=ps)\nps.randomSeed = 1", True),
        ("EmbedMolecule(mol, params = ps )\nps.randomSeed = 1", True),
        ("EmbedMolecule(mol,\u00a0ps\u2003)\nps.randomSeed = 1", True),
        ("EmbedMolecule(mol, ps)\nmy_ps.randomSeed = 1", True),
        ("EmbedMolecule(mol, ps)\nps.randomSeed = -1", True),
        ("EmbedMolecule(mol, ps)", False),
        ("EmbedMolecule(mol, ps)\nps.randomseed = 1", False),
        ("EmbedMolecule(mol, ps)\nps . randomSeed = 1", False),
        ("EmbedMolecule(mol, ps)\nps_x.randomSeed = 1", False),
        ("EmbedMolecule(mol, AllChem.ETKDGv3())\nETKDGv3.randomSeed = 1", False),
        ("EmbedMolecule(mol, ps())\nps.randomSeed = 1", False),
        ("EmbedMolecule(mol, self.ps)\nps.randomSeed = 1", False),
        ("EmbedMolecule(mol, [ps, q])\nps.randomSeed = 1", False),
        ("EmbedMolecule(mol, f(a, ps))\nps.randomSeed = 1", False),
        ("EmbedMolecule(mol, ]ps, q)\nps.randomSeed = 1", False),
        ("EmbedMolecule(mol, 1ps)\n1ps.randomSeed = 1", False),
        ("EmbedMolecule(mol, p\u00e9)\np\u00e9.randomSeed = 1", False),
        ("EmbedMolecule()\n.randomSeed = 1", False),
        ("EmbedMolecule(,)\n.randomSeed = 1", False),
    ],
    ids=["assigned-before", "assigned-after", "in-comment", "in-string", "keyword-value", "keyword-value-blanks",
         "unicode-blanks", "tail-of-longer-name", "attribute-value-never-read", "never-assigned", "wrong-case",
         "blank-before-dot", "longer-name-only", "inline-object", "call-expression", "dotted-name",
         "inside-list", "inside-nested-call", "stray-closer-blocks-split", "starts-with-digit", "non-ascii-letter",
         "empty-parens", "empty-pieces"],
)
def test_parameter_object_named_by_a_simple_identifier(source, seeded):
    assert lint(source) == ([] if seeded else [no_seed(1)])


@pytest.mark.parametrize(
    "source, expected",
    [
        ("EmbedMolecule(\n    mol,\n    randomSeed=42,\n)\n", []),
        ("\n\nEmbedMolecule(\n    mol,\n    randomSeed=-1,\n)\n", [explicit_random(3)]),
        ("EmbedMolecule(mol, f(x), g('(')), randomSeed=-1", [explicit_random(1)]),
        ("EmbedMolecule(mol, f(x))\nrandomSeed=-1", [no_seed(1)]),
        ("EmbedMolecule(mol, ')')\nrandomSeed=-1", [no_seed(1)]),
        ("EmbedMolecule(mol, '(')\nrandomSeed=-1", [explicit_random(1)]),
        ("x = 1\nEmbedMolecule(mol,\n\nrandomSeed=-1", [explicit_random(2)]),
        ("EmbedMolecule(mol\n# more\nprint(randomSeed)", []),
        ("EmbedMolecule(mol\nps.randomSeed = 3", []),
        ("EmbedMolecule(mol, ps\n", [no_seed(1)]),
        ("EmbedMolecule(", [no_seed(1)]),
    ],
    ids=["multi-line-seeded", "multi-line-name-line", "parens-in-strings-counted", "closed-before-keyword",
         "string-paren-closes-early", "string-paren-keeps-open", "unterminated-reaches-keyword",
         "unterminated-keyword-without-value", "unterminated-keyword-as-attribute", "unterminated-unseeded",
         "pattern-at-end"],
)
def test_argument_text_runs_to_the_matching_parenthesis(source, expected):
    assert lint(source) == expected


@pytest.mark.parametrize(
    "source, line",
    [
        ("a\nb\nEmbedMolecule(mol)", 3),
        ("a\r\nb\r\nEmbedMolecule(mol)", 3),
        ("a\rb\rEmbedMolecule(mol)", 1),
        ("a\u2028b\u0085EmbedMolecule(mol)", 1),
        ("\n" * 12345 + "EmbedMolecule(mol)", 12346),
        ("x(\nAllChem.\nEmbedMolecule(mol)", 3),
    ],
    ids=["lf", "crlf", "lone-cr", "unicode-line-separators", "many-lines", "name-line-not-qualifier-line"],
)
def test_line_numbers_count_line_feeds_only(source, line):
    assert lint(source) == [no_seed(line)]


@pytest.mark.parametrize(
    "source, expected",
    [
        ("EmbedMolecule(m, randomSeed=-1)\nEmbedMultipleConfs(m)\n" + "\n" * 17 + "EmbedMolecule(m)",
         [no_seed(20), no_seed(2, EMC), explicit_random(1)]),
        ("EmbedMultipleConfs(m, randomSeed=-1); EmbedMolecule(m, randomSeed=-1)",
         [explicit_random(1), explicit_random(1, EMC)]),
        ("EmbedMolecule(m); EmbedMolecule(m)", [no_seed(1), no_seed(1)]),
        ("EmbedMolecule(EmbedMolecule(m))", [no_seed(1), no_seed(1)]),
        ("EmbedMolecule(m,\nEmbedMolecule(p, randomSeed=-1))", [explicit_random(1), explicit_random(2)]),
        ("EmbedMolecule(EmbedMultipleConfs(m), randomSeed=5)", [no_seed(1, EMC)]),
    ],
    ids=["errors-first-then-discovery-order", "warnings-by-name-order", "duplicates-kept", "nested-calls",
         "nested-shares-keyword", "outer-seeded-inner-not"],
)
def test_findings_ordered_by_severity_then_discovery(source, expected):
    assert lint(source) == expected


@pytest.mark.parametrize(
    "source, expected",
    [
        ("EmbedMolecule(\u00e9\u00e8, \u2603=\U0001f600)", [no_seed(1)]),
        ("\u00e9\n\U0001f600\nEmbedMultipleConfs(\u2603)", [no_seed(3, EMC)]),
        ("EmbedMolecule(\x00, randomSeed=\x00-1", []),
        ("EmbedMolecule(\x00, randomSeed=\u2009-1", [explicit_random(1)]),
        ("EmbedMolecule(\ufeffps)\nps.randomSeed = 1", [no_seed(1)]),
        ("EmbedMolecule(\u200bps)\nps.randomSeed = 1", [no_seed(1)]),
    ],
    ids=["non-ascii-arguments", "non-ascii-lines", "nul-is-no-blank", "thin-space-is-blank", "bom-is-no-blank",
         "zero-width-space-is-no-blank"],
)
def test_non_ascii_text_is_scanned_like_any_other(source, expected):
    assert lint(source) == expected


CALLS = 100_000


@pytest.mark.parametrize(
    "source, count",
    [
        (EM + "(" * 1 + ("\n" + EM + "(") * (CALLS - 1), CALLS),
        ((EM + "(") * CALLS, CALLS),
        ((EM + "(") * CALLS + ")" * CALLS, CALLS),
        ((EMC + "(p, ") * CALLS + "x" * 100_000 + ")" * CALLS + "\np.randomSeed = 1", 0),
        ((EM + "(]") * CALLS + "(" + ",q" * CALLS, CALLS),
        ((EM + "(") * CALLS + "randomSeed=" + " " * CALLS + "-1", CALLS),
    ],
    ids=["unterminated-lines", "unterminated", "nested", "nested-seeded-object", "shared-argument-list",
         "shared-blank-run"],
)
def test_pathological_texts_give_every_finding(source, count):
    findings = quorv_lint.lint_source(source)
    assert len(findings) == count


def test_pathological_line_numbers_and_severity():
    findings = lint((EM + "(\n") * 1000)
    assert findings == [no_seed(line) for line in range(1, 1001)]
