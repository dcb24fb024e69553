"""The cluster-spec JSON reader, seen through lint_json: what it accepts, and
the exact error text (message, line, column) for what it rejects."""

import pytest

import quorv_lint

PREFIX = "not a valid cluster spec: "


def reader_error(text):
    """The reader's own error text for a rejected document."""
    with pytest.raises(ValueError) as info:
        quorv_lint.lint_json(text)
    message = str(info.value)
    assert message.startswith(PREFIX)
    return message[len(PREFIX):]


def accepted(text):
    return isinstance(quorv_lint.lint_json(text), list)


def at(message, line, column):
    return f"{message} at line {line} column {column}"


# A document whose unlisted key "a" carries the value under test.
def under_unlisted_key(value):
    return '{"atoms": [], "a": ' + value + "}"  # the value starts at column 20


ATOM = '{"element": "C", "x": 0, "y": 0, "z": 0}'


# --- Acceptance -------------------------------------------------------------

@pytest.mark.parametrize("text", [
    '{"atoms": []}',
    ' \t\r\n{ "atoms" : [ ] } \r\n\t ',
    '{"atoms": [], "charge": null, "spin_multiplicity": null, "metal_oxidation_state": null}',
    '{"metal_oxidation_state": 2, "ecp_elements": ["Fe", "Fe"], "spin_multiplicity": 1, '
    '"charge": -1, "atoms": [' + ATOM + "]}",
    '{"atoms": [{"z": 1.5e-3, "y": -2E+2, "x": 0.0, "element": ""}]}',
    '{"atoms": [{"element": " c\\u00e9\\ud83d\\ude00\\n\\/", "x": 1, "y": 2, "z": 3}]}',
    '{"atoms": [["C", 0, 0, 0], ' + ATOM + "]}",
    '{"atoms": [["C", -0, 1e-400, 123456789012345678901234567890]]}',
    '{"atoms": [], "charge": -9223372036854775808, "metal_oxidation_state": 9223372036854775807}',
    '{"atoms": [], "spin_multiplicity": 0}',
    '{"atoms": [], "spin_multiplicity": 4294967295}',
    '{"atoms": [], "ecp_elements": []}',
], ids=[
    "only-atoms", "json-blanks-everywhere", "nulls-mean-absent", "all-keys-any-order",
    "exponents-and-empty-symbol", "escaped-symbol", "atom-array-and-object-forms",
    "coordinates-any-number", "i64-bounds", "spin-zero", "u32-maximum", "empty-ecp-list",
])
def test_object_form_is_accepted(text):
    assert accepted(text)


@pytest.mark.parametrize("text", [
    "[[]]",
    "[[], null, null, [], null]",
    '[[["C", 0, 0, 0]], 0, 1, ["Fe"], 2]',
    "[[], 1]",
    "[ [ ] , 1 , 2 ]",
])
def test_array_form_is_accepted(text):
    assert accepted(text)


@pytest.mark.parametrize("text", [
    '{"comment": "made by hand", "atoms": []}',
    '{"atoms": [], "meta": {"a": [1, {"b": null}], "c": true, "d": false, "e": -1.5e3}}',
    '{"atoms": [{"element": "C", "label": {"deep": [[[]]]}, "x": 0, "y": 0, "z": 0}]}',
    '{"atoms": [], "a": 1, "a": 2, "a": {"x": 1, "x": 2}}',
    '{"atoms": [], "Charge": 2.5, "charge ": "x", "ATOMS": null}',
    '{"atoms": [], "a": "\\ud83d\\ude00 \\" \\\\ \\/ \\b \\f \\n \\r \\t \\u0000"}',
    '{"atoms": [], "a": [], "b": {}, "c": [[], {}], "d": ""}',
], ids=[
    "comment-string", "nested-object", "inside-an-atom", "unlisted-keys-repeat",
    "keys-are-case-and-byte-exact", "every-escape", "empty-containers",
])
def test_unlisted_keys_are_skipped(text):
    assert accepted(text)


DEPTH = 1_000_000


def test_a_million_nested_arrays_under_an_unlisted_key_are_skipped():
    assert accepted('{"atoms": [], "deep": ' + "[" * DEPTH + "]" * DEPTH + "}")


def test_a_million_nested_objects_under_an_unlisted_key_are_skipped():
    assert accepted('{"atoms": [], "deep": ' + '{"a":' * DEPTH + "0" + "}" * DEPTH + "}")


