import quorv_lint


def test_module_exposes_its_functions():
    assert quorv_lint.__version__ == "0.2.0"
    assert quorv_lint.__all__ == [
        "__version__", "Finding", "lint_json", "lint_xyz", "lint_source", "lint_file", "error_count",
    ]
    assert quorv_lint.lint_source("") == []
