"""The public JSON conformance corpus, each document placed as the value of
an unlisted key: strict JSON is accepted, broken JSON rejected, and the
implementation-defined cases never crash.

Documents that are not valid UTF-8 cannot travel through a Python str; the
C++ test tests/cpp/test_spec_json_conformance.cpp feeds those as raw bytes."""

from pathlib import Path

import pytest

import quorv_lint

CORPUS = Path(__file__).resolve().parents[2] / "shared" / "testdata" / "json-conformance" / "test_parsing"
PREFIX = "not a valid cluster spec: "


def is_utf8(path):
    try:
        path.read_bytes().decode("utf-8")
    except UnicodeDecodeError:
        return False
    return True


def corpus_files(prefix):
    """The corpus documents that a str can hold."""
    if not CORPUS.is_dir():
        return [pytest.param(None, marks=pytest.mark.skip(reason=f"conformance corpus not found at {CORPUS}"))]
    paths = sorted(path for path in CORPUS.glob(prefix + "*.json") if is_utf8(path))
    return [pytest.param(path, id=path.name) for path in paths]


def embedded(path):
    """The document as the value of an unlisted key."""
    return '{"atoms": [], "doc": ' + path.read_text(encoding="utf-8") + "}"


@pytest.mark.parametrize("path", corpus_files("y_"))
def test_strict_json_is_accepted(path):
    assert isinstance(quorv_lint.lint_json(embedded(path)), list)


@pytest.mark.parametrize("path", corpus_files("n_"))
def test_broken_json_is_rejected(path):
    with pytest.raises(ValueError) as info:
        quorv_lint.lint_json(embedded(path))
    assert str(info.value).startswith(PREFIX)
    assert " at line " in str(info.value)


@pytest.mark.parametrize("path", corpus_files("i_"))
def test_implementation_defined_json_gets_an_answer(path):
    try:
        result = quorv_lint.lint_json(embedded(path))
    except ValueError as error:
        assert str(error).startswith(PREFIX)
    else:
        assert isinstance(result, list)