def test_unclosed_deep_nesting_under_an_unlisted_key_ends_in_eof():
    text = '{"atoms": [], "deep": ' + "[" * DEPTH
    assert reader_error(text) == at("EOF while parsing a list", 1, len(text))


@pytest.mark.parametrize("text, error", [
    ('{"atoms": ' + "[" * DEPTH + "]" * DEPTH + "}",
     at("invalid type: sequence, expected a string", 1, 12)),
    ('{"atoms": [{"element": ' + '{"a": ' * DEPTH + "1" + "}" * DEPTH + "}]}",
     at("invalid type: map, expected a string", 1, 23)),
    ('{"atoms": [["C", ' + "[" * DEPTH,
     at("invalid type: sequence, expected f64", 1, 17)),
])
def test_deep_nesting_where_a_value_is_known_is_a_type_error(text, error):
    assert reader_error(text) == error


# --- Syntax errors ----------------------------------------------------------

@pytest.mark.parametrize("text, message, line, column", [
    ("", "EOF while parsing a value", 1, 0),
    ("   ", "EOF while parsing a value", 1, 3),
    ("\n\n", "EOF while parsing a value", 3, 0),
    ('{"atoms":', "EOF while parsing a value", 1, 9),
    ('{"atoms": [],', "EOF while parsing a value", 1, 13),
    ('{"atoms": [["C",', "EOF while parsing a value", 1, 16),
    ('{"atoms": [], "charge": nul', "EOF while parsing a value", 1, 27),
    ('{"atoms": [], "a": -', "EOF while parsing a value", 1, 20),
    ('{"atoms": [], "a": 1.', "EOF while parsing a value", 1, 21),
    ('{"atoms": [], "a": 1e+', "EOF while parsing a value", 1, 22),
    ("{", "EOF while parsing an object", 1, 1),
    ('{"atoms"', "EOF while parsing an object", 1, 8),
    ('{"atoms": []', "EOF while parsing an object", 1, 12),
    ('{"atoms": [' + ATOM, "EOF while parsing a list", 1, 11 + len(ATOM)),
    ('{"atoms": [', "EOF while parsing a list", 1, 11),
    ('[[], 1', "EOF while parsing a list", 1, 6),
    ('{"atoms": [], "a": [1,\n', "EOF while parsing a value", 2, 0),
    ('{"atoms": ["', "EOF while parsing a string", 1, 12),
    ('{"atoms": [], "a": "ab\\', "EOF while parsing a string", 1, 23),
    ('{"atoms": [], "a": "\\u12', "EOF while parsing a string", 1, 24),
    ('{"atoms": [], "a": "\\ud800', "EOF while parsing a string", 1, 26),
    # The end is the last character, counted to its first byte: é is two bytes.
    ('{"atoms": [], "a": "é', "EOF while parsing a string", 1, 21),
    ('{"atoms\u3000', "EOF while parsing a string", 1, 8),
    ('{"atoms": [{"element": "F\u00e9', "EOF while parsing a string", 1, 26),
])
def test_text_ending_too_early(text, message, line, column):
    assert reader_error(text) == at(message, line, column)


