"""Every finding code with the severity it always carries, in the order the
tool lists them: read from the command, which lists its rule catalog."""
import json
import subprocess
import sys
from pathlib import Path

_LISTING = subprocess.run(
    [str(Path(sys.executable).with_name("quorv-lint")), "--list-codes", "--format", "json"],
    capture_output=True, text=True, check=True,
).stdout

CODES = {entry["code"]: entry["severity"] for entry in map(json.loads, _LISTING.splitlines())}
