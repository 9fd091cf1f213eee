# SPDX-License-Identifier: GPL-3.0-or-later
# The commands on a fresh Debian machine (each installs what is missing first):
#   make run    builds and runs the main job
#   make test   builds (RelWithDebInfo, desktop application included) and runs every test once
#   make check  make test, then a Release build of the programs (-O3, warnings as errors), the
#               Debian package built and checked, the tests under the sanitizers and a short
#               run of each fuzz target: what CI runs
#   make bench  builds and runs the benchmarks of bench/ (BENCH_ARGS passes options)
#   make fuzz   runs every fuzz target for FUZZ_SECONDS (default 600) each
#   make package  the Debian package from the Release build (build-release/pontra_*.deb)
MAKEFLAGS += --no-print-directory
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
# The Release build make check compiles (GCC, -O3): what a packager or a user builds.
RELEASE_DIR ?= build-release
# The sanitizer build (clang, AddressSanitizer + UndefinedBehaviorSanitizer): the core, the
# programs, every test and the fuzz targets. Optimised lightly and with line tables only,
# which keeps its build time near the normal build's. Without the desktop application: Qt
# under the sanitizers would about double this build for tests that the normal build
# already runs, and CI has 90 minutes on 2 cores for all of make check.
ASAN_DIR ?= build-asan
ASAN_FLAGS = -O1 -g1
# Seconds each fuzz target runs in `make check` (two at a time); `make fuzz` runs longer.
FUZZ_CHECK_SECONDS ?= 25
FUZZ_SECONDS ?= 600

.PHONY: all deps configure build run test check bench examples clean configure-release build-release \
	package package-check configure-asan build-asan test-asan fuzz-check fuzz fuzz-seeds

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

check: test
	@$(MAKE) package-check
	@$(MAKE) test-asan
	@$(MAKE) fuzz-check

# Everything, tests included, compiled as Release; the tests are not run again.
configure-release: deps
	@cmake -S . -B $(RELEASE_DIR) -DCMAKE_BUILD_TYPE=Release -DPONTRA_BUILD_TESTS=OFF -DPONTRA_WERROR=ON > /dev/null

build-release: configure-release
	@cmake --build $(RELEASE_DIR) -j$(JOBS)

package: build-release
	@cd $(RELEASE_DIR) && cpack -G DEB

# Builds the .deb from the Release build and checks its contents, its Depends, the
# programs it holds and its desktop entry.
package-check: build-release
	@./scripts/check-package.sh $(RELEASE_DIR)

configure-asan: deps
	@CC=clang CXX=clang++ cmake -S . -B $(ASAN_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$(ASAN_FLAGS)" -DPONTRA_BUILD_TESTS=ON -DPONTRA_FUZZ=ON \
		-DPONTRA_BUILD_GUI=OFF -DPONTRA_WERROR=ON > /dev/null

build-asan: configure-asan
	@cmake --build $(ASAN_DIR) -j$(JOBS)

# The tests again under the sanitizers.
test-asan: build-asan
	@cd $(ASAN_DIR) && ctest --output-on-failure -j$(JOBS)

# Each fuzz target for a short while.
fuzz-check: build-asan
	@./fuzz/run.sh $(ASAN_DIR) $(FUZZ_CHECK_SECONDS)

fuzz: build-asan
	@./fuzz/run.sh $(ASAN_DIR) $(FUZZ_SECONDS) $(FUZZ_TARGETS)

# Rewrites the seed corpora fuzz/corpus/ from the tests' inputs and the examples.
fuzz-seeds: build-asan
	@$(ASAN_DIR)/fuzz/fuzz-seeds .

clean:
	rm -rf $(BUILD_DIR) $(RELEASE_DIR) $(ASAN_DIR)