@pytest.mark.parametrize("text, message, column", [
    ('{"atoms" []}', "expected `:`", 10),
    ('{"atoms": [], "a" 1}', "expected `:`", 19),
    ('{"atoms": [] "charge": 1}', "expected `,` or `}`", 14),
    (under_unlisted_key('{"b": 1 "c": 2}'), "expected `,` or `}`", 28),
    ('{"atoms": [{"element": "C" "x": 0}]}', "expected `,` or `}`", 28),
    (under_unlisted_key("[1 2]"), "expected `,` or `]`", 23),
    ('{"atoms": [], "ecp_elements": ["Fe" "Cu"]}', "expected `,` or `]`", 37),
    ('[[] 1]', "expected `,` or `]`", 5),
    ('{"atoms": [], "charge": nulL}', "expected ident", 28),
    (under_unlisted_key("tru"), "expected ident", 23),
    (under_unlisted_key("fals3"), "expected ident", 24),
    (under_unlisted_key("x"), "expected value", 20),
    (under_unlisted_key("'s'"), "expected value", 20),
    (under_unlisted_key("NaN"), "expected value", 20),
    (under_unlisted_key("Infinity"), "expected value", 20),
    (under_unlisted_key("+1"), "expected value", 20),
    (under_unlisted_key(".5"), "expected value", 20),
    (under_unlisted_key("[,1]"), "expected value", 21),
    (under_unlisted_key("\ufeff1"), "expected value", 20),
    ('{"atoms": [], "x": /* c */ 1}', "expected value", 20),
    ("{atoms: []}", "key must be a string", 2),
    ('{"atoms": [], 1: 2}', "key must be a string", 15),
    ("{,}", "key must be a string", 2),
    (under_unlisted_key("{'b': 1}"), "key must be a string", 21),
    (under_unlisted_key('"\\x"'), "invalid escape", 22),
    (under_unlisted_key('"\\U0041"'), "invalid escape", 22),
    (under_unlisted_key('"\\u12G4"'), "invalid escape", 26),
    (under_unlisted_key("01"), "invalid number", 21),
    (under_unlisted_key("-01"), "invalid number", 22),
    (under_unlisted_key("-x"), "invalid number", 21),
    (under_unlisted_key("1.}"), "invalid number", 22),
    (under_unlisted_key("1.e5"), "invalid number", 22),
    (under_unlisted_key("1e}"), "invalid number", 22),
    (under_unlisted_key("1e-x"), "invalid number", 23),
    ('{"atoms": [], "charge": -}', "invalid number", 26),
    (under_unlisted_key('"a\tb"'), "control character (\\u0000-\\u001F) found while parsing a string", 22),
    (under_unlisted_key('"\x00"'), "control character (\\u0000-\\u001F) found while parsing a string", 21),
    (under_unlisted_key('"\x1f"'), "control character (\\u0000-\\u001F) found while parsing a string", 21),
    (under_unlisted_key('"\\udc00"'), "lone leading surrogate in hex escape", 26),
    (under_unlisted_key('"\\ud800\\u0041"'), "lone leading surrogate in hex escape", 32),
    (under_unlisted_key('"\\ud800\\ud800"'), "lone leading surrogate in hex escape", 32),
    (under_unlisted_key('"\\ud800x"'), "unexpected end of hex escape", 27),
    (under_unlisted_key('"\\ud800"'), "unexpected end of hex escape", 27),
    (under_unlisted_key('"\\ud800\\n"'), "unexpected end of hex escape", 28),
    ('{"atoms": [],}', "trailing comma", 14),
    ('{"atoms": [], "a": 1 ,\t}', "trailing comma", 24),
    (under_unlisted_key("[1,]"), "trailing comma", 23),
    (under_unlisted_key('{"b": 1,}'), "trailing comma", 28),
    ('{"atoms": [' + ATOM + ",]}", "trailing comma", 13 + len(ATOM)),
    ('{"atoms": [["C", 0, 0, 0,]]}', "trailing comma", 26),
    ("[[],]", "trailing comma", 5),
    ('{"atoms": []} x', "trailing characters", 15),
    ('{"atoms": []}}', "trailing characters", 14),
    ('{"atoms": []}{}', "trailing characters", 14),
    ("[[]] []", "trailing characters", 6),
    ("[[], 0, 1, [], 0, 5]", "trailing characters", 19),
    ('{"atoms": [["C", 0, 0, 0, 1]]}', "trailing characters", 27),
    ('{"atoms": [["C", 0, 0, 0 1]]}', "trailing characters", 26),
])
def test_syntax_error_on_one_line(text, message, column):
    assert reader_error(text) == at(message, 1, column)


@pytest.mark.parametrize("text, error", [
    # A line feed that is itself the offending character stays on its line.
    ('{"atoms": [], "a": "\n"}', at("control character (\\u0000-\\u001F) found while parsing a string", 1, 21)),
    ('{"atoms": [{"element": "C\n", "x": 0, "y": 0, "z": 0}]}',
     at("control character (\\u0000-\\u001F) found while parsing a string", 1, 26)),
    ('{"atoms": [], "charge": tru\n}', at("expected ident", 1, 28)),
    ('{"atoms": [], "charge": 1.\n}', at("invalid number", 1, 27)),
    ('{"atoms": [{"element": "C", "x":\n{}, "y": 0, "z": 0}]}', at("invalid type: map, expected f64", 1, 33)),
    ('{\r\n"atoms": [],\r\n"a": x}', at("expected value", 3, 6)),
    ('{\n  "atoms": [],\n  "charge": 1.5\n}', at("invalid type: floating point `1.5`, expected i64", 3, 15)),
    ('{"atoms": [], "é": 1, "a": x}', at("expected value", 1, 29)),
    ('{"atoms": [], "a": "\\é"}', at("invalid escape", 1, 22)),
    ("\ufeff{}", at("expected value", 1, 1)),
    ("\ufeff", at("expected value", 1, 1)),
    ('{"atoms": []}\n\n  x', at("trailing characters", 3, 3)),
])
def test_positions_count_lines_and_bytes(text, error):
    assert reader_error(text) == error


