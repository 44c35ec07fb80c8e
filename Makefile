# The two set-up commands of the README:
#   make run    installs missing build packages, builds, starts Vorin 99
#   make test   the same set-up, then the whole suite through CTest (with a
#               sanitizer build of the core: AddressSanitizer + UBSan)
#   make deb    the Debian package, build/vorin99_<version>_<arch>.deb
#   make test-windows  the core, its tests and vorin-report.exe cross-built
#               for Windows and tested under Wine
BUILD      ?= build
ASAN_BUILD ?= build-asan
CORE_BUILD ?= build-core
WIN_BUILD  ?= build-windows
JOBS       ?= $(shell nproc)
GENERATOR  := -G Ninja

.PHONY: all deps configure build run test test-core test-windows asan deb clean

all: build

deps:
	@tools/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/src/shell/vorin99

asan: deps
	cmake -S . -B $(ASAN_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DVORIN_CORE_ONLY=ON \
	      -DVORIN_SANITIZE=ON -DVORIN_BUILD_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS)

test: build asan
	QT_QPA_PLATFORM=offscreen ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	    ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

# Installs with `apt install ./build/vorin99_*.deb`, Qt libraries included.
deb: build
	cd $(BUILD) && cpack -G DEB

# The core alone, as on a machine without Qt.
test-core:
	@tools/install-deps.sh --core-only
	cmake -S . -B $(CORE_BUILD) $(GENERATOR) -DVORIN_CORE_ONLY=ON
	cmake --build $(CORE_BUILD) -j $(JOBS)
	ctest --test-dir $(CORE_BUILD) --output-on-failure -j $(JOBS)

# The core, its tests and vorin-report.exe for 64-bit Windows, built with
# MinGW-w64 and tested under Wine.
test-windows:
	@tools/install-deps.sh --windows
	tools/test-windows.sh $(WIN_BUILD) $(JOBS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(CORE_BUILD) $(WIN_BUILD)
