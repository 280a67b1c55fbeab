# Zoetra: `make` builds, `make check` builds and passes every test, `make run` plays the demo.
# The CMake build does the work; this file only wraps it and installs what is missing first.
# The builds are the presets of CMakePresets.json (release, debug, asan, tsan); the folders
# below are theirs.

BUILD       = build
ASAN_BUILD  = build-asan
TSAN_BUILD  = build-tsan
DEBUG_BUILD = build-debug
PREFIX     ?= /usr/local
JOBS       ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all debug deps format check check-format check-layers check-main check-asan check-tsan run bench install deb clean

all:
	@cmake --preset release -DCMAKE_INSTALL_PREFIX=$(PREFIX) $(CMAKE_FLAGS) >/dev/null
	@cmake --build --preset release -j $(JOBS)

# A debug build with assertions on (the sanitizer builds of `make check` have them too).
debug:
	@cmake --preset debug $(CMAKE_FLAGS) >/dev/null
	@cmake --build --preset debug -j $(JOBS)

deps:
	@scripts/install-deps

# Three builds: the normal one runs every test; AddressSanitizer with UndefinedBehaviorSanitizer
# runs the decoder, its fuzz test and the kits; ThreadSanitizer runs the thread-heavy tests.
check: deps
	@$(MAKE) --no-print-directory check-format
	@$(MAKE) --no-print-directory check-layers
	@$(MAKE) --no-print-directory check-main
	@$(MAKE) --no-print-directory check-asan
	@$(MAKE) --no-print-directory check-tsan

# The house style (.clang-format): `make format` applies it, `make check` refuses code without it.
format:
	@scripts/check-format --fix

check-format:
	@scripts/check-format

# Includes across a layer line that the include directories cannot refuse by themselves.
check-layers:
	@scripts/check-layers

check-main: all
	@ctest --preset release -j $(JOBS)

check-asan:
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan -j $(JOBS)
	@ctest --preset asan -j $(JOBS)

check-tsan:
	@cmake --preset tsan >/dev/null
	@cmake --build --preset tsan -j $(JOBS)
	@ctest --preset tsan -j $(JOBS)

# Builds the player alone, not the tests, then plays the demo; a build without Qt has no
# player, and flitool shows the demo's properties instead. The build runs outside this
# make's recursion (no MAKELEVEL), so it prints its progress without a line for every folder.
run: deps
	@cmake --preset release -DCMAKE_INSTALL_PREFIX=$(PREFIX) $(CMAKE_FLAGS) >/dev/null
	@target=zoetra; grep -q '^ZOETRA_WITH_QT:BOOL=OFF' $(BUILD)/CMakeCache.txt && target=flitool; \
	 env -u MAKELEVEL -u MAKEFLAGS -u MFLAGS cmake --build --preset release -j $(JOBS) --target $$target
	@if [ -x $(BUILD)/zoetra ]; then $(BUILD)/zoetra data/demo.fli; \
	 else $(BUILD)/flitool info data/demo.fli; fi

bench:
	@scripts/install-deps bench
	@$(MAKE) --no-print-directory all
	@cmake --build $(BUILD) --target benchmarks -j $(JOBS)
	@scripts/run-benchmarks $(BUILD)

install: all
	@cmake --install $(BUILD) --prefix $(PREFIX)

# The Debian package, built from a copy of the tree; the .deb lands in dist/.
deb:
	@scripts/install-deps deb
	@JOBS=$(JOBS) scripts/build-deb dist

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(DEBUG_BUILD)