# --- Numbers ----------------------------------------------------------------

@pytest.mark.parametrize("number, found", [
    ("2.5", "floating point `2.5`"),
    ("2.0", "floating point `2.0`"),
    ("2e0", "floating point `2.0`"),
    ("20E-1", "floating point `2.0`"),
    ("-0", "floating point `-0.0`"),
    ("-0.0", "floating point `-0.0`"),
    ("18446744073709551616", "floating point `18446744073709551616.0`"),
    ("-9223372036854775809", "floating point `-9223372036854775808.0`"),
    ('"1"', 'string "1"'),
    ("true", "boolean `true`"),
    ("[1]", "sequence"),
    ("{}", "map"),
])
@pytest.mark.parametrize("key", ["charge", "metal_oxidation_state"])
def test_i64_fields_take_integers_written_as_integers(key, number, found):
    text = '{"atoms": [], "' + key + '": ' + number + "}"
    column = len(text) - 1 if found not in ("sequence", "map") else len(text) - 1 - len(number)
    assert reader_error(text) == at(f"invalid type: {found}, expected i64", 1, column)


@pytest.mark.parametrize("number", ["9223372036854775808", "18446744073709551615"])
def test_i64_fields_refuse_integers_above_the_range(number):
    text = '{"atoms": [], "charge": ' + number + "}"
    assert reader_error(text) == at(f"invalid value: integer `{number}`, expected i64", 1, len(text) - 1)


@pytest.mark.parametrize("number, problem", [
    ("-1", "invalid value: integer `-1`, expected u32"),
    ("-9223372036854775808", "invalid value: integer `-9223372036854775808`, expected u32"),
    ("4294967296", "invalid value: integer `4294967296`, expected u32"),
    ("18446744073709551615", "invalid value: integer `18446744073709551615`, expected u32"),
    ("18446744073709551616", "invalid type: floating point `18446744073709551616.0`, expected u32"),
    ("-9223372036854775809", "invalid type: floating point `-9223372036854775808.0`, expected u32"),
    ("-0", "invalid type: floating point `-0.0`, expected u32"),
    ("1.0", "invalid type: floating point `1.0`, expected u32"),
    ("3e0", "invalid type: floating point `3.0`, expected u32"),
    ("0.5", "invalid type: floating point `0.5`, expected u32"),
])
def test_spin_multiplicity_is_a_u32(number, problem):
    text = '{"atoms": [], "spin_multiplicity": ' + number + "}"
    assert reader_error(text) == at(problem, 1, len(text) - 1)


@pytest.mark.parametrize("value", [
    "1e400", "-1e400", "1.7976931348623159e308", "123456789e305", "0.1e310",
    "1" + "0" * 400, "-" + "9" * 400 + ".5",
])
@pytest.mark.parametrize("place", ["coordinate", "charge"])
def test_numbers_beyond_the_double_range_are_out_of_range_under_listed_keys(value, place):
    if place == "coordinate":
        text = '{"atoms": [["C", 0, ' + value + ", 0]]}"
        column = 20 + len(value)
    else:
        text = '{"atoms": [], "charge": ' + value + "}"
        column = 24 + len(value)
    assert reader_error(text) == at("number out of range", 1, column)


@pytest.mark.parametrize("value", [
    "1e400", "-2e999", "1e99999999999999", "1" + "0" * 400, '[1, -2e999, {"a": 1e400}]',
])
def test_an_unlisted_value_only_has_to_be_well_formed(value):
    assert accepted(under_unlisted_key(value))


def test_a_huge_exponent_is_out_of_range_where_it_outgrows_32_bits():
    # 9999999999 passes 2^31 - 1 at its tenth digit, column 29.
    assert reader_error('{"atoms": [["C", 1e99999999999999, 0, 0]]}') == at("number out of range", 1, 29)


