# A thin wrapper: every target installs what is missing, then asks CMake.
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CTEST_JOBS ?= 2

.PHONY: all deps build run test check bench fuzz soak screens assets-sheet install deb windows windows-test web web-serve web-test arm64-test reproduce clean

all: build

deps:
	@./scripts/install-deps

build/default/CMakeCache.txt: | deps
	cmake --preset default

build: deps build/default/CMakeCache.txt
	cmake --build build/default -j$(JOBS)

# The game reads its bitmaps through the current folder, so it starts in its own.
run: build
	cd build/default/out && ./dravo-vantle $(ARGS)

test: build
	ctest --test-dir build/default --output-on-failure -j$(CTEST_JOBS)

# Under the sanitizers a window takes SDL's software renderer at once: the
# render device would otherwise load the system's GL driver only to turn down
# its processor-drawn rasteriser, and that driver, unloaded at exit, leaves
# memory in globals that LeakSanitizer can neither trace nor suppress by name.
# The plain test run still goes through that choice.
check: deps
	cmake --preset asan
	cmake --build build/asan -j$(JOBS)
	ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
		LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 SDL_RENDER_DRIVER=software \
		ctest --test-dir build/asan --output-on-failure -j$(CTEST_JOBS)
	@if [ -x scripts/fuzz ]; then FUZZ_SECONDS=60 scripts/fuzz; fi

fuzz: deps
	FUZZ_SECONDS=600 scripts/fuzz

bench: build
	@if [ -x scripts/bench ]; then scripts/bench; else echo "no benchmarks yet"; fi

soak: deps
	cmake --preset asan
	cmake --build build/asan -j$(JOBS)
	DV_SOAK_TICKS=20000000 ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 \
		UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 ctest --test-dir build/asan --output-on-failure -R Soak

screens: build
	scripts/screens

assets-sheet: build
	cmake --build build/default --target assets-sheet

# Builds as the current user, then copies; for a system-wide prefix run
# `make build` first and then `sudo make install`.
PREFIX ?= /usr/local
install: build
	cmake --install build/default --prefix "$(PREFIX)"

# A Debian package in dist/, built in build/deb and checked with lintian.
# ARCH=arm64: cross-built in build/arm64 against Debian's arm64 libraries
# (a sysroot cached in ~/.cache/dravo-vantle), with the native build's assets.
ARCH ?=
deb: deps
	@if [ "$(ARCH)" = arm64 ]; then ./scripts/install-deps arm64 && $(MAKE) --no-print-directory build; fi
	ARCH=$(ARCH) JOBS=$(JOBS) scripts/make-deb

# The arm64 package's program and unit tests under qemu-aarch64, against the
# suites and replays of the native build.
arm64-test: build
	@$(MAKE) --no-print-directory deb ARCH=arm64
	JOBS=$(JOBS) scripts/arm64-tests

# The Windows package in dist/ (cross-built; libraries cached in ~/.cache/dravo-vantle).
windows: build
	@./scripts/install-deps windows
	JOBS=$(JOBS) scripts/windows

# The suites we have, run against that package under Wine.
windows-test: windows
	scripts/windows-tests

# The game as a static web page in build/web, and the same program for Node.js
# in build/web-node (WebAssembly libraries cached in ~/.cache/dravo-vantle).
web: build
	@./scripts/install-deps web
	JOBS=$(JOBS) scripts/web-build

# Serves build/web on a local port (WEB_PORT, default 8000) and prints the address.
web-serve: web
	scripts/web-serve

# The end-to-end suites under Node.js, then the page in Chromium.
web-test: web
	scripts/web-tests

# The packages built twice in clean clones, apart in folder, time, zone,
# locale, umask and jobs, and compared byte for byte (WHAT: deb web zip
# arm64; default deb web).
WHAT ?=
reproduce: deps
	WHAT="$(WHAT)" scripts/reproduce

clean:
	rm -rf build
