# Top-level commands over CMake. `make run` and `make test` install what is missing first.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps configure build run test test-plain test-asan test-tsan bench fuzz format clean

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/drovlan

# Every test in the plain build (the window tests each on an Xvfb of their own), then
# the headless suites again under the sanitizers: the window tests too under ASan,
# one window session under TSan.
test: test-plain test-asan test-tsan

test-plain: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-asan: deps
	@cmake -S . -B $(BUILD)-asan -DDROVLAN_SANITIZE=address -DDROVLAN_BENCH=OFF >/dev/null
	@cmake --build $(BUILD)-asan -j $(JOBS)
	cd $(BUILD)-asan && ctest --output-on-failure -j $(JOBS) -LE 'window|fuzz'
	cd $(BUILD)-asan && ctest --output-on-failure -j $(JOBS) -L window

test-tsan: deps
	@cmake -S . -B $(BUILD)-tsan -DDROVLAN_SANITIZE=thread -DDROVLAN_BENCH=OFF >/dev/null
	@cmake --build $(BUILD)-tsan -j $(JOBS)
	cd $(BUILD)-tsan && ctest --output-on-failure -j $(JOBS) -LE 'window|fuzz'
	cd $(BUILD)-tsan && ctest --output-on-failure -L window-tsan

fuzz: build
	cmake --build $(BUILD) --target fuzz_long

# Every benchmark, then the real window's figures beside their references, on
# an Xvfb of its own; ends with a table (also left in $(BUILD)/bench-figures.md).
bench: build
	bash bench/run_figures.sh $(BUILD)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD)
