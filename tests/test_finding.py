"""The Finding class: no constructor, read-only attributes, str() and repr() with its escapes."""

import copy
import importlib.util
import json
import pickle
import re
import subprocess
import sys
import unicodedata
import weakref
from pathlib import Path

import pytest

import quorv_lint
from quorv_lint import Finding

ROOT = Path(__file__).resolve().parent.parent
UCD = Path("/usr/share/unicode")  # where Debian's unicode-data package puts the database

NO_SEED_SOURCE = "AllChem.EmbedMolecule(mol)\n"
NO_SEED_MESSAGE = (
    "line 1: EmbedMolecule(...) has no fixed randomSeed \u2014 the embedding is nondeterministic and the 3D "
    "geometry (and every descriptor computed on it) changes each run. Set params.randomSeed to a fixed value."
)
RANDOM_SEED_SOURCE = "\n\nAllChem.EmbedMultipleConfs(mol, 10, randomSeed=-1)\n"
RANDOM_SEED_MESSAGE = (
    "line 3: EmbedMultipleConfs(...) sets randomSeed=-1, which is explicitly nondeterministic. "
    "Use a fixed nonnegative seed for reproducibility."
)
ABSTAIN_PREFIX = "electron count not verified: unknown atomic number for "

SHORT_ESCAPES = {"\0": "\\0", "\t": "\\t", "\r": "\\r", "\n": "\\n", "\\": "\\\\", '"': '\\"'}


def only_finding(text):
    (finding,) = quorv_lint.lint_source(text)
    return finding


@pytest.fixture
def error():
    return only_finding(NO_SEED_SOURCE)


@pytest.fixture
def warning():
    return only_finding(RANDOM_SEED_SOURCE)


def finding_naming(symbol):
    """The abstain warning of a one-atom cluster whose element is `symbol`: its message ends in it."""
    document = json.dumps({"atoms": [{"element": symbol, "x": 0.0, "y": 0.0, "z": 0.0}], "charge": 0,
                           "spin_multiplicity": 1}, ensure_ascii=False)
    (finding,) = quorv_lint.lint_json(document)
    assert (finding.code, finding.message) == ("electron-parity-abstain", ABSTAIN_PREFIX + symbol)
    return finding


def reference_literal(text, escaped):
    """The quoted message as repr() writes it, for a given set of \\u{...} escaped code points."""
    parts = ['"']
    for c in text:
        if c in SHORT_ESCAPES:
            parts.append(SHORT_ESCAPES[c])
        elif escaped(ord(c)):
            parts.append(f"\\u{{{ord(c):x}}}")
        else:
            parts.append(c)
    parts.append('"')
    return "".join(parts)


def quoted_message(finding):
    prefix = f"Finding(severity='{finding.severity}', code='{finding.code}', message="
    text = repr(finding)
    assert text.startswith(prefix) and text.endswith(")")
    return text[len(prefix):-1]


# --- the class -------------------------------------------------------------------------------


def test_class_names_and_docs():
    assert Finding.__name__ == "Finding"
    assert Finding.__qualname__ == "Finding"
    assert Finding.__module__ == "quorv_lint"
    assert Finding.__doc__ == 'A single diagnostic. `severity` is `"error"` or `"warning"`.'
    assert Finding.__text_signature__ is None
    assert Finding.__bases__ == (object,)
    assert Finding.is_error.__doc__ == (
        "True when this finding is an error (physically impossible / almost certainly wrong).")
    assert [Finding.severity.__doc__, Finding.code.__doc__, Finding.message.__doc__] == [None, None, None]


def test_the_interpreter_shows_the_bare_class_name():
    # The name the interpreter's own messages use has no module prefix.
    with pytest.raises(TypeError, match=r"^type 'Finding' is not an acceptable base type$"):
        type("Sub", (Finding,), {})


def test_class_flags():
    base_type, gc_tracked = 1 << 10, 1 << 14
    assert Finding.__flags__ & base_type == 0
    assert Finding.__flags__ & gc_tracked == 0
    assert "__dict__" not in dir(Finding) and "__weakref__" not in dir(Finding)
    assert [name for name in vars(Finding) if not name.startswith("__")] == [
        "severity", "code", "message", "is_error"]


@pytest.mark.parametrize(
    "make",
    [
        lambda: Finding(),
        lambda: Finding("error", "overlapping-atoms", "message"),
        lambda: Finding(severity="error", code="c", message="m"),
        lambda: Finding.__new__(Finding),
        lambda: Finding.__new__(Finding, "error", "c", "m"),
    ],
    ids=["no-arguments", "three-texts", "keywords", "__new__", "__new__-with-texts"],
)
def test_there_is_no_constructor(make):
    with pytest.raises(TypeError) as failure:
        make()
    assert type(failure.value) is TypeError
    assert str(failure.value) == "No constructor defined for Finding"


def test_object_new_cannot_make_one_either():
    with pytest.raises(TypeError, match=r"Finding"):
        object.__new__(Finding)


