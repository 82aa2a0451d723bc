# Top-level commands over CMake; `make help` lists them. Each first installs
# the Debian packages that it needs and that are missing (scripts/install-deps.sh).
SHELL := /bin/bash
.SHELLFLAGS := -o pipefail -c
MAKEFLAGS += --no-print-directory
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
# make install: $(DESTDIR)$(PREFIX)/bin/drovlan.
PREFIX ?= /usr/local
DESTDIR ?=

# Every build tree made here: $(BUILD) for build, run, test-plain, bench, fuzz
# and lint, one more for each other stage of make test.
TREES = $(BUILD) $(BUILD)-clang $(BUILD)-asan $(BUILD)-tsan
# The stages of make test, in order; each ends with one summary line.
STAGES = plain clang asan tsan lint
# The groups of scripts/install-deps.sh, one deps-GROUP target each.
DEPS = $(addprefix deps-,run test bench lint format glyphs)

# $(call configure,TREE,FLAGS): cmake's configure step. Its routine "-- "
# lines are hidden; its notices (what is not built, and the Debian package
# that would build it), warnings and errors are shown.
configure = cmake -S . -B $(1) $(CMAKE_FLAGS) $(2) | { grep -v '^-- ' || true; }
summary = $(abspath $(BUILD))/test-summary
stage = TEST_SUMMARY=$(summary) bash scripts/test-stage.sh

.PHONY: all help build run install test $(addprefix test-,$(STAGES)) bench fuzz lint format \
        screenshot clean configure $(DEPS)

all: build

help:
	@echo 'make run         install what running needs, build the calculator, open its window'
	@echo 'make test        install what testing needs, build and run every test, stage by stage:'
	@echo '                   test-plain  every test, the window tests and fuzz runs included ($(BUILD)/)'
	@echo '                   test-clang  clang++ build, warnings as errors, headless tests ($(BUILD)-clang/)'
	@echo '                   test-asan   headless and window tests under ASan and UBSan ($(BUILD)-asan/)'
	@echo '                   test-tsan   headless tests and one window session under TSan ($(BUILD)-tsan/)'
	@echo '                   test-lint   make lint, on the plain tree ($(BUILD)/)'
	@echo 'make build       build every program that the installed packages allow ($(BUILD)/; the default)'
	@echo 'make install     install the calculator as $$(DESTDIR)$$(PREFIX)/bin/drovlan (PREFIX=$(PREFIX))'
	@echo 'make bench       every benchmark, then the window figures; ends with a table'
	@echo 'make fuzz        each fuzz target for DROVLAN_FUZZ_SECONDS seconds (600 without it)'
	@echo 'make lint        clang-tidy over every source file (.clang-tidy)'
	@echo 'make format      clang-format over every source file (.clang-format)'
	@echo 'make screenshot  docs/screenshot.png again, from the real window under Xvfb'
	@echo 'make clean       remove every build tree: $(TREES)'
	@echo 'Variables: BUILD=$(BUILD) JOBS=$(JOBS) CMAKE_FLAGS=$(CMAKE_FLAGS) PREFIX=$(PREFIX) DESTDIR=$(DESTDIR)'

# A static pattern rule: make looks for no implicit rule to make a phony
# target, so a plain deps-% pattern would never run.
$(DEPS): deps-%:
	@bash scripts/install-deps.sh $*

configure: deps-run
	@$(call configure,$(BUILD))

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# Without a display the window cannot open: say so before installing or building anything.
run:
	@[ -n "$$DISPLAY" ] || { echo "make run: DISPLAY is not set; the calculator needs a display for its window" >&2; exit 1; }
	@$(MAKE) configure
	@cmake --build $(BUILD) -j $(JOBS) --target drovlan
	./$(BUILD)/drovlan

# The one file that a user needs: the glyphs are compiled in.
install: configure
	@cmake --build $(BUILD) -j $(JOBS) --target drovlan
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

test:
	@mkdir -p $(BUILD) && rm -f $(summary)
	@status=0; for s in $(STAGES); do $(MAKE) test-$$s || { status=1; break; }; done; \
	  echo "== make test"; cat $(summary); exit $$status

# Every test: the headless suites, the window tests each on an Xvfb of its
# own, the bounded fuzz runs.
test-plain: deps-test
	@$(call configure,$(BUILD))
	@$(stage) plain $(BUILD) $(JOBS) ''

# The whole tree built by clang++ with its own -Wall -Wextra, each warning an
# error; the headless suites run on what it built.
test-clang: deps-test
	@$(call configure,$(BUILD)-clang,-DCMAKE_CXX_COMPILER=clang++ -DDROVLAN_WERROR=ON -DDROVLAN_FUZZ=OFF)
	@$(stage) clang $(BUILD)-clang $(JOBS) "-LE window|fuzz"

# The headless suites, then the window tests, under ASan and UBSan.
test-asan: deps-test
	@$(call configure,$(BUILD)-asan,-DDROVLAN_SANITIZE=address -DDROVLAN_BENCH=OFF -DDROVLAN_FUZZ=OFF)
	@$(stage) asan $(BUILD)-asan $(JOBS) "-LE window|fuzz" "-L window"

# The headless suites and one window session under TSan.
test-tsan: deps-test
	@$(call configure,$(BUILD)-tsan,-DDROVLAN_SANITIZE=thread -DDROVLAN_BENCH=OFF -DDROVLAN_FUZZ=OFF)
	@$(stage) tsan $(BUILD)-tsan $(JOBS) "-LE window|fuzz" "-L window-tsan"

# make lint, with its summary line among the stages'.
test-lint:
	@TEST_SUMMARY=$(summary) $(MAKE) lint

# Every benchmark, then the real window's figures beside their references, on
# an Xvfb of its own; ends with a table (also left in $(BUILD)/bench-figures.md).
bench: deps-bench
	@$(call configure,$(BUILD))
	@cmake --build $(BUILD) -j $(JOBS)
	bash bench/run_figures.sh $(BUILD)

# DROVLAN_FUZZ_SECONDS, from the environment or the make command line, holds for this run only.
fuzz: deps-test
	@case "$${DROVLAN_FUZZ_SECONDS:-600}" in ''|*[!0-9]*) \
	  echo "make fuzz: DROVLAN_FUZZ_SECONDS must be a whole number of seconds" >&2; exit 1;; esac
	@$(call configure,$(BUILD))
	@cmake --build $(BUILD) --target fuzz_long

lint: deps-lint
	@$(call configure,$(BUILD))
	@bash scripts/lint.sh $(BUILD) $(JOBS)

format: deps-format
	clang-format -i $$(git ls-files '*.cpp' '*.h')

# The README's picture, from the real window on an Xvfb of its own.
screenshot: deps-test
	@$(call configure,$(BUILD))
	@cmake --build $(BUILD) -j $(JOBS) --target drovlan window_reference window_xtool
	bash scripts/screenshot.sh $(BUILD) docs/screenshot.png

clean:
	rm -rf $(TREES)
