"""The reader's JSON syntax against Python's json module: over many documents
made by mutating valid JSON (fixed seed), both must agree on which are JSON.

Python's parser is more lenient in three ways that are set aside: it takes
NaN and Infinity (refused here through parse_constant), it decodes numbers
beyond the double range to infinity, and it lets lone surrogates through."""

import json
import math
import random

import pytest

import quorv_lint

SEEDS = [
    '{"a": [1, -2.5e3, true, false, null], "b": {"c": "d\\n\\u00e9"}, "e": []}',
    '[0, 0.5, -0, 1E+2, 12e-1, "x\\"y", {"k": {}}, [[]], "\\ud83d\\ude00"]',
    '{"nested": {"deeper": {"deepest": [1, [2, [3, {"x": "y"}]]]}}, "s": "\\\\/"}',
    '"plain string with a / slash"',
    '-12.75e+2',
]
MUTATION_BYTES = list('[]{}",:.-+eE0123456789 \t\n\\ntfaul/xu') + ["\x01", "é"]
CASES_PER_SEED = 400


def refuse_constant(name):
    raise ValueError(name)


def holds_what_python_is_lenient_about(value):
    stack = [value]
    while stack:
        item = stack.pop()
        if isinstance(item, float) and math.isinf(item):
            return True
        if isinstance(item, str) and any(0xD800 <= ord(c) <= 0xDFFF for c in item):
            return True
        if isinstance(item, dict):
            if any(0xD800 <= ord(c) <= 0xDFFF for key in item for c in key):
                return True
            stack.extend(item.values())
        elif isinstance(item, list):
            stack.extend(item)
    return False


def python_verdict(text):
    """True or False for JSON or not; None when Python's leniency decides."""
    try:
        value = json.loads(text, parse_constant=refuse_constant)
    except ValueError:
        return False
    except RecursionError:
        return None
    return None if holds_what_python_is_lenient_about(value) else True


def mutated(seed, rng):
    chars = list(seed)
    for _ in range(rng.randint(1, 3)):
        position = rng.randrange(len(chars) + 1)
        operation = rng.choice(("insert", "delete", "replace"))
        if operation == "insert" or not chars:
            chars.insert(position, rng.choice(MUTATION_BYTES))
        elif operation == "delete" and position < len(chars):
            del chars[position]
        elif position < len(chars):
            chars[position] = rng.choice(MUTATION_BYTES)
    return "".join(chars)


def reader_accepts(document):
    try:
        quorv_lint.lint_json('{"atoms": [], "doc": ' + document + "}")
    except ValueError:
        return False
    return True


@pytest.mark.parametrize("seed", SEEDS)
def test_reader_and_python_agree_on_mutated_json(seed):
    rng = random.Random(seed)
    disagreements = []
    compared = 0
    for _ in range(CASES_PER_SEED):
        document = mutated(seed, rng)
        expected = python_verdict(document)
        if expected is None:
            continue
        compared += 1
        if reader_accepts(document) != expected:
            disagreements.append((document, expected))
    assert compared > CASES_PER_SEED // 2
    assert disagreements == []