def test_an_instance_made_past_the_constructor_reads_as_empty_texts():
    # Replacing __new__ on the class gets an object whose texts the module never built.
    code = """if True:
        import quorv_lint
        Finding = quorv_lint.Finding
        Finding.__new__ = staticmethod(lambda cls: object.__new__(cls))
        finding = Finding()
        print(repr(finding), "|", str(finding), "|", finding.severity == finding.code == finding.message == "")
        print(finding.is_error, quorv_lint.error_count([finding] * 3))
        del finding
        print("freed")
    """
    result = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, timeout=60)
    assert result.returncode == 0, result.stderr
    assert result.stdout.splitlines() == [
        "Finding(severity='', code='', message=\"\") | warn  []  | True", "False 0", "freed"]


def test_the_class_cannot_be_subclassed():
    with pytest.raises(TypeError) as expected:
        class NotABase(bool):  # the interpreter's text for a type that is no acceptable base
            pass
    with pytest.raises(TypeError) as failure:
        class Sub(Finding):
            pass
    assert str(failure.value) == str(expected.value).replace("'bool'", "'Finding'")


# --- attributes ------------------------------------------------------------------------------


def test_attributes_of_an_error(error):
    assert (error.severity, error.code, error.message) == ("error", "conformer-no-seed", NO_SEED_MESSAGE)
    assert error.is_error is True


def test_attributes_of_a_warning(warning):
    assert (warning.severity, warning.code, warning.message) == (
        "warning", "conformer-explicit-random", RANDOM_SEED_MESSAGE)
    assert warning.is_error is False


@pytest.mark.parametrize("attribute", ["severity", "code", "message"])
def test_every_read_builds_a_new_equal_str(error, attribute):
    first, second = getattr(error, attribute), getattr(error, attribute)
    assert type(first) is str and first == second and first is not second
    assert str(error) is not str(error) and repr(error) is not repr(error)


@pytest.mark.parametrize("attribute", ["severity", "code", "message", "is_error"])
def test_attributes_cannot_be_set_or_deleted(error, attribute):
    with pytest.raises(AttributeError) as expected:
        (1).denominator = 2  # the interpreter's text for a getter without a setter
    template = str(expected.value).replace("'denominator'", "'{}'").replace("'int'", "'{}'")
    with pytest.raises(AttributeError) as assigned:
        setattr(error, attribute, "x")
    assert str(assigned.value) == template.format(attribute, "Finding")
    with pytest.raises(AttributeError) as deleted:
        delattr(error, attribute)
    assert str(deleted.value) == template.format(attribute, "Finding")
    assert error.severity == "error"


def test_no_other_attribute_can_be_set(error):
    with pytest.raises(AttributeError) as expected:
        object().line = 1  # the interpreter's text for an object without a dictionary
    with pytest.raises(AttributeError) as failure:
        error.line = 1
    assert str(failure.value) == str(expected.value).replace("'object' object", "'Finding' object")
    assert not hasattr(error, "__dict__")
    assert not hasattr(error, "line")


def test_identity_equality_and_hash():
    first, second = only_finding(NO_SEED_SOURCE), only_finding(NO_SEED_SOURCE)
    assert repr(first) == repr(second)
    assert first == first and first != second
    assert hash(first) == object.__hash__(first) and hash(first) != hash(second)


@pytest.mark.parametrize(
    "operation",
    [
        pickle.dumps,
        lambda f: pickle.dumps(f, protocol=0),
        copy.copy,
        copy.deepcopy,
        weakref.ref,
    ],
    ids=["pickle", "pickle-0", "copy", "deepcopy", "weakref"],
)
def test_copies_pickles_and_weak_references_are_refused(error, operation):
    with pytest.raises(TypeError, match="'Finding'"):
        operation(error)


# --- str() -----------------------------------------------------------------------------------


def test_str_of_an_error(error):
    assert str(error) == f"ERROR [conformer-no-seed] {NO_SEED_MESSAGE}"


def test_str_of_a_warning_pads_its_label_to_five(warning):
    assert str(warning) == f"warn  [conformer-explicit-random] {RANDOM_SEED_MESSAGE}"


def test_str_shows_the_message_raw():
    finding = finding_naming('a"\\\t\n\u00a0\u0301')
    assert str(finding) == f'warn  [electron-parity-abstain] {ABSTAIN_PREFIX}a"\\\t\n\u00a0\u0301'


# --- repr() ----------------------------------------------------------------------------------


def test_repr_of_an_error(error):
    assert repr(error) == f'Finding(severity=\'error\', code=\'conformer-no-seed\', message="{NO_SEED_MESSAGE}")'


def test_repr_of_a_warning(warning):
    assert repr(warning) == (
        f'Finding(severity=\'warning\', code=\'conformer-explicit-random\', message="{RANDOM_SEED_MESSAGE}")')


