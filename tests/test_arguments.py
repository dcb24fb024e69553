"""Argument binding and conversion, shared by the five module functions."""

import pathlib

import pytest

import quorv_lint

FUNCTIONS = {
    "lint_json": "text",
    "lint_xyz": "text",
    "lint_source": "text",
    "lint_file": "path",
    "error_count": "findings",
}
TEXT_FUNCTIONS = [name for name, parameter in FUNCTIONS.items() if parameter in ("text", "path")]


def call(name, *args, **kwargs):
    return getattr(quorv_lint, name)(*args, **kwargs)


def outcome(name, *args, **kwargs):
    """The findings' reprs, or the ValueError's text: what a caller can tell apart."""
    try:
        return [repr(finding) for finding in call(name, *args, **kwargs)]
    except ValueError as error:
        return ("ValueError", str(error))


def raised(name, *args, **kwargs):
    with pytest.raises(BaseException) as info:
        call(name, *args, **kwargs)
    return info.value


# --- binding ---------------------------------------------------------------------------------


@pytest.mark.parametrize("name", FUNCTIONS)
@pytest.mark.parametrize(
    "args, kwargs, template",
    [
        ((), {}, "{f}() missing 1 required positional argument: '{p}'"),
        ((1, 2), {}, "{f}() takes 1 positional arguments but 2 were given"),
        ((1, 2, 3), {}, "{f}() takes 1 positional arguments but 3 were given"),
        ((), {"bogus": 1}, "{f}() got an unexpected keyword argument 'bogus'"),
        ((1,), {"bogus": 1}, "{f}() got an unexpected keyword argument 'bogus'"),
        ((1,), {"{p}": 1}, "{f}() got multiple values for argument '{p}'"),
        # surplus positionals first, then keywords in the order written, then a missing one
        ((1, 2), {"bogus": 1}, "{f}() takes 1 positional arguments but 2 were given"),
        ((1,), {"{p}": 1, "bogus": 1}, "{f}() got multiple values for argument '{p}'"),
        ((1,), {"bogus": 1, "{p}": 1}, "{f}() got an unexpected keyword argument 'bogus'"),
        # keyword names are case-sensitive and compared whole
        ((), {"{P}": 1}, "{f}() got an unexpected keyword argument '{P}'"),
        ((), {"{p}_": 1}, "{f}() got an unexpected keyword argument '{p}_'"),
    ],
)
def test_binding_errors_have_the_exact_unwrapped_texts(name, args, kwargs, template):
    parameter = FUNCTIONS[name]
    kwargs = {key.format(p=parameter, P=parameter.upper()): value for key, value in kwargs.items()}
    error = raised(name, *args, **kwargs)
    assert type(error) is TypeError
    assert str(error) == template.format(f=name, p=parameter, P=parameter.upper())


@pytest.mark.parametrize("name", FUNCTIONS)
def test_an_unexpected_keyword_is_named_as_written(name):
    error = raised(name, **{"\udcff\u00e9": 1})
    assert str(error) == f"{name}() got an unexpected keyword argument '\udcff\u00e9'"


@pytest.mark.parametrize("name", ["lint_json", "lint_xyz", "lint_source"])
@pytest.mark.parametrize("text", ["", "AllChem.EmbedMolecule(mol)\n", '{"atoms": []}', "1\n0 1\nO 0 0 0\n"])
def test_text_by_keyword_is_the_same_call_as_by_position(name, text):
    assert outcome(name, text=text) == outcome(name, text)


def test_path_by_keyword_reaches_the_file(tmp_path):
    missing = str(tmp_path / "missing.json")
    with pytest.raises(OSError, match="^cannot read "):
        quorv_lint.lint_file(path=missing)


def test_findings_by_keyword_is_counted():
    assert quorv_lint.error_count(findings=[]) == 0


# --- text intake -----------------------------------------------------------------------------


class Outer:
    class Inner:
        pass


