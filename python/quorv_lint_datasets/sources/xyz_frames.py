"""Dividing a multi-frame XYZ file into frames, as a stream.

A frame is a count line, a comment line and as many non-blank atom lines as
the count says (blank lines among them are kept in the frame's text, as the
XYZ reader counts them); the next non-blank line after a frame starts the
next one. A frame whose count is right but whose atoms are not still ends
where its count says, so later frames are read. Where a count line cannot be
read, the rest of the file cannot be divided into frames: that is one last
failure.

This is kept apart from the sources so that it can give way to the core's own
frame reader: only `frames_from` and `Frame`/`Undividable` are used outside.
"""
from __future__ import annotations

import re
from typing import BinaryIO, Iterator, NamedTuple, Tuple, Union

from .. import _native

# The XYZ reader's atom count: an optional "+" then ASCII digits, blanks around.
_COUNT = re.compile(rb"\s*\+?(\d+)\s*")
_LARGEST_COUNT = 2**64 - 1


class Frame(NamedTuple):
    index: int
    count_line: int        # 1-based line of the file
    text: bytes            # the frame's lines as in the file
    blank_atom_lines: Tuple[int, ...]  # positions among the atom lines that are blank (usually none)
    end_offset: int        # byte offset just past the frame


class Undividable(NamedTuple):
    index: int
    line: int
    message: str


def _count_line_message(line: bytes) -> str:
    # The reader words why a line is not an atom count; it is asked, not imitated.
    (_, failures, _, _) = _native.lint_xyz_frames([line.rstrip(b"\r\n") + b"\n"], None, None, 1.0)
    reason = failures[0][1] if failures else "first line must be the atom count"
    return reason


def frames_from(stream: BinaryIO, first_index: int = 0, first_line: int = 1, offset: int = 0,
                stop_index: Union[int, None] = None) -> Iterator[Union[Frame, Undividable]]:
    """The frames of `stream` from its current position, which is byte `offset`
    of the file, line `first_line`, frame `first_index`; up to `stop_index`."""
    index, line_number, position = first_index, first_line, offset
    readline = stream.readline
    while stop_index is None or index < stop_index:
        line = readline()
        while line and not line.strip():
            line_number += 1
            position += len(line)
            line = readline()
        if not line:
            return
        match = _COUNT.fullmatch(line)
        if match is None or int(match.group(1)) > _LARGEST_COUNT:
            yield Undividable(index, line_number,
                              f"from line {line_number} on, the file could not be divided into frames: "
                              f"{_count_line_message(line)}")
            return
        count = int(match.group(1))
        count_line = line_number
        parts = [line]
        comment = readline()
        parts.append(comment)
        line_number += 1 + (1 if comment else 0)
        blanks = []
        found = 0
        while found < count:
            atom = readline()
            if not atom:
                break
            parts.append(atom)
            if atom.strip():
                found += 1
            else:
                blanks.append(found + len(blanks))
            line_number += 1
        text = b"".join(parts)
        position += len(text)
        yield Frame(index, count_line, text, tuple(blanks), position)
        index += 1
