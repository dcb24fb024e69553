"""lint_file: the whole file read as strict UTF-8, the kind chosen by the end of the name."""

import errno
import os

import pytest

import quorv_lint

SOURCE = "from rdkit.Chem import AllChem\nAllChem.EmbedMolecule(mol)\n"
XYZ = "3\n0 1\nO 0 0 0\nH 0.96 0 0\nH -0.24 0.93 0\n"
JSON = '{"atoms": [{"element": "O", "x": 0, "y": 0, "z": 0}], "charge": 0, "spin_multiplicity": 1}'

LINTERS = {"source": quorv_lint.lint_source, "xyz": quorv_lint.lint_xyz, "json": quorv_lint.lint_json}


def outcome(function, argument):
    """What a caller can tell apart: the findings' reprs, or the ValueError's text."""
    try:
        return [repr(finding) for finding in function(argument)]
    except ValueError as error:
        return ("ValueError", str(error))


def write(path, content):
    path.parent.mkdir(parents=True, exist_ok=True)
    if isinstance(content, str):
        content = content.encode("utf-8")
    path.write_bytes(content)
    return path


def os_error_text(number):
    return f"{os.strerror(number)} (os error {number})"


def read_failure(path):
    with pytest.raises(OSError) as failure:
        quorv_lint.lint_file(path)
    return failure.value


# --- dispatch --------------------------------------------------------------------------------

NAMES = [
    ("molecule.py", "source"),
    ("molecule.xyz", "xyz"),
    ("molecule.json", "json"),
    ("molecule", "json"),
    ("molecule.txt", "json"),
    ("molecule.PY", "json"),
    ("h2o.XYZ", "json"),
    ("molecule.Py", "json"),
    ("notes.py.json", "json"),
    ("x.pyc", "json"),
    ("x.xyz.bak", "json"),
    ("x.py ", "json"),
    ("dir.xyz/data", "json"),
    ("dir.py/data.xyz", "xyz"),
    (".py", "source"),
    (".xyz", "xyz"),
    ("py", "json"),
    ("xyz", "json"),
    ("\u00e9t\u00e9.py", "source"),
    ("\u00e9t\u00e9.xyz", "xyz"),
]


@pytest.mark.parametrize("content", [SOURCE, XYZ, JSON, ""], ids=["source", "xyz", "json", "empty"])
@pytest.mark.parametrize("name, kind", NAMES)
def test_the_name_alone_chooses_the_reader(tmp_path, monkeypatch, name, kind, content):
    monkeypatch.chdir(tmp_path)
    write(tmp_path / name, content)
    assert outcome(quorv_lint.lint_file, name) == outcome(LINTERS[kind], content)
    assert outcome(quorv_lint.lint_file, str(tmp_path / name)) == outcome(LINTERS[kind], content)


def test_an_empty_file_shows_which_reader_ran(tmp_path):
    assert quorv_lint.lint_file(str(write(tmp_path / "a.py", ""))) == []
    with pytest.raises(ValueError, match="^not a valid XYZ file: "):
        quorv_lint.lint_file(str(write(tmp_path / "a.xyz", "")))
    with pytest.raises(ValueError, match="^not a valid cluster spec: "):
        quorv_lint.lint_file(str(write(tmp_path / "a.XYZ", "")))


def test_json_in_a_python_file_is_source_never_a_value_error(tmp_path):
    path = write(tmp_path / "spec.py", '{"atoms": [}')
    assert quorv_lint.lint_file(str(path)) == quorv_lint.lint_source('{"atoms": [}') == []


def test_a_valid_xyz_file_with_an_upper_case_suffix_is_read_as_json(tmp_path):
    path = write(tmp_path / "h2o.XYZ", XYZ)
    with pytest.raises(ValueError) as failure:
        quorv_lint.lint_file(str(path))
    assert str(failure.value).startswith("not a valid cluster spec: ")


def test_a_byte_order_mark_reaches_the_reader(tmp_path):
    path = write(tmp_path / "spec.json", "\ufeff" + JSON)
    assert outcome(quorv_lint.lint_file, str(path)) == outcome(quorv_lint.lint_json, "\ufeff" + JSON)
    with pytest.raises(ValueError) as failure:
        quorv_lint.lint_file(str(path))
    assert str(failure.value) == "not a valid cluster spec: expected value at line 1 column 1"
    assert type(quorv_lint.lint_json(JSON)) is list


def test_a_byte_order_mark_is_kept_for_source_too(tmp_path):
    text = "\ufeffEmbedMolecule(m)\n"
    path = write(tmp_path / "script.py", text)
    assert outcome(quorv_lint.lint_file, str(path)) == outcome(quorv_lint.lint_source, text)


def test_the_whole_file_is_read(tmp_path):
    # Far past any read buffer, with a two-byte character across every 64 KiB boundary.
    text = ("#" * 65535 + "\u00e9") * 20 + SOURCE
    path = write(tmp_path / "big.py", text)
    assert outcome(quorv_lint.lint_file, str(path)) == outcome(quorv_lint.lint_source, text)


