# Every target sets up what it needs: a project-local .venv, and clang for the
# fuzz targets (installed with apt when missing and we are root).
SHELL := /bin/bash
VENV := .venv
PY := $(VENV)/bin/python
# What is installed into the .venv, in two layers: the build tools, which
# `make demo` needs, and the test tools on top, which `make check` needs.
BUILD_TOOLS_STAMP := $(VENV)/.build-tools-installed
DEPS_STAMP := $(VENV)/.dev-tools-installed
# The data-set package's extras, as pyproject.toml lists them: the engine alone
# for the demo, every source reader for the tests.
DATASETS_CORE_STAMP := $(VENV)/.datasets-core-installed
DATASETS_STAMP := $(VENV)/.datasets-installed
FUZZ_BUILD := build/fuzz
FUZZ_SECONDS ?= 5
FUZZ_LONG_SECONDS ?= 1800

.PHONY: build-packages system-packages all setup build demo check test cpp-test asan-test clang fuzz-build fuzz-smoke fuzz bench bench-core bench-data clean

all: build

setup: $(DEPS_STAMP)

$(BUILD_TOOLS_STAMP): requirements-build.txt
	python3 -m venv $(VENV)
	$(PY) -m pip install --quiet --upgrade pip
	$(PY) -m pip install --quiet -r requirements-build.txt
	touch $@

$(DEPS_STAMP): $(BUILD_TOOLS_STAMP) requirements-dev.txt $(DATASETS_STAMP)
	$(PY) -m pip install --quiet -r requirements-dev.txt
	touch $@

$(DATASETS_CORE_STAMP): $(BUILD_TOOLS_STAMP) pyproject.toml
	$(PY) scripts/extra_requirements.py datasets-core > $(VENV)/datasets-core.txt
	$(PY) -m pip install --quiet -r $(VENV)/datasets-core.txt
	touch $@

$(DATASETS_STAMP): $(BUILD_TOOLS_STAMP) pyproject.toml
	$(PY) scripts/extra_requirements.py datasets > $(VENV)/datasets.txt
	$(PY) -m pip install --quiet -r $(VENV)/datasets.txt
	touch $@

# Incremental: the CMake build directory is kept, so nothing changed means
# nothing rebuilt.
build: build-packages $(BUILD_TOOLS_STAMP)
	$(PY) -m pip install --quiet --no-build-isolation --no-deps \
	    -Ccmake.define.QUORV_WERROR=ON .

DEMO_SET := build/demo/trajectory.extxyz

demo: build $(DATASETS_CORE_STAMP)
	@echo '--- the Python API: quorv_lint.lint_file on each example'
	$(PY) scripts/demo.py examples
	@echo '--- the command: quorv-lint examples, configured by examples/pyproject.toml:'
	@sed -n '/^\[tool.quorv-lint\]/,$$p' examples/pyproject.toml | sed 's/^/    /'
	@$(VENV)/bin/quorv-lint examples; echo "(exit status $$?: 0 clean, 1 errors found, 2 an input could not be read)"
	@echo '--- the same, counted per code, with the suppressions that silence nothing'
	@$(VENV)/bin/quorv-lint --statistics --warn-unused-noqa examples; true
	@echo '--- the data-set command: a generated 20,000-frame extended XYZ set on 2 Dask workers'
	@mkdir -p build/demo && rm -rf build/demo/out
	$(PY) -m quorv_lint_datasets.synthetic xyz $(DEMO_SET) 20000 500
	@$(VENV)/bin/quorv-lint-dataset $(DEMO_SET) -o build/demo/out --workers 2 --partition-frames 5000 \
	    --no-progress --plot build/demo/picture.png; \
	    echo "(exit status $$?: 0 clean, 1 errors found, 2 some frame could not be read)"

test: setup build
	$(PY) -m pytest -q

check: system-packages test cpp-test fuzz-smoke

# The pytest suite against the module and the command built with AddressSanitizer
# and UndefinedBehaviorSanitizer (gcc), in a venv of their own. Slow, so not
# part of `make check`.
asan-test: setup
	scripts/asan_test.sh

CPP_TEST_BUILD := build/cpp-tests

# The core's C++ tests, built with warnings as errors.
cpp-test: setup
	PATH="$(CURDIR)/$(VENV)/bin:$$PATH" cmake -S . -B $(CPP_TEST_BUILD) -G Ninja \
	    -DQUORV_CPP_TESTS=ON -DQUORV_PYTHON=OFF -DQUORV_CLI=OFF -DQUORV_WERROR=ON >/dev/null
	PATH="$(CURDIR)/$(VENV)/bin:$$PATH" cmake --build $(CPP_TEST_BUILD)
	cd $(CPP_TEST_BUILD) && PATH="$(CURDIR)/$(VENV)/bin:$$PATH" ctest --output-on-failure --parallel 2

