"""The module as imported: its attributes, its functions, one-time initialization and results."""

import inspect
import subprocess
import sys
import textwrap
import types

import pytest

import quorv_lint
from project import VERSION

NAMES_IN_ORDER = ["__version__", "Finding", "lint_json", "lint_xyz", "lint_source", "lint_file", "error_count"]

DOCS = {
    "lint_json": (
        "text",
        "Lint a cluster spec given as a JSON string (the tool's own format, with\n"
        "charge / spin / ECP list). Raises ValueError if the JSON is not a valid spec.",
    ),
    "lint_xyz": (
        "text",
        "Lint a geometry given as standard XYZ text. Charge/spin can be put on the\n"
        "comment line (`0 1` or `charge=.. mult=..`); without them the electron-count\n"
        "checks abstain. Raises ValueError if the text is not valid XYZ.",
    ),
    "lint_source": (
        "text",
        "Lint Python source text for nondeterministic conformer embedding\n"
        "(`EmbedMolecule` / `EmbedMultipleConfs` with no fixed `randomSeed`).",
    ),
    "lint_file": (
        "path",
        "Lint a file, dispatching by extension: `.py` \u2192 source checks, `.xyz` \u2192\n"
        "geometry, anything else \u2192 JSON cluster spec. Raises OSError if the file\n"
        "cannot be read, ValueError if its contents do not parse.",
    ),
    "error_count": ("findings", "Number of error-severity findings in a list (warnings are not counted)."),
}


def run_python(code):
    """Runs code in a fresh interpreter that turns every warning into an error."""
    return subprocess.run([sys.executable, "-W", "error", "-c", textwrap.dedent(code)],
                          capture_output=True, text=True, timeout=60)


# --- attributes ------------------------------------------------------------------------------


def test_all_lists_the_seven_names_in_order():
    assert quorv_lint.__all__ == NAMES_IN_ORDER
    assert type(quorv_lint.__all__) is list


def test_attributes_are_added_in_the_order_of_all():
    added = [name for name in vars(quorv_lint) if name in NAMES_IN_ORDER or name == "__all__"]
    assert added == ["__all__"] + NAMES_IN_ORDER


def test_version_and_empty_doc():
    assert quorv_lint.__version__ == VERSION
    assert quorv_lint.__doc__ == ""
    assert quorv_lint.__name__ == "quorv_lint"


def test_finding_is_the_class():
    assert isinstance(quorv_lint.Finding, type)
    assert quorv_lint.Finding.__name__ == "Finding"


def test_nothing_else_is_public():
    public = {name for name in vars(quorv_lint) if not name.startswith("_")}
    assert public == set(NAMES_IN_ORDER) - {"__version__"}


# --- functions -------------------------------------------------------------------------------


@pytest.mark.parametrize("name", DOCS)
def test_function_identity(name):
    function = getattr(quorv_lint, name)
    assert isinstance(function, types.BuiltinFunctionType)
    assert function.__name__ == name
    assert function.__qualname__ == name
    assert function.__module__ == "quorv_lint"
    assert function.__self__ is quorv_lint


@pytest.mark.parametrize("name", DOCS)
def test_function_docs_and_signature(name):
    parameter, body = DOCS[name]
    function = getattr(quorv_lint, name)
    assert function.__text_signature__ == f"({parameter})"
    assert function.__doc__ == body
    (only,) = inspect.signature(function).parameters.values()
    assert only.name == parameter
    assert only.kind is inspect.Parameter.POSITIONAL_OR_KEYWORD
    assert only.default is inspect.Parameter.empty


# --- results ---------------------------------------------------------------------------------


def test_results_are_new_lists_never_none():
    first = quorv_lint.lint_source("")
    second = quorv_lint.lint_source("")
    assert type(first) is list and first == []
    assert first is not second


def test_two_calls_give_distinct_lists_of_distinct_equal_findings():
    text = "AllChem.EmbedMolecule(mol)\nAllChem.EmbedMultipleConfs(mol, randomSeed=-1)\n"
    first, second = quorv_lint.lint_source(text), quorv_lint.lint_source(text)
    assert first is not second
    assert [repr(f) for f in first] == [repr(f) for f in second]
    assert all(a is not b for a, b in zip(first, second))