ESCAPES = [
    ("\0", "\\0"),
    ("\t", "\\t"),
    ("\r", "\\r"),
    ("\n", "\\n"),
    ("\\", "\\\\"),
    ('"', '\\"'),
    ("'", "'"),
    (" ", " "),
    ("\x07", "\\u{7}"),
    ("\x1f", "\\u{1f}"),
    ("\x7f", "\\u{7f}"),
    ("\x85", "\\u{85}"),
    ("\u00a0", "\\u{a0}"),
    ("\u00ad", "\\u{ad}"),
    ("\u0301", "\\u{301}"),
    ("\u0378", "\\u{378}"),
    ("\u200b", "\\u{200b}"),
    ("\u200c", "\\u{200c}"),
    ("\u2028", "\\u{2028}"),
    ("\u2029", "\\u{2029}"),
    ("\u3000", "\\u{3000}"),
    ("\ue000", "\\u{e000}"),
    ("\ufdd0", "\\u{fdd0}"),
    ("\ufeff", "\\u{feff}"),
    ("\uffff", "\\u{ffff}"),
    ("\U000e0041", "\\u{e0041}"),
    ("\U0010ffff", "\\u{10ffff}"),
    ("\u00c5", "\u00c5"),
    ("\u212b", "\u212b"),
    ("\u2014", "\u2014"),
    ("\u2013", "\u2013"),
    ("\u2265", "\u2265"),
    ("\u2212", "\u2212"),
    ("\u00b9", "\u00b9"),
    ("\u2070", "\u2070"),
    ("\u00e9", "\u00e9"),
    ("\u4e2d", "\u4e2d"),
    ("\U0001f600", "\U0001f600"),
    ("\u0903", "\u0903"),
]


@pytest.mark.parametrize("character, shown", ESCAPES, ids=[f"U+{ord(c):04X}" for c, _ in ESCAPES])
def test_repr_escapes_the_message(character, shown):
    finding = finding_naming(f"1{character}2")
    assert quoted_message(finding) == f'"{ABSTAIN_PREFIX}1{shown}2"'


def test_repr_stays_on_one_line_and_leaves_severity_and_code_raw():
    finding = finding_naming("x\ny")
    text = repr(finding)
    assert "\n" not in text
    assert text == f'Finding(severity=\'warning\', code=\'electron-parity-abstain\', message="{ABSTAIN_PREFIX}x\\ny")'


def sweep_code_points():
    """Code points whose escaping the interpreter's own database settles.

    Only characters assigned since Unicode 3.2 take part, so that they are assigned in
    whatever version the module's tables and the interpreter's database have. Mc and Lm
    are left out: a few of them are Grapheme_Extend, which unicodedata does not know.
    """
    old = unicodedata.ucd_3_2_0
    for code_point in range(0x110000):
        c = chr(code_point)
        if 0xD800 <= code_point <= 0xDFFF or old.category(c) == "Cn":
            continue
        if unicodedata.category(c) in ("Mc", "Lm"):
            continue
        if unicodedata.category(c) == "Co" and code_point % 97:
            continue  # private use is one block of alike characters: a sample does
        yield code_point


def escaped_by_category(code_point):
    category = unicodedata.category(chr(code_point))
    if code_point == 0x20:
        return False
    return category in ("Cc", "Cf", "Cs", "Co", "Cn", "Zl", "Zp", "Zs", "Mn", "Me")


def assert_repr_matches(code_points, escaped, chunk=20000):
    for start in range(0, len(code_points), chunk):
        text = "".join(chr(c) for c in code_points[start:start + chunk])
        finding = finding_naming(text)
        assert quoted_message(finding) == reference_literal(ABSTAIN_PREFIX + text, escaped)


def test_repr_escapes_follow_the_general_categories_of_the_interpreters_database():
    assert_repr_matches(list(sweep_code_points()), escaped_by_category)


def load_generator():
    spec = importlib.util.spec_from_file_location("gen_unicode_tables", ROOT / "scripts" / "gen_unicode_tables.py")
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


def committed_table_version():
    table = (ROOT / "src" / "python" / "unicode_tables.inc").read_text(encoding="utf-8")
    return re.search(r'kUnicodeTablesVersion\[\] = "([^"]+)"', table).group(1)


def ucd_version():
    properties = UCD / "DerivedCoreProperties.txt"
    if not properties.exists():
        return None
    return load_generator().ucd_version(properties.read_text(encoding="utf-8"))


needs_ucd = pytest.mark.skipif(
    ucd_version() != committed_table_version(),
    reason="the Unicode Character Database of the committed table is not installed (apt-get install unicode-data)",
)


@needs_ucd
def test_the_committed_table_is_what_the_database_gives():
    result = subprocess.run(
        [sys.executable, str(ROOT / "scripts" / "gen_unicode_tables.py"), "--check", "--ucd", str(UCD)],
        capture_output=True, text=True)
    assert result.returncode == 0, result.stderr


@needs_ucd
def test_repr_escapes_every_code_point_as_the_database_says():
    generator = load_generator()
    data = (UCD / "UnicodeData.txt").read_text(encoding="utf-8")
    derived = (UCD / "DerivedCoreProperties.txt").read_text(encoding="utf-8")
    ranges = generator.escaped_ranges(generator.general_categories(data), generator.grapheme_extend(derived))
    escaped = set()
    for first, last in ranges:
        escaped.update(range(first, last + 1))
    everything = [c for c in range(0x110000) if not 0xD800 <= c <= 0xDFFF]
    assert_repr_matches(everything, escaped.__contains__, chunk=65536)