def local_class():
    class Local:
        pass

    return Local()


class ShadowingMeta(type):
    """A metaclass whose __qualname__ lookup gives a non-str."""

    def __getattribute__(cls, name):
        if name == "__qualname__":
            return 42
        return super().__getattribute__(name)


class Shadowed(metaclass=ShadowingMeta):
    pass


NOT_STR = [
    (b"{}", "bytes"),
    (bytearray(b"x"), "bytearray"),
    (memoryview(b"x"), "memoryview"),
    (1, "int"),
    (1.5, "float"),
    (None, "NoneType"),
    (["x"], "list"),
    (pathlib.Path("x.json"), "PosixPath"),
    (pathlib.PurePosixPath("x.json"), "PurePosixPath"),
    (Outer.Inner(), "Outer.Inner"),
    (local_class(), "local_class.<locals>.Local"),
    (Shadowed(), "Shadowed"),
    (str, "type"),
]


@pytest.mark.parametrize("name", TEXT_FUNCTIONS)
@pytest.mark.parametrize("value, qualname", NOT_STR, ids=[q for _, q in NOT_STR])
def test_a_text_that_is_not_a_str_is_named_by_its_qualified_type_name(name, value, qualname):
    parameter = FUNCTIONS[name]
    error = raised(name, value)
    assert type(error) is TypeError
    assert str(error) == f"argument '{parameter}': '{qualname}' object cannot be converted to 'PyString'"
    assert error.__cause__ is None


@pytest.mark.parametrize("name", TEXT_FUNCTIONS)
@pytest.mark.parametrize("text", ["\ud800", "ok\udfffok", "\udc80"])
def test_a_lone_surrogate_raises_the_interpreters_unicode_encode_error_unwrapped(name, text):
    with pytest.raises(UnicodeEncodeError) as expected:
        text.encode("utf-8")
    error = raised(name, text)
    assert type(error) is UnicodeEncodeError
    assert str(error) == str(expected.value)
    assert (error.encoding, error.object, error.start, error.end) == ("utf-8", text, expected.value.start,
                                                                      expected.value.end)


class Text(str):
    """A str subclass whose str() and encode() lie: the module must use the text itself."""

    def __str__(self):
        return "not this"

    def encode(self, *args, **kwargs):
        raise AssertionError("the module encodes through the C API")


def test_a_str_subclass_is_linted_by_its_text(tmp_path):
    missing = str(tmp_path / "missing.json")
    with pytest.raises(OSError) as error:
        quorv_lint.lint_file(Text(missing))
    assert str(error.value).startswith(f"cannot read {missing}: ")
    assert quorv_lint.lint_source(Text("")) == []


@pytest.mark.parametrize("name", ["lint_json", "lint_xyz", "lint_source"])
@pytest.mark.parametrize("text", ["", "{", "3\n\nH 0 0 0\n", "EmbedMolecule(m)"])
def test_a_str_subclass_gives_the_same_outcome_as_its_text(name, text):
    assert outcome(name, Text(text)) == outcome(name, text)


# --- error_count conversion ------------------------------------------------------------------


@pytest.mark.parametrize("value", ["", "error", Text("x")], ids=["empty", "word", "subclass"])
def test_error_count_rejects_any_str(value):
    error = raised("error_count", value)
    assert type(error) is TypeError
    assert str(error) == "argument 'findings': Can't extract `str` to `Vec`"


NOT_SEQUENCE = [
    ({1}, "set"),
    (frozenset(), "frozenset"),
    ({}, "dict"),
    ((x for x in []), "generator"),
    (iter([]), "list_iterator"),
    (1, "int"),
    (None, "NoneType"),
    (Outer.Inner(), "Outer.Inner"),
    (Shadowed(), "Shadowed"),
]


