# Brimwave Setup. `make` builds the medium, `make run` starts SETUP.EXE from
# it under Wine, `make test` runs every test. Missing Debian packages are
# installed first.
SHELL := /bin/bash
ROOT := $(CURDIR)
BUILD := $(ROOT)/build
JOBS ?= 2
# One Windows build tree, 32-bit as shipped: the medium and the test programs.
WIN_BUILD := $(BUILD)/win32
MEDIUM := $(BUILD)/medium
# The build tools the Windows tree runs (the SZDD packer), optimised and
# without the sanitizers, so that the build also runs under LD_PRELOAD
# (fakeroot, faketime), where a sanitized program stops.
TOOLS_BUILD := $(BUILD)/tools
SZDD := $(TOOLS_BUILD)/tools/szdd
# One host tree, with the sanitizers: the host tests and their copy of the tools.
NATIVE_BUILD := $(BUILD)/native
# The fuzz tree: the libFuzzer targets, built with clang under the same
# sanitizers. make fuzz runs each for FUZZ_RUNS inputs (FUZZ_TARGETS: only
# those); make test gives each a short run.
FUZZ_BUILD := $(BUILD)/fuzz
# The same targets with clang's line counts and no sanitizers: make fuzz
# replays each run's inputs through them for the line coverage of the
# production file a target drives.
FUZZ_COVERAGE_BUILD := $(BUILD)/fuzz-coverage
FUZZ_RUNS ?= 10000000
FUZZ_TARGETS ?=
# A fresh Wine session (scripts/wine-session.sh DIR -- COMMAND) where 32-bit
# programs run, under a private X server.
WINE_SESSION := scripts/run-i386.sh -- xvfb-run -a -s "-screen 0 1024x768x24" scripts/wine-session.sh
# The tests that also run in a 32-bit prefix, where nothing is redirected.
WIN32_PREFIX_TESTS := Win32sIsRefused|FreshInstallWithTheDefaults|YesRemovesEverything

.PHONY: all deps tools-configure native-configure fuzz-configure configure medium native fuzz-build fuzz-coverage-build fuzz \
        test-build test test-host test-fuzz test-windows test-win32-prefix test-reproducible test-signing i386-check sign run clean

all: medium

deps:
	@scripts/install-deps.sh

# The tools tree: a release build of the build tools alone.
tools-configure: deps
	cmake -S . -B $(TOOLS_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DBRIMWAVE_SANITIZE=OFF -DBRIMWAVE_TESTS=OFF >/dev/null

# The native tree: every host test, and the SZDD packer that szdd_test runs,
# under AddressSanitizer and UBSan. The host tests read the medium and the
# product files that the Windows tree builds.
native-configure: deps
	cmake -S . -B $(NATIVE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
	  -DMEDIUM_DIR=$(MEDIUM) -DPRODUCT_DIR=$(WIN_BUILD)/product >/dev/null

fuzz-configure: deps
	cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	  -DBRIMWAVE_TESTS=OFF -DBRIMWAVE_FUZZ=ON >/dev/null

# The Windows tree packs its payloads with the tools tree's packer. Its
# toolchain is given through the environment, which CMake reads only when it
# makes the tree: given on the command line, every later run warns that it
# went unused.
configure: tools-configure
	cmake --build $(TOOLS_BUILD) -j $(JOBS) --target szdd
	CMAKE_TOOLCHAIN_FILE=$(ROOT)/cmake/mingw-i686.cmake \
	  cmake -S . -B $(WIN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DMEDIUM_DIR=$(MEDIUM) \
	  -DSZDD_TOOL=$(SZDD) >/dev/null

# The distribution medium as it ships: 32-bit SETUP.EXE and its companions.
medium: configure
	cmake --build $(WIN_BUILD) -j $(JOBS) --target medium_files
	@ls -l $(MEDIUM)
	@/usr/bin/python3 scripts/setup-size.py $(MEDIUM)/SETUP.EXE

# Every host test, and the sanitized packer.
native: native-configure
	cmake --build $(NATIVE_BUILD) -j $(JOBS)

fuzz-build: fuzz-configure
	cmake --build $(FUZZ_BUILD) -j $(JOBS)

fuzz-coverage-build: deps
	cmake -S . -B $(FUZZ_COVERAGE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DBRIMWAVE_SANITIZE=OFF \
	  -DBRIMWAVE_TESTS=OFF -DBRIMWAVE_FUZZ=ON -DBRIMWAVE_FUZZ_COVERAGE=ON >/dev/null
	cmake --build $(FUZZ_COVERAGE_BUILD) -j $(JOBS)

# Every fuzz target for FUZZ_RUNS inputs, one after another, the table, and
# each target's line coverage of the production file it drives.
fuzz: fuzz-build fuzz-coverage-build
	scripts/fuzz.sh --build $(FUZZ_BUILD)/tests/fuzz --coverage $(FUZZ_COVERAGE_BUILD)/tests/fuzz \
	  --runs $(FUZZ_RUNS) $(FUZZ_TARGETS)

# The Windows test programs, in the tree that builds the medium.
test-build: medium
	cmake --build $(WIN_BUILD) -j $(JOBS)

test-host: native medium
	cd $(NATIVE_BUILD) && ctest --output-on-failure -j $(JOBS) -E '^fuzz'

# Each fuzz target briefly, its seeds first: the findings of the past stay fixed.
test-fuzz: fuzz-build
	cd $(FUZZ_BUILD) && ctest --output-on-failure -j $(JOBS)

# Says how 32-bit programs run here, or stops at once when they cannot.
i386-check: deps
	@scripts/run-i386.sh --check

# Everything in a 64-bit prefix, as on 64-bit Windows (WoW64).
test-windows: i386-check test-build
	WINE_ARCH=win64 WINE_DRIVES="d=$(MEDIUM) e=$(WIN_BUILD)/medium-large f=$(WIN_BUILD)/medium-broken" \
	  $(WINE_SESSION) $(WIN_BUILD)/wine64 -- \
	  bash -c 'cd $(WIN_BUILD) && ctest --output-on-failure'

# A few in a 32-bit prefix, the layout of 32-bit Windows.
test-win32-prefix: i386-check test-build
	WINE_ARCH=win32 WINE_DRIVES="d=$(MEDIUM) e=$(WIN_BUILD)/medium-large" \
	  $(WINE_SESSION) $(WIN_BUILD)/wine32 -- \
	  bash -c "cd $(WIN_BUILD) && ctest --output-on-failure -R '$(WIN32_PREFIX_TESTS)'"

# A second build elsewhere, later, in another time zone and under fakeroot,
# gives the same bytes.
test-reproducible: medium
	scripts/check-reproducible.sh

# Signing with a throw-away certificate, and an installation from the result.
test-signing: i386-check test-build
	scripts/test-signing.sh $(MEDIUM) $(BUILD)/signing-test

test: i386-check test-host test-fuzz test-reproducible test-signing test-windows test-win32-prefix

# Signs build/medium/SETUP.EXE into build/medium-signed/ with the release
# engineer's SIGN_CERT and SIGN_KEY (optional SIGN_PASS_FILE, SIGN_TIMESTAMP_URL).
sign: medium
	scripts/sign-medium.sh $(MEDIUM) $(BUILD)/medium-signed

run: medium i386-check
	scripts/run-setup.sh $(MEDIUM) $(BUILD)/run

clean:
	rm -rf $(BUILD)
