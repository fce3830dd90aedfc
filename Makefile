# Brimwave Setup. `make` builds the medium, `make run` starts SETUP.EXE from
# it under Wine, `make test` runs every test. Missing Debian packages are
# installed first.
SHELL := /bin/bash
ROOT := $(CURDIR)
BUILD := $(ROOT)/build
JOBS ?= 2
# The Windows architecture the tests run under (see scripts/test-arch.sh).
TEST_ARCH := $(shell scripts/test-arch.sh 2>/dev/null || echo i686)
TEST_BUILD := $(BUILD)/test-$(TEST_ARCH)

.PHONY: all deps tools medium native test-build test test-host test-windows compile-i686-tests run clean

all: medium

deps:
	@scripts/install-deps.sh

# Host build tools (the SZDD packer), optimised, no sanitizers.
tools: deps
	@if [ -f tools/CMakeLists.txt ]; then \
	  cmake -S tools -B $(BUILD)/tools -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRIMWAVE_TESTS=OFF >/dev/null && \
	  cmake --build $(BUILD)/tools -j $(JOBS); fi

# The distribution medium as it ships: 32-bit SETUP.EXE and its companions.
medium: tools
	cmake -S . -B $(BUILD)/win32 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
	  -DCMAKE_BUILD_TYPE=Release -DMEDIUM_DIR=$(BUILD)/medium -DSZDD_TOOL=$(BUILD)/tools/szdd >/dev/null
	cmake --build $(BUILD)/win32 -j $(JOBS) --target medium_files
	@ls -l $(BUILD)/medium

# Pure code and build tools under AddressSanitizer and UBSan.
native: deps
	cmake -S . -B $(BUILD)/native -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
	cmake --build $(BUILD)/native -j $(JOBS)

# Everything Windows, with its tests, for the architecture Wine can run here.
test-build: medium
	cmake -S . -B $(TEST_BUILD) -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-$(TEST_ARCH).cmake \
	  -DCMAKE_BUILD_TYPE=Release -DMEDIUM_DIR=$(TEST_BUILD)/medium -DSZDD_TOOL=$(BUILD)/tools/szdd >/dev/null
	cmake --build $(TEST_BUILD) -j $(JOBS)

test-host: native medium
	cd $(BUILD)/native && ctest --output-on-failure -j $(JOBS) -E '^fuzz'

test-windows: test-build
	@echo "Windows tests: $(TEST_ARCH) programs under Wine"
	WINE_ARCH=$(TEST_ARCH) WINE_DRIVES="d=$(TEST_BUILD)/medium e=$(TEST_BUILD)/medium-large" \
	  scripts/wine-session.sh $(TEST_BUILD)/wine -- \
	  bash -c 'cd $(TEST_BUILD) && ctest --output-on-failure'

# Where the tests run as x86_64, the 32-bit test programs are still built, so
# that the shipped architecture's code and tests at least compile.
compile-i686-tests: medium
	@if [ "$(TEST_ARCH)" != i686 ]; then \
	  echo "Compiling the i686 tests (this machine runs them as x86_64)"; \
	  cmake -S . -B $(BUILD)/test-i686 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
	    -DCMAKE_BUILD_TYPE=Release -DMEDIUM_DIR=$(BUILD)/test-i686/medium -DSZDD_TOOL=$(BUILD)/tools/szdd >/dev/null && \
	  cmake --build $(BUILD)/test-i686 -j $(JOBS); fi

test: test-host test-windows compile-i686-tests

run: medium
	scripts/run-setup.sh $(BUILD)/medium $(BUILD)/run

clean:
	rm -rf $(BUILD)
