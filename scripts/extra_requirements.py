"""Print the requirements of one of pyproject.toml's extras, one a line, with the
project's own extras it names resolved: so that the Makefile installs them
without rebuilding the project, from the one list in pyproject.toml."""
import re
import sys
import tomllib
from pathlib import Path

PROJECT = Path(__file__).resolve().parent.parent / "pyproject.toml"


def requirements(extras: dict, name: str, project: str) -> list:
    out = []
    for requirement in extras[name]:
        own = re.fullmatch(rf"{re.escape(project)}\[([^\]]+)\]", requirement)
        if own:
            for inner in own.group(1).split(","):
                out += requirements(extras, inner.strip(), project)
        else:
            out.append(requirement)
    return out


if __name__ == "__main__":
    metadata = tomllib.loads(PROJECT.read_text())["project"]
    print("\n".join(requirements(metadata["optional-dependencies"], sys.argv[1], metadata["name"])))
