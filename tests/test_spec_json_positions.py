"""Where an error is placed, checked differentially: a faulty document is
written on one line with blanks between its tokens, which fixes the byte at
fault (or the end); then blanks, including the one at fault, are turned into
line feeds and tabs, and the line and column must follow from that same byte
by the counting rule alone."""

import random
import re

import pytest

import quorv_lint

# Each holds one fault; every blank is a space, so the one-line error names the byte.
FAULTY = [
    '{ "atoms" : [ { "element" : "C" , "x" : { } , "y" : 0 , "z" : 0 } ] }',
    '{ "atoms" : [ { "element" : "C" , "x" : [ ] , "y" : 0 , "z" : 0 } ] }',
    '{ "atoms" : [ ] , "atoms" : [ ] }',
    '{ "atoms" : [ ] , "charge" : null , "charge" : 1 }',
    '{ "atoms" : [ ] , "charge" : tru }',
    '{ "atoms" : [ ] , "charge" : 1. }',
    '{ "atoms" : [ ] , "charge" : 2.5 }',
    '{ "atoms" : [ ] , "spin_multiplicity" : -1 }',
    '{ "atoms" : [ ] , "ecp_elements" : null }',
    '{ "atoms" : [ ] , }',
    '{ "atoms" : [ ] "x" : 1 }',
    '{ "atoms" : [ ] , 5 : 1 }',
    '{ "atoms" : [ ] , "a" }',
    '{ "atoms" : [ { "element" : "C" , "x" : 0 , "y" : 0 } ] }',
    '{ "atoms" : [ [ "C" , 0 , 0 ] ] }',
    '{ "atoms" : [ [ "C" , 0 , 0 , 0 , 0 ] ] }',
    '{ "atoms" : [ ] } x',
    '[ ]',
    '[ [ ] , 0 , 1 , [ ] , 2 , 3 ]',
    '{ "atoms" : [ ] , "a" : "\\x" }',
    '{ "atoms" : [ ] , "a" : "\\ud800 " }',
    '{ "atoms" : [ ] , "a" : "\\udc00" }',
    '{ "atoms" : [ ] , "a" : [ 1 , ] }',
    '{ "atoms" : [ ] , "a" : 01 }',
    '{ "atoms" : [ ] , "a" : - }',
    '{ "atoms" : [ 5 ] }',
    '{ "element" : "C" }',
    '{ "atoms" : [ ',
    '{ "atoms" : [ ] , "a" : ',
    '{ "atoms" : [ ] , "a" : "b ',
    '{ "atoms" : [ ] , "a" : [ 1 , ',
    '{ "atoms" : [ ] , "charge" : nul ',
]
ERROR = re.compile(r"^not a valid cluster spec: (.*) at line (\d+) column (\d+)$", re.S)


def error_of(text):
    with pytest.raises(ValueError) as caught:
        quorv_lint.lint_json(text)
    message, line, column = ERROR.match(str(caught.value)).groups()
    return message, int(line), int(column)


def expected_position(text, fault):
    """The line and column of the byte at `fault` (None: the end of the text)."""
    if fault is None:
        if text == "":
            return 1, 0
        if text.endswith("\n"):
            return text.count("\n") + 1, 0
        fault = len(text) - 1
    line_start = text.rfind("\n", 0, fault) + 1
    return text.count("\n", 0, fault) + 1, fault - line_start + 1


def blanks_between_tokens(text):
    """The positions of the spaces outside strings (inside one, a line feed is a fault of its own)."""
    inside, escaped, blanks = False, False, []
    for i, c in enumerate(text):
        if inside:
            inside = escaped or c != '"'
            escaped = not escaped and c == "\\"
        elif c == '"':
            inside = True
        elif c == " ":
            blanks.append(i)
    return blanks


def variants(text, rng):
    """The text with one blank at a time turned into a line feed, then random mixes."""
    blanks = blanks_between_tokens(text)
    for i in blanks:
        yield text[:i] + "\n" + text[i + 1:]
    for _ in range(20):
        chars = list(text)
        for i in blanks:
            chars[i] = rng.choice([" ", "\n", "\t", "\n"])
        yield "".join(chars)


@pytest.mark.parametrize("one_line", FAULTY)
def test_line_feeds_move_the_error_exactly_as_the_counting_rule_says(one_line):
    message, line, column = error_of(one_line)
    assert line == 1
    fault = None if message.startswith("EOF while parsing") else column - 1
    rng = random.Random(one_line)
    for text in variants(one_line, rng):
        assert error_of(text) == (message, *expected_position(text, fault)), repr(text)


@pytest.mark.parametrize("one_line", [
    '{ "atoms" : [ ] , "a" : "b<>" }',
    '{ "atoms" : [ ] , "a<>" : 1 }',
    '{ "atoms" : [ { "element" : "<>C" , "x" : 0 , "y" : 0 , "z" : 0 } ] }',
])
def test_a_line_feed_inside_a_string_is_the_fault_on_its_own_line(one_line):
    for prefix_blanks in range(0, 3):
        text = "\n" * prefix_blanks + one_line.replace("<>", "\n")
        fault = text.index("\n", prefix_blanks)
        assert error_of(text) == ("control character (\\u0000-\\u001F) found while parsing a string",
                                  *expected_position(text, fault))
