"""The XYZ reader as Python sees it: exact error texts, the quoted header, frames."""
import pytest

import quorv_lint

PREFIX = "not a valid XYZ file: "
WATER = "3\ncharge=0 mult=1\nO 0 0 0.1173\nH 0 0.7572 -0.4692\nH 0 -0.7572 -0.4692\n"


def summary(findings):
    """Findings compare by identity; their texts are what a caller sees."""
    return [(f.severity, f.code, f.message) for f in findings]


def rejection(text):
    with pytest.raises(ValueError) as caught:
        quorv_lint.lint_xyz(text)
    assert type(caught.value) is ValueError
    (message,) = caught.value.args
    assert message.startswith(PREFIX)
    return message[len(PREFIX):]


# --- every error text --------------------------------------------------------

@pytest.mark.parametrize(
    "text, message",
    [
        ("", "empty file"),
        ("\n", 'first line must be the atom count, got ""'),
        ("  \t\n", 'first line must be the atom count, got ""'),
        ("-0\n\n", 'first line must be the atom count, got "-0"'),
        ("3.0\n\n", 'first line must be the atom count, got "3.0"'),
        ("3 atoms\n", 'first line must be the atom count, got "3 atoms"'),
        ("1e3\n", 'first line must be the atom count, got "1e3"'),
        ("18446744073709551616\n", 'first line must be the atom count, got "18446744073709551616"'),
        ("\ufeff3\n", 'first line must be the atom count, got "\ufeff3"'),
        ("1\n\nH\n", "atom line 1 is missing the x coordinate"),
        ("1\n\nH 0\n", "atom line 1 is missing the y coordinate"),
        ("1\n\nH 0 0\n", "atom line 1 is missing the z coordinate"),
        ("1\n\nH 1,5 0 0\n", "atom line 1: x coordinate is not a number"),
        ("1\n\nH 1,5\n", "atom line 1: x coordinate is not a number"),  # x is judged before y is missed
        ("1\n\nH 0 1.5d0 0\n", "atom line 1: y coordinate is not a number"),
        ("1\n\nH 0 0 0x1p3\n", "atom line 1: z coordinate is not a number"),
        ("1\n\n\nH x 0 0\n", "atom line 2: x coordinate is not a number"),
        ("3\n\nH 0 0 0\nH 0 0 1\n", "header declares 3 atom(s) but 2 were found"),
        ("2", "header declares 2 atom(s) but 0 were found"),
        ("0\n\nH 0 0 0\n", "header declares 0 atom(s) but 1 were found"),
        ("2\nH 0 0 0\nH 0 0 1\n", "header declares 2 atom(s) but 1 were found"),
    ],
)
def test_error_texts(text, message):
    assert rejection(text) == message


def test_a_huge_declared_count_fails_with_the_count_message():
    text = "18446744073709551615\n\nH 0 0 0\nH 0 0 1\nH 0 0 2\n"
    assert rejection(text) == "header declares 18446744073709551615 atom(s) but 3 were found"


def test_the_reader_error_reaches_lint_file_for_xyz_names(tmp_path):
    path = tmp_path / "broken.xyz"
    path.write_text("2\n\nH 0 0 0\n", encoding="utf-8")
    with pytest.raises(ValueError, match="^not a valid XYZ file: header declares 2 atom\\(s\\) but 1 were found$"):
        quorv_lint.lint_file(str(path))


# --- the quoted header ---------------------------------------------------------

