"""The typed API: mypy knows the five functions and Finding from the installed stubs."""
import subprocess
import sys
import sysconfig
from pathlib import Path
from textwrap import dedent

import pytest

pytest.importorskip("mypy", reason="mypy is installed by requirements-dev.txt")

CLIENT = dedent('''\
    from typing import List
    import quorv_lint
    from quorv_lint import Finding

    def usable(path: str) -> bool:
        findings: List[Finding] = quorv_lint.lint_file(path)
        findings += quorv_lint.lint_json(text="{}") + quorv_lint.lint_xyz("0\\n\\n")
        findings += quorv_lint.lint_source(text="EmbedMolecule(mol)")
        texts = [f.severity + f.code + f.message for f in findings]
        return quorv_lint.error_count(findings) == 0 and all(f.is_error for f in findings) and bool(texts)

    version: str = quorv_lint.__version__
    reveal_type(quorv_lint.lint_json("{}")[0].severity)
''')

MISUSE = dedent('''\
    import quorv_lint
    from pathlib import Path

    quorv_lint.lint_file(Path("x.json"))
    quorv_lint.lint_json(b"{}")
    quorv_lint.lint_xyz(txt="")
    quorv_lint.error_count("error")
    finding = quorv_lint.lint_source("")[0]
    finding.line
    finding.code = "other"
    count: str = quorv_lint.error_count([])

    class Mine(quorv_lint.Finding): ...
''')


def mypy(tmp_path, name, source):
    (tmp_path / name).write_text(source)
    completed = subprocess.run(
        [sys.executable, "-m", "mypy", "--no-incremental", "--cache-dir", str(tmp_path / "cache"),
         "--show-error-codes", "--no-error-summary", name],
        cwd=tmp_path, capture_output=True, text=True, timeout=300)
    return completed.returncode, completed.stdout.splitlines()


def test_the_stub_package_is_installed_with_the_module():
    stubs = Path(sysconfig.get_paths()["platlib"]) / "quorv_lint-stubs"
    assert (stubs / "__init__.pyi").is_file()
    assert (stubs / "py.typed").is_file()


def test_a_correct_client_type_checks(tmp_path):
    status, lines = mypy(tmp_path, "client.py", CLIENT)
    assert lines == ['client.py:13: note: Revealed type is "Union[Literal[\'error\'], Literal[\'warning\']]"'] or \
        lines == ['client.py:13: note: Revealed type is "Literal[\'error\'] | Literal[\'warning\']"']
    assert status == 0


def test_misuse_is_caught_line_by_line(tmp_path):
    status, lines = mypy(tmp_path, "misuse.py", MISUSE)
    codes_by_line = {}
    for line in lines:
        _, number, kind, *rest = line.split(":", 3)
        if kind.strip() == "error":
            codes_by_line.setdefault(int(number), set()).add(rest[0].rsplit("[", 1)[1].rstrip("]"))
    assert codes_by_line == {
        4: {"arg-type"},     # a path object, not a str
        5: {"arg-type"},     # bytes
        6: {"call-arg"},     # the parameter is called text
        7: {"arg-type"},     # a str is not a sequence of findings
        9: {"attr-defined"},  # no line attribute
        10: {"misc"},        # read-only property
        11: {"assignment"},  # error_count returns an int
        13: {"misc"},        # Finding is final
    }
    assert status == 1


def test_the_stub_matches_the_module_at_run_time():
    completed = subprocess.run([sys.executable, "-m", "mypy.stubtest", "quorv_lint"],
                               capture_output=True, text=True, timeout=300)
    assert completed.returncode == 0, completed.stdout + completed.stderr
