"""Type information for the quorv_lint extension module."""

from typing import Final, Literal, Sequence, final

__all__ = [
    "__version__",
    "Finding",
    "lint_json",
    "lint_xyz",
    "lint_source",
    "lint_file",
    "error_count",
]

__version__: Final[str]

@final
class Finding:
    """A single diagnostic. `severity` is `"error"` or `"warning"`."""

    @property
    def severity(self) -> Literal["error", "warning"]: ...
    @property
    def code(self) -> str: ...
    @property
    def message(self) -> str: ...
    @property
    def is_error(self) -> bool:
        """True when this finding is an error (physically impossible / almost certainly wrong)."""

def lint_json(text: str) -> list[Finding]:
    """Lint a cluster spec given as a JSON string. Raises ValueError if the JSON is not a valid spec."""

def lint_xyz(text: str) -> list[Finding]:
    """Lint a geometry given as standard XYZ text. Raises ValueError if the text is not valid XYZ."""

def lint_source(text: str) -> list[Finding]:
    """Lint Python source text for nondeterministic conformer embedding."""

def lint_file(path: str) -> list[Finding]:
    """Lint a file, dispatching by extension (.py source, .xyz geometry, anything else JSON).

    Raises OSError if the file cannot be read, ValueError if its contents do not parse.
    """

def error_count(findings: Sequence[Finding]) -> int:
    """Number of error-severity findings in a list (warnings are not counted)."""