@pytest.mark.parametrize("value", [
    "1.7976931348623157e308", "-1.7976931348623157e308", "1e-400", "-1e-400",
    "4.9e-324", "0e99999999999", "0.0000e+9999999999999", "1e-99999999999999",
    "18446744073709551615", "-9223372036854775808", "1" + "0" * 300,
])
def test_numbers_inside_the_double_range_are_coordinates(value):
    assert accepted('{"atoms": [["C", ' + value + ", 0, 0]]}")


# --- Types ------------------------------------------------------------------

@pytest.mark.parametrize("text, error", [
    ("null", at("invalid type: null, expected struct ClusterSpec", 1, 4)),
    ('"spec"', at('invalid type: string "spec", expected struct ClusterSpec', 1, 6)),
    (" 5 ", at("invalid type: integer `5`, expected struct ClusterSpec", 1, 2)),
    ("false", at("invalid type: boolean `false`, expected struct ClusterSpec", 1, 5)),
    ('{"atoms": null}', at("invalid type: null, expected a sequence", 1, 14)),
    ('{"atoms": {}}', at("invalid type: map, expected a sequence", 1, 10)),
    ('{"atoms":{}}', at("invalid type: map, expected a sequence", 1, 9)),
    ('{"atoms": "C"}', at('invalid type: string "C", expected a sequence', 1, 13)),
    ('{"atoms": [1]}', at("invalid type: integer `1`, expected struct Atom", 1, 12)),
    ('{"atoms": [null]}', at("invalid type: null, expected struct Atom", 1, 15)),
    ('{"atoms": [{}, "C"]}', at("missing field `element`", 1, 13)),
    ('{"atoms": [' + ATOM + ', "C"]}', at('invalid type: string "C", expected struct Atom', 1, 16 + len(ATOM))),
    ('{"atoms": [{"element": 6, "x": 0, "y": 0, "z": 0}]}', at("invalid type: integer `6`, expected a string", 1, 24)),
    ('{"atoms": [{"element": null}]}', at("invalid type: null, expected a string", 1, 27)),
    ('{"atoms": [{"element": ["C"]}]}', at("invalid type: sequence, expected a string", 1, 23)),
    ('{"atoms": [["C", "1.0", 0, 0]]}', at('invalid type: string "1.0", expected f64', 1, 22)),
    ('{"atoms": [["C", 0, true, 0]]}', at("invalid type: boolean `true`, expected f64", 1, 24)),
    ('{"atoms": [["C", 0, 0, null]]}', at("invalid type: null, expected f64", 1, 27)),
    ('{"atoms": [{"x": {"v": 1}}]}', at("invalid type: map, expected f64", 1, 17)),
    ('{"atoms": [], "ecp_elements": null}', at("invalid type: null, expected a sequence", 1, 34)),
    ('{"atoms": [], "ecp_elements": "Fe"}', at('invalid type: string "Fe", expected a sequence', 1, 34)),
    ('{"atoms": [], "ecp_elements": ["Fe", 26]}', at("invalid type: integer `26`, expected a string", 1, 39)),
    ('{"atoms": [], "ecp_elements": [null]}', at("invalid type: null, expected a string", 1, 35)),
    ('[null]', at("invalid type: null, expected a sequence", 1, 5)),
    ('[[], "2"]', at('invalid type: string "2", expected i64', 1, 8)),
    ('[[], 0, -1]', at("invalid value: integer `-1`, expected u32", 1, 10)),
    ('[[], 0, 1, null]', at("invalid type: null, expected a sequence", 1, 15)),
    ('[[], 0, 1, [], 1.5]', at("invalid type: floating point `1.5`, expected i64", 1, 18)),
])
def test_wrong_types(text, error):
    assert reader_error(text) == error


@pytest.mark.parametrize("json_string, shown", [
    (r'"a\"b\\c"', r'"a\"b\\c"'),
    (r'"\t\r\n\u0000"', r'"\t\r\n\0"'),
    (r'"\u0001\u001f\u007f\b\f"', r'"\u{1}\u{1f}\u{7f}\u{8}\u{c}"'),
    (r'"\/ \u00e9 é \ud83d\ude00"', '"/ é é \U0001F600"'),
    (r'"\u00a0\u200b\ufeff"', r'"\u{a0}\u{200b}\u{feff}"'),
    ('"\'"', '"\'"'),
    ('""', '""'),
])
def test_found_strings_are_shown_decoded_and_escaped(json_string, shown):
    text = '{"atoms": [["C", ' + json_string + ", 0, 0]]}"
    column = len(text.encode()) - len(", 0, 0]]}")  # the closing quote, in bytes
    assert reader_error(text) == at(f"invalid type: string {shown}, expected f64", 1, column)


