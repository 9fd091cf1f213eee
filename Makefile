# SPDX-License-Identifier: GPL-3.0-or-later
# Two commands do all the set-up on a fresh Debian machine:
#   make run   installs what is missing, builds, and runs the main job
#   make test  installs what is missing, builds, and runs every test
#   make bench builds and runs the benchmarks of bench/ (BENCH_ARGS passes options)
#   make fuzz  runs every fuzz target for FUZZ_SECONDS (default 600) each
MAKEFLAGS += --no-print-directory
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
# The sanitizer build (clang, AddressSanitizer + UndefinedBehaviorSanitizer): the core, the
# programs, every test and the fuzz targets. Optimised lightly and with line tables only,
# which keeps its build time near the normal build's.
ASAN_DIR ?= build-asan
ASAN_FLAGS = -O1 -g1
# Seconds each fuzz target runs in `make test` (two at a time); `make fuzz` runs longer.
FUZZ_CHECK_SECONDS ?= 25
FUZZ_SECONDS ?= 600

.PHONY: all deps configure build run test bench examples clean configure-asan build-asan test-asan fuzz fuzz-seeds

all: build

deps:
	@./scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DPONTRA_BUILD_TESTS=ON -DPONTRA_WERROR=ON > /dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j$(JOBS)

run: build
	@./scripts/run-main.sh $(BUILD_DIR)

bench: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DPONTRA_BUILD_BENCH=ON -DPONTRA_WERROR=ON > /dev/null
	@cmake --build $(BUILD_DIR) -j$(JOBS) --target pontra-bench pontra-gui-bench
	@$(BUILD_DIR)/bench/pontra-bench $(BENCH_ARGS)
	@$(BUILD_DIR)/bench/pontra-gui-bench $(BENCH_ARGS)

examples: build
	@./examples/build.sh $(BUILD_DIR)

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j$(JOBS)
	@$(MAKE) test-asan

configure-asan: deps
	@CC=clang CXX=clang++ cmake -S . -B $(ASAN_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$(ASAN_FLAGS)" -DPONTRA_BUILD_TESTS=ON -DPONTRA_FUZZ=ON -DPONTRA_WERROR=ON > /dev/null

build-asan: configure-asan
	@cmake --build $(ASAN_DIR) -j$(JOBS)

# The tests again under the sanitizers, then each fuzz target for a short while.
test-asan: build-asan
	@cd $(ASAN_DIR) && ctest --output-on-failure -j$(JOBS)
	@./fuzz/run.sh $(ASAN_DIR) $(FUZZ_CHECK_SECONDS)

fuzz: build-asan
	@./fuzz/run.sh $(ASAN_DIR) $(FUZZ_SECONDS) $(FUZZ_TARGETS)

# Rewrites the seed corpora fuzz/corpus/ from the tests' inputs and the examples.
fuzz-seeds: build-asan
	@$(ASAN_DIR)/fuzz/fuzz-seeds .

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR)