@pytest.mark.parametrize(
    "header, shown",
    [
        ("3 atoms", '"3 atoms"'),
        ('say "3"', '"say \\"3\\""'),
        ("a\\b", '"a\\\\b"'),
        ("it's", '"it\'s"'),
        ("a\tb", '"a\\tb"'),
        ("a\rb", '"a\\rb"'),
        ("a\0b", '"a\\0b"'),
        ("a\x01b\x1fc\x7fd", '"a\\u{1}b\\u{1f}c\\u{7f}d"'),
        ("a\x0bb\x0cc", '"a\\u{b}b\\u{c}c"'),  # vertical tab and form feed: blanks, but not at the ends
        ("\t 3 atoms \x0b", '"3 atoms"'),       # trimmed before quoting
        ("3\u30003", '"3\u30003"'),            # an ideographic space inside stays a character
    ],
)
def test_header_message_quotes_the_trimmed_line(header, shown):
    assert rejection(header + "\n\nH 0 0 0\n") == "first line must be the atom count, got " + shown


def test_carriage_returns_alone_do_not_split_lines():
    text = "1\rcomment\rH 0 0 0\r"
    assert rejection(text) == 'first line must be the atom count, got "1\\rcomment\\rH 0 0 0"'


def test_non_ascii_in_the_header_is_shown_as_itself_or_as_its_code_point():
    message = rejection("3\u00a0atoms\n")
    assert message in (
        'first line must be the atom count, got "3\u00a0atoms"',
        'first line must be the atom count, got "3\\u{a0}atoms"',
    )


# --- what reads ------------------------------------------------------------------

@pytest.mark.parametrize(
    "text",
    [
        WATER,
        WATER.replace("\n", "\r\n"),
        " +003 \n0 1\nO 0 0 0.1173\nh 0 0.7572 -0.4692 0.4\nH\t0\u00a0-0.7572 -0.4692\n",
        "0\n",
        "0",
        "0\n\n\n   \n",
        "2\n\n\nH 0 0 0\n\n\nH 0 0 0.74",
        "1\nanything at all: charge=x mult=-1 \u00e9\nC 1e400 -inf NaN\n",
        "1\n\nC 1e-400 +.5 5.\n",
    ],
)
def test_valid_texts_read(text):
    assert isinstance(quorv_lint.lint_xyz(text), list)


def test_a_comment_line_never_fails():
    for comment in ("charge=", "mult=99999999999999999999", "1 -2", "\0\x7f\\", "charge=--1 0 1 2"):
        assert isinstance(quorv_lint.lint_xyz("1\n" + comment + "\nH 0 0 0\n"), list)


# --- trajectories ------------------------------------------------------------------

@pytest.mark.parametrize(
    "later_frames",
    [
        WATER,
        "3\nsecond frame\nO 0 0 0\n",  # a short frame
        "garbage\n\0\x01 not xyz at all\n",
        "3\n\nO x y z\n",
    ],
)
def test_only_the_first_frame_is_read(later_frames):
    first = summary(quorv_lint.lint_xyz(WATER))
    assert summary(quorv_lint.lint_xyz(WATER + later_frames)) == first


def test_a_long_trajectory_is_not_looked_at():
    frames = WATER * 50_000
    assert summary(quorv_lint.lint_xyz(frames + "not a frame\n")) == summary(quorv_lint.lint_xyz(WATER))


@pytest.mark.parametrize(
    "header, shown",
    [
        ("x" * 200, '"' + "x" * 200 + '"'),                      # within the bound: exactly as it is
        ("\x01" * 200, '"' + "\\u{1}" * 200 + '"'),               # the bound counts characters, not escapes
        ("x" * 201, '"' + "x" * 200 + '"\u2026'),                # one over: cut, and the cut is marked
        ("\u00e9" * 300, '"' + "\u00e9" * 200 + '"\u2026'),      # characters, never half of one
        # A file saved with carriage returns alone is one line of 8 MB.
        ("1\r" + "H 0 0 0\r" * 1_000_000, '"' + ("1\r" + "H 0 0 0\r" * 25)[:200].replace("\r", "\\r") + '"\u2026'),
    ],
    ids=["200", "200-escaped", "201", "non-ascii", "cr-only-8mb"],
)
def test_the_header_message_quotes_a_bounded_prefix(header, shown):
    assert rejection(header + "\n") == "first line must be the atom count, got " + shown
