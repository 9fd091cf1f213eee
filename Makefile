# Two commands do all the set-up on a fresh Debian machine:
#   make run   installs what is missing, builds, and runs the main job
#   make test  installs what is missing, builds, and runs every test
#   make bench builds and runs the benchmarks of bench/ (BENCH_ARGS passes options)
MAKEFLAGS += --no-print-directory
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps configure build run test bench examples clean

all: build

deps:
	@./scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DPONTRA_BUILD_TESTS=ON > /dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j$(JOBS)

run: build
	@./scripts/run-main.sh $(BUILD_DIR)

bench: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DPONTRA_BUILD_BENCH=ON > /dev/null
	@cmake --build $(BUILD_DIR) -j$(JOBS) --target pontra-bench
	@$(BUILD_DIR)/bench/pontra-bench $(BENCH_ARGS)

examples: build
	@./examples/build.sh $(BUILD_DIR)

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j$(JOBS)

clean:
	rm -rf $(BUILD_DIR)
