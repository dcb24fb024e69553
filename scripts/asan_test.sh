#!/usr/bin/env bash
# The whole pytest suite against the module and the command built with
# AddressSanitizer and UndefinedBehaviorSanitizer (gcc), installed into a venv
# of their own (build/asan-venv) that borrows the test tools from .venv.
# Extra arguments go to pytest: scripts/asan_test.sh tests/test_threads.py
set -euo pipefail

venv=build/asan-venv
build_dir=build/asan
sanitize_flags="-fsanitize=address,undefined -fno-omit-frame-pointer -g"

[ -x .venv/bin/python ] || { echo "run 'make setup' first" >&2; exit 1; }
[ -x "$venv/bin/python" ] || .venv/bin/python -m venv --without-pip "$venv"
site_packages=$("$venv/bin/python" -c 'import sysconfig; print(sysconfig.get_paths()["purelib"])')
# pytest, the build backend and the test tools come from the main venv; the
# venv's own site-packages stays first, so its sanitized module is the one imported.
.venv/bin/python -c 'import sysconfig; print(sysconfig.get_paths()["purelib"])' >"$site_packages/main_venv.pth"

# gcc, whose libasan is preloaded below. Nothing of the main venv is
# uninstalled (--ignore-installed); cmake and ninja are the main venv's.
PATH="$PWD/.venv/bin:$PATH" .venv/bin/python -m pip install --quiet --no-build-isolation --no-deps \
    --ignore-installed --prefix "$venv" \
    -Cbuild-dir="$build_dir" -Ccmake.build-type=RelWithDebInfo -Ccmake.define.CMAKE_CXX_COMPILER=g++ \
    -Ccmake.define.CMAKE_CXX_FLAGS="$sanitize_flags" .

# libasan must be loaded before anything else in the interpreter. CPython
# keeps some memory until exit by design, so leaks are not reported; Python's
# own allocator is bypassed so that freed objects are poisoned at once.
export LD_PRELOAD
LD_PRELOAD=$(gcc -print-file-name=libasan.so)
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1:strict_string_checks=1:check_initialization_order=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export PYTHONMALLOC=malloc
# Two tests measure memory in ways the sanitizer changes by design: its
# allocator dies instead of throwing when the address space runs out, and its
# quarantine keeps freed memory resident (and freed names at fresh addresses
# fill the interpreter's attribute cache, a bounded growth). The plain build
# runs both.
exec "$venv/bin/python" -m pytest -q -p no:cacheprovider \
    --deselect tests/test_robustness.py::test_nothing_leaks_after_many_thousand_calls \
    --deselect tests/test_robustness.py::test_running_out_of_memory_is_a_memory_error \
    "$@"
