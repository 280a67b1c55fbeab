# Zoetra: `make` builds, `make check` builds and passes every test, `make run` plays the demo.
# The CMake build does the work; this file only wraps it and installs what is missing first.

BUILD      ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
DEBUG_BUILD ?= build-debug
PREFIX     ?= /usr/local
JOBS       ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all debug deps format check check-format check-layers check-main check-asan check-tsan run bench install deb clean

all:
	@cmake -S . -B $(BUILD) -DCMAKE_INSTALL_PREFIX=$(PREFIX) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

# A debug build with assertions on (the sanitizer builds of `make check` have them too).
debug:
	@cmake -S . -B $(DEBUG_BUILD) -DCMAKE_BUILD_TYPE=Debug $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(DEBUG_BUILD) -j $(JOBS)

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
	@ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS) --timeout 600 -LE package

check-asan:
	@cmake -S . -B $(ASAN_BUILD) -DZOETRA_SANITIZER=address -DZOETRA_WITH_QT=OFF \
	    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	@ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS) -L asan --timeout 600

check-tsan:
	@cmake -S . -B $(TSAN_BUILD) -DZOETRA_SANITIZER=thread -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(TSAN_BUILD) -j $(JOBS) --target tsan_tests
	@ctest --test-dir $(TSAN_BUILD) --output-on-failure -j $(JOBS) -L tsan --timeout 600

# Builds the player alone, not the tests, then plays the demo; a build without Qt has no
# player, and flitool shows the demo's properties instead. The build runs outside this
# make's recursion (no MAKELEVEL), so it prints its progress without a line for every folder.
run: deps
	@cmake -S . -B $(BUILD) -DCMAKE_INSTALL_PREFIX=$(PREFIX) $(CMAKE_FLAGS) >/dev/null
	@target=zoetra; grep -q '^ZOETRA_WITH_QT:BOOL=OFF' $(BUILD)/CMakeCache.txt && target=flitool; \
	 env -u MAKELEVEL -u MAKEFLAGS -u MFLAGS cmake --build $(BUILD) -j $(JOBS) --target $$target
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