# System packages: building the command needs toml++ (its configuration
# reader, header-only); the full check also uses clang (libFuzzer) and the
# Unicode character database (the repr() tables are checked against it).
# Installed with apt when missing and we are root; otherwise we say what is
# missing.
TOMLPP_HEADER := /usr/include/toml++/toml.h
build-packages:
	@if [ ! -f $(TOMLPP_HEADER) ]; then \
	    if [ "$$(id -u)" = 0 ]; then \
	        echo "installing libtomlplusplus-dev with apt"; \
	        apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq libtomlplusplus-dev >/dev/null; \
	    else echo "please install: libtomlplusplus-dev (the command's configuration reader)" >&2; fi; \
	fi

UCD_FILE := /usr/share/unicode/UnicodeData.txt
system-packages: build-packages
	@missing=""; \
	command -v clang++ >/dev/null || missing="$$missing clang"; \
	[ -f $(UCD_FILE) ] || missing="$$missing unicode-data"; \
	if [ -n "$$missing" ]; then \
	    if [ "$$(id -u)" = 0 ]; then \
	        echo "installing$$missing with apt"; \
	        apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing >/dev/null; \
	    else echo "please install:$$missing (the fuzz targets and some tests need them)" >&2; fi; \
	fi

clang: system-packages
	@command -v clang++ >/dev/null || { echo "clang++ is needed for the fuzz targets" >&2; exit 1; }

$(FUZZ_BUILD)/build.ninja: clang build-packages setup
	PATH="$(CURDIR)/$(VENV)/bin:$$PATH" cmake -S . -B $(FUZZ_BUILD) -G Ninja \
	    -DCMAKE_CXX_COMPILER=clang++ -DQUORV_FUZZ=ON -DQUORV_PYTHON=OFF -DQUORV_CLI=OFF \
	    -DQUORV_WERROR=ON >/dev/null

fuzz-build: $(FUZZ_BUILD)/build.ninja
	PATH="$(CURDIR)/$(VENV)/bin:$$PATH" cmake --build $(FUZZ_BUILD)

# A short run of every fuzz target over its seed corpus; part of `make check`.
fuzz-smoke: fuzz-build
	@for target in $(FUZZ_BUILD)/fuzz/fuzz_*; do \
	    [ -x "$$target" ] || continue; name=$$(basename $$target); mkdir -p build/corpus/$$name; \
	    echo "fuzzing $$name for $(FUZZ_SECONDS) s"; \
	    $$target -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	        build/corpus/$$name fuzz/seeds/$${name#fuzz_} 2>&1 | grep -E 'stat::number_of_executed_units|ERROR|SUMMARY' ; \
	    test $${PIPESTATUS[0]} -eq 0 || exit 1; \
	done

# As long a run as one likes: make fuzz FUZZ_LONG_SECONDS=600
fuzz: fuzz-build
	@for target in $(FUZZ_BUILD)/fuzz/fuzz_*; do \
	    [ -x "$$target" ] || continue; name=$$(basename $$target); mkdir -p build/corpus/$$name; \
	    $$target -max_total_time=$(FUZZ_LONG_SECONDS) -print_final_stats=1 \
	        build/corpus/$$name fuzz/seeds/$${name#fuzz_} || exit 1; \
	done

BENCH_STAMP := $(VENV)/.bench-tools-installed
$(BENCH_STAMP): $(BUILD_TOOLS_STAMP) bench/requirements.txt
	$(PY) -m pip install --quiet -r bench/requirements.txt
	touch $@

bench: build $(BENCH_STAMP) $(DATASETS_STAMP) bench-data bench-core
	@for script in bench/bench_*.py; do $(PY) $$script || exit 1; done

# The core's C++ benchmarks, built for speed: the JSON reader alone (the fast
# path for usual atoms against the general reader), the frame reader and
# periodic frames.
BENCH_BUILD := build/bench
bench-core: $(BENCH_STAMP)
	PATH="$(CURDIR)/$(VENV)/bin:$$PATH" cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	    -DQUORV_BENCH=ON -DQUORV_PYTHON=OFF -DQUORV_CLI=OFF -DQUORV_WERROR=ON >/dev/null
	PATH="$(CURDIR)/$(VENV)/bin:$$PATH" cmake --build $(BENCH_BUILD)
	$(PY) bench/solvated_cluster.py $(BENCH_BUILD)/solvated_cluster.json
	$(BENCH_BUILD)/bench/spec_json_reader_bench $(BENCH_BUILD)/solvated_cluster.json
	$(BENCH_BUILD)/bench/bench_periodic
	$(BENCH_BUILD)/bench/bench_frames

# Debian's CML structures for bench/bench_preview.py, installed with apt when
# missing and we are root; without them the benchmark leaves them out.
BENCH_DEBIAN_PACKAGES := chemical-structures-data libavogadro-data
bench-data:
	@missing=""; for package in $(BENCH_DEBIAN_PACKAGES); do \
	    dpkg -s $$package >/dev/null 2>&1 || missing="$$missing $$package"; done; \
	if [ -n "$$missing" ]; then \
	    if [ "$$(id -u)" = 0 ]; then \
	        apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing >/dev/null; \
	    else echo "please install:$$missing (bench/bench_preview.py reads them)" >&2; fi; \
	fi

clean:
	rm -rf build dist
