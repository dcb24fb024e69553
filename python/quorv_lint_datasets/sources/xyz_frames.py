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
from typing import BinaryIO, Iterator, List, NamedTuple, Tuple, Union

from .. import _native

# The XYZ reader's atom count: an optional "+" then ASCII digits, blanks around.
_COUNT = re.compile(rb"\s*\+?(\d+)\s*")
_LARGEST_COUNT = 2**64 - 1


class Frame(NamedTuple):
    index: int
    count_line: int        # 1-based line of the file
    text: bytes            # the frame's lines as in the file
    comment: bytes         # its comment line
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


class _Lines:
    """The stream's lines (without their line feeds), read a large chunk at a time."""

    CHUNK = 1 << 20

    def __init__(self, stream: BinaryIO):
        self.stream, self.lines, self.pos, self.partial, self.ended = stream, [], 0, b"", False

    def available(self, wanted: int) -> int:
        """Reads until `wanted` lines are waiting or the stream ends; how many are waiting."""
        while len(self.lines) - self.pos < wanted and not self.ended:
            chunk = self.stream.read(self.CHUNK)
            if not chunk:
                self.ended = True
                if self.partial:
                    self.lines.append(self.partial)
                break
            pieces = (self.partial + chunk).split(b"\n")
            self.partial = pieces.pop()
            # Drop what was taken so that memory holds one chunk, not the file.
            self.lines = self.lines[self.pos:] + pieces
            self.pos = 0
        return len(self.lines) - self.pos

    def take(self, count: int) -> List[bytes]:
        taken = self.lines[self.pos:self.pos + count]
        self.pos += len(taken)
        return taken


def frames_from(stream: BinaryIO, first_index: int = 0, first_line: int = 1, offset: int = 0,
                stop_index: Union[int, None] = None) -> Iterator[Union[Frame, Undividable]]:
    """The frames of `stream` from its current position, which is byte `offset`
    of the file, line `first_line`, frame `first_index`; up to `stop_index`."""
    index, line_number, position = first_index, first_line, offset
    lines = _Lines(stream)
    while stop_index is None or index < stop_index:
        while lines.available(1) and not lines.lines[lines.pos].strip():
            position += len(lines.take(1)[0]) + 1
            line_number += 1
        if not lines.available(1):
            return
        header = lines.lines[lines.pos]
        match = _COUNT.fullmatch(header)
        if match is None or int(match.group(1)) > _LARGEST_COUNT:
            yield Undividable(index, line_number,
                              f"from line {line_number} on, the file could not be divided into frames: "
                              f"{_count_line_message(header)}")
            return
        count = int(match.group(1))
        wanted = count + 2
        frame_lines = lines.take(min(wanted, lines.available(wanted)))
        blanks: List[int] = []
        if len(frame_lines) < wanted or not all(map(bytes.strip, frame_lines[2:])):
            # Blank lines among the atoms, or the file ends: the atoms are counted one by one.
            frame_lines, blanks = _atoms_counted(lines, frame_lines, count)
        text = b"\n".join(frame_lines) + b"\n"
        comment = frame_lines[1] if len(frame_lines) > 1 else b""
        yield Frame(index, line_number, text, comment, tuple(blanks), position + len(text))
        position += len(text)
        line_number += len(frame_lines)
        index += 1


def _atoms_counted(lines: _Lines, taken: List[bytes], count: int) -> Tuple[List[bytes], List[int]]:
    """The frame's lines up to its count of non-blank atom lines, and where its blank ones are."""
    frame_lines, found, blanks = taken[:2], 0, []
    pending = taken[2:]
    while found < count:
        if not pending:
            if not lines.available(1):
                break
            pending = lines.take(1)
        atom = pending.pop(0)
        if atom.strip():
            found += 1
        else:
            blanks.append(len(frame_lines) - 2)
        frame_lines.append(atom)
    # Lines taken beyond the last atom go back to be read again.
    lines.pos -= len(pending)
    return frame_lines, blanks