@pytest.mark.parametrize("value, qualname", NOT_SEQUENCE, ids=[q for _, q in NOT_SEQUENCE])
def test_error_count_rejects_what_is_not_a_sequence(value, qualname):
    error = raised("error_count", value)
    assert type(error) is TypeError
    assert str(error) == f"argument 'findings': '{qualname}' object cannot be converted to 'Sequence'"


@pytest.mark.parametrize("value", [[], (), b"", bytearray(), range(0), memoryview(b"")],
                         ids=["list", "tuple", "bytes", "bytearray", "range", "memoryview"])
def test_error_count_of_an_empty_sequence_is_zero(value):
    count = quorv_lint.error_count(value)
    assert type(count) is int and count == 0


NOT_FINDINGS = [
    ([None], "NoneType"),
    ((1,), "int"),
    (b"x", "int"),
    (range(3), "int"),
    (["error"], "str"),
    ([Outer.Inner()], "Outer.Inner"),
    ([[]], "list"),
]


@pytest.mark.parametrize("value, qualname", NOT_FINDINGS, ids=[repr(v) for v, _ in NOT_FINDINGS])
def test_error_count_rejects_an_item_that_is_not_a_finding(value, qualname):
    error = raised("error_count", value)
    assert type(error) is TypeError
    assert str(error) == f"argument 'findings': '{qualname}' object cannot be converted to 'Finding'"


class Items:
    """A sequence by item access, whose items and length are chosen by the test."""

    def __init__(self, items, length=None):
        self.items = items
        self.length = length

    def __len__(self):
        if isinstance(self.length, BaseException):
            raise self.length
        return len(self.items) if self.length is None else self.length

    def __getitem__(self, index):
        if index >= len(self.items):
            raise IndexError(index)
        item = self.items[index]
        if isinstance(item, BaseException):
            raise item
        return item


@pytest.mark.parametrize(
    "length",
    [None, 0, 10**6, 2**62, ValueError("no length"), TypeError("no length"), OverflowError("big")],
    ids=["true", "zero", "million", "huge", "value-error", "type-error", "overflow"],
)
def test_the_length_is_only_a_hint(length):
    assert quorv_lint.error_count(Items([], length)) == 0


def test_a_length_that_interrupts_is_not_swallowed():
    with pytest.raises(KeyboardInterrupt):
        quorv_lint.error_count(Items([], KeyboardInterrupt()))


def test_an_exception_of_another_class_from_the_iteration_passes_unchanged():
    failure = ValueError("broken item")
    error = raised("error_count", Items([failure]))
    assert error is failure


class SpecialTypeError(TypeError):
    pass


def test_a_subclass_of_type_error_from_the_iteration_passes_unchanged():
    failure = SpecialTypeError("special")
    error = raised("error_count", Items([failure]))
    assert error is failure


def test_a_type_error_from_the_iteration_is_wrapped_and_keeps_its_cause():
    cause = ZeroDivisionError("the cause")
    failure = TypeError("broken item")
    failure.__cause__ = cause
    error = raised("error_count", Items([failure]))
    assert type(error) is TypeError
    assert str(error) == "argument 'findings': broken item"
    assert error.__cause__ is cause


def test_a_type_error_without_cause_is_wrapped_without_cause():
    error = raised("error_count", Items([TypeError("plain")]))
    assert str(error) == "argument 'findings': plain"
    assert error.__cause__ is None and not error.__suppress_context__


def test_a_sequence_that_refuses_iteration_is_wrapped():
    class NotIterable(Items):
        __iter__ = None

    error = raised("error_count", NotIterable([]))
    assert type(error) is TypeError
    assert str(error) == "argument 'findings': 'NotIterable' object is not iterable"


def test_an_item_that_is_not_a_finding_stops_the_iteration():
    seen = []

    class Watched(Items):
        def __getitem__(self, index):
            seen.append(index)
            return super().__getitem__(index)

    with pytest.raises(TypeError, match="'int' object cannot be converted to 'Finding'"):
        quorv_lint.error_count(Watched([1, 2, 3]))
    assert seen == [0]