# --- Keys: duplicates, missing, array lengths -------------------------------

@pytest.mark.parametrize("text, error", [
    ('{"atoms": [], "atoms": []}', at("duplicate field `atoms`", 1, 21)),
    ('{"atoms": [], "atoms"  : []}', at("duplicate field `atoms`", 1, 23)),
    ('{"atoms": [], "atoms"\n: []}', at("duplicate field `atoms`", 1, 22)),
    ('{"charge": null, "charge": "x", "atoms": []}', at("duplicate field `charge`", 1, 25)),
    ('{"charge": 1, "charge": 1, "atoms": []}', at("duplicate field `charge`", 1, 22)),
    ('{"ecp_elements": [], "atoms": [], "ecp_elements": null}', at("duplicate field `ecp_elements`", 1, 48)),
    ('{"atoms": [], "spin_multiplicity": 2, "spin_multiplicity": -1}',
     at("duplicate field `spin_multiplicity`", 1, 57)),
    ('{"atoms": [], "metal_oxidation_state": 2, "metal_oxidation_state": 2}',
     at("duplicate field `metal_oxidation_state`", 1, 65)),
    ('{"atoms": [{"x": 0, "x": 1}]}', at("duplicate field `x`", 1, 23)),
    ('{"atoms": [{"element": "C", "\\u0065lement": "O"}]}', at("duplicate field `element`", 1, 42)),
    ('{"atoms": [], "atoms"}', at("duplicate field `atoms`", 1, 22)),
])
def test_a_known_key_twice_is_a_duplicate(text, error):
    assert reader_error(text) == error


@pytest.mark.parametrize("text, error", [
    ("{}", at("missing field `atoms`", 1, 2)),
    ('{"charge": 0}', at("missing field `atoms`", 1, 13)),
    ('{\n  "charge": 0\n}', at("missing field `atoms`", 3, 1)),
    ('{"Atoms": []}', at("missing field `atoms`", 1, 13)),
    ('{"atoms": [{"x": 0, "y": 0, "z": 0}]}', at("missing field `element`", 1, 35)),
    ('{"atoms": [{"element": "C", "y": 0}]}', at("missing field `x`", 1, 35)),
    ('{"atoms": [{"element": "C", "x": 0, "z": 0}]}', at("missing field `y`", 1, 43)),
    ('{"atoms": [{"element": "C", "x": 0, "y": 0}]}', at("missing field `z`", 1, 43)),
    ('{"atoms": [{"element": "C", "x": 0, "y": 0, "Z": 0}  ]}', at("missing field `z`", 1, 51)),
])
def test_missing_keys_are_found_at_the_closing_brace(text, error):
    assert reader_error(text) == error


@pytest.mark.parametrize("text, error", [
    ("[]", at("invalid length 0, expected struct ClusterSpec with 5 elements", 1, 2)),
    ("[ ]", at("invalid length 0, expected struct ClusterSpec with 5 elements", 1, 3)),
    ('{"atoms": [[]]}', at("invalid length 0, expected struct Atom with 4 elements", 1, 13)),
    ('{"atoms": [["C"]]}', at("invalid length 1, expected struct Atom with 4 elements", 1, 16)),
    ('{"atoms": [["C", 0, 0]]}', at("invalid length 3, expected struct Atom with 4 elements", 1, 22)),
    ('[[["C", 0, 0\n]]]', at("invalid length 3, expected struct Atom with 4 elements", 2, 1)),
])
def test_array_forms_that_are_too_short(text, error):
    assert reader_error(text) == error


def test_the_first_error_wins():
    # A missing key is found at its closing brace, after any earlier error.
    assert reader_error('{"charge": 1.5}') == at("invalid type: floating point `1.5`, expected i64", 1, 14)
    assert reader_error('{"charge": 1, "charge": x}') == at("duplicate field `charge`", 1, 22)
    assert reader_error('{"atoms": [1], "atoms": x') == at("invalid type: integer `1`, expected struct Atom", 1, 12)