def test_the_path_is_used_as_given(tmp_path, monkeypatch):
    monkeypatch.chdir(tmp_path)
    write(tmp_path / "sub" / "a.py", SOURCE)
    assert outcome(quorv_lint.lint_file, "sub/a.py") == outcome(quorv_lint.lint_source, SOURCE)
    assert outcome(quorv_lint.lint_file, "./sub/../sub/a.py") == outcome(quorv_lint.lint_source, SOURCE)
    failure = read_failure("~/a.py")
    assert str(failure) == f"cannot read ~/a.py: {os_error_text(errno.ENOENT)}"


# --- read failures ---------------------------------------------------------------------------


def assert_plain_os_error(failure, message):
    assert type(failure) is OSError
    assert str(failure) == message
    assert failure.args == (message,)
    assert failure.errno is None and failure.strerror is None and failure.filename is None


@pytest.mark.parametrize("name", ["missing.json", "missing.py", "missing.xyz", "no/such/dir.json"])
def test_a_missing_file(tmp_path, name):
    path = str(tmp_path / name)
    assert_plain_os_error(read_failure(path), f"cannot read {path}: {os_error_text(errno.ENOENT)}")


def test_a_missing_file_is_not_a_file_not_found_error(tmp_path):
    try:
        quorv_lint.lint_file(str(tmp_path / "missing"))
    except FileNotFoundError:
        pytest.fail("a FileNotFoundError handler caught it")
    except OSError:
        pass


@pytest.mark.parametrize("name", ["folder", "folder.py", "folder.xyz"])
def test_a_directory(tmp_path, name):
    path = tmp_path / name
    path.mkdir()
    message = f"cannot read {path}: {os_error_text(errno.EISDIR)}"
    assert_plain_os_error(read_failure(str(path)), message)
    assert message.endswith(" (os error 21)")


def test_an_empty_path():
    assert_plain_os_error(read_failure(""), f"cannot read : {os_error_text(errno.ENOENT)}")


@pytest.mark.parametrize("path", ["a\0b", "\0", "x.py\0", "folder\0.json"])
def test_a_nul_in_the_path(tmp_path, monkeypatch, path):
    monkeypatch.chdir(tmp_path)
    write(tmp_path / "a", JSON)  # the part before the NUL names a real file
    write(tmp_path / "x.py", SOURCE)
    assert_plain_os_error(read_failure(path), f"cannot read {path}: file name contained an unexpected NUL byte")


@pytest.mark.skipif(os.geteuid() == 0, reason="root reads a file whatever its mode")
def test_permission_denied(tmp_path):
    path = write(tmp_path / "secret.json", JSON)
    path.chmod(0)
    try:
        assert_plain_os_error(read_failure(str(path)), f"cannot read {path}: {os_error_text(errno.EACCES)}")
    finally:
        path.chmod(0o600)


INVALID_UTF8 = [
    b"\xff",
    b"\xfe\xff",
    b"\x80",
    b"\xc0\x80",
    b"\xc1\xbf",
    b"\xe0\x80\x80",
    b"\xe0\x9f\xbf",
    b"\xed\xa0\x80",
    b"\xed\xbf\xbf",
    b"\xf0\x8f\xbf\xbf",
    b"\xf4\x90\x80\x80",
    b"\xf5\x80\x80\x80",
    b"\xe2\x82",
    b"\xc3",
    b"\xf0\x9f\x98",
    b"\xc3\x28",
]


@pytest.mark.parametrize("name", ["bad.py", "bad.xyz", "bad.json"])
@pytest.mark.parametrize("bad", INVALID_UTF8, ids=[b.hex() for b in INVALID_UTF8])
def test_content_that_is_not_utf8_is_a_read_failure(tmp_path, name, bad):
    for content in (bad, b"ok " + bad, b"# " * 40000 + bad + b"\n"):
        path = write(tmp_path / name, content)
        assert_plain_os_error(read_failure(str(path)), f"cannot read {path}: stream did not contain valid UTF-8")


VALID_UTF8 = ["\x00", "\x7f", "\u0080", "\u07ff", "\u0800", "\ud7ff", "\ue000", "\uffff", "\U00010000",
              "\U0010ffff"]


@pytest.mark.parametrize("text", VALID_UTF8, ids=[f"U+{ord(t):04X}" for t in VALID_UTF8])
def test_the_edges_of_utf8_are_read(tmp_path, text):
    path = write(tmp_path / "edge.py", f"x = '{text}'\n")
    assert quorv_lint.lint_file(str(path)) == []


def test_a_path_that_names_nothing_readable_in_the_message_as_passed(tmp_path):
    path = str(tmp_path / "d\u00e9j\u00e0 vu" / "{} x.json")
    assert_plain_os_error(read_failure(path), f"cannot read {path}: {os_error_text(errno.ENOENT)}")