def test_error_count_counts_the_errors_of_a_result():
    text = "EmbedMolecule(a)\nEmbedMolecule(b, randomSeed=-1)\nEmbedMultipleConfs(c)\n"
    findings = quorv_lint.lint_source(text)
    expected = sum(1 for f in findings if f.is_error)
    assert expected == 2 and len(findings) == 3
    for container in (findings, tuple(findings), findings * 3):
        assert quorv_lint.error_count(container) == expected * (len(container) // len(findings))
    assert quorv_lint.error_count([f for f in findings if not f.is_error]) == 0


def test_error_count_counts_nothing_when_one_item_is_not_a_finding():
    findings = quorv_lint.lint_source("EmbedMolecule(a)\n")
    with pytest.raises(TypeError) as error:
        quorv_lint.error_count(findings + [None] + findings)
    assert str(error.value) == "argument 'findings': 'NoneType' object cannot be converted to 'Finding'"


@pytest.mark.parametrize(
    "function, text, prefix",
    [
        (quorv_lint.lint_json, "", "not a valid cluster spec: "),
        (quorv_lint.lint_json, "{", "not a valid cluster spec: "),
        (quorv_lint.lint_xyz, "", "not a valid XYZ file: "),
        (quorv_lint.lint_xyz, "x\n", "not a valid XYZ file: "),
    ],
)
def test_a_rejected_text_is_a_value_error_with_the_readers_prefix(function, text, prefix):
    with pytest.raises(ValueError) as error:
        function(text)
    assert type(error.value) is ValueError
    assert str(error.value).startswith(prefix)
    assert error.value.args == (str(error.value),)


@pytest.mark.parametrize(
    "function, text, message",
    [
        (quorv_lint.lint_json, "", "not a valid cluster spec: EOF while parsing a value at line 1 column 0"),
        (quorv_lint.lint_json, "{}", "not a valid cluster spec: missing field `atoms` at line 1 column 2"),
        (quorv_lint.lint_xyz, "", "not a valid XYZ file: empty file"),
    ],
)
def test_the_reader_text_follows_the_prefix_verbatim(function, text, message):
    with pytest.raises(ValueError) as error:
        function(text)
    assert str(error.value) == message


def test_lint_source_accepts_any_text():
    for text in ["", "\n", "def f(:\n", "EmbedMolecule(" * 50, "\ufeff\u00e9\x00"]:
        assert type(quorv_lint.lint_source(text)) is list


# --- initialization --------------------------------------------------------------------------


def test_importing_warns_of_nothing():
    result = run_python("""
        import warnings
        with warnings.catch_warnings(record=True) as caught:
            warnings.simplefilter("always")
            import quorv_lint
        assert caught == [], [str(w.message) for w in caught]
        print(quorv_lint.Finding.__module__, quorv_lint.Finding.__name__)
    """)
    assert result.returncode == 0, result.stderr
    assert result.stdout.split() == ["quorv_lint", "Finding"]


@pytest.mark.parametrize(
    "second_initialization",
    [
        "del sys.modules['quorv_lint']\nimport quorv_lint",
        "del sys.modules['quorv_lint']\nimportlib.import_module('quorv_lint')",
        "import _xxsubinterpreters as interpreters\n"
        "try:\n"
        "    interpreters.run_string(interpreters.create(), 'import quorv_lint')\n"
        "except interpreters.RunFailedError as failure:\n"
        "    assert str(failure).startswith(\"<class 'ImportError'>: \"), failure\n"
        "    raise ImportError(failure)",
    ],
    ids=["re-import", "import_module", "second-interpreter"],
)
def test_a_second_initialization_is_an_import_error_and_the_first_module_goes_on(second_initialization):
    if "_xxsubinterpreters" in second_initialization and run_python("import _xxsubinterpreters").returncode:
        pytest.skip("this interpreter has no _xxsubinterpreters")
    result = run_python(f"""
        import importlib, sys
        import quorv_lint
        first = quorv_lint
        try:
{textwrap.indent(second_initialization, " " * 12)}
        except ImportError as error:
            print("ImportError", type(error) is ImportError)
        else:
            print("imported again")
        assert first.lint_source("") == []
        assert first.__all__[0] == "__version__"
    """)
    assert result.returncode == 0, result.stderr
    assert result.stdout.split() == ["ImportError", "True"]


def test_reload_keeps_the_one_module():
    # The interpreter does not initialize a single-phase module again on reload.
    result = run_python("""
        import importlib
        import quorv_lint
        assert importlib.reload(quorv_lint) is quorv_lint
        assert quorv_lint.lint_source("") == []
        assert quorv_lint.__all__[0] == "__version__" and len(quorv_lint.__all__) == 7
        print("ok")
    """)
    assert result.returncode == 0, result.stderr
    assert result.stdout.split() == ["ok"]
