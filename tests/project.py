"""Facts about the project that the tests read from where the build reads them."""
import re
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent

# The one version, declared in pyproject.toml (read with a pattern: tomllib is 3.11+).
VERSION = re.search(r'^version = "([^"]+)"$', (ROOT / "pyproject.toml").read_text(), re.M).group(1)
