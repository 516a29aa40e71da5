# The two commands that do everything on a fresh Debian 12 machine:
#   make run    install what is missing, build, start the saver
#   make test   install what is missing, build everything, run every test
# and the one for everyday work:
#   make check  the native build, unit tests, simulator scripts and X11 scenarios

BUILD ?= build
JOBS ?= 2
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=Release

WIN32_BUILD ?= build-win32
WIN64_BUILD ?= build-win64

FUZZ_SECONDS ?= 60

# The one version, as CMakeLists.txt declares it.
VERSION := $(shell sed -n 's/^project.Quilvenmoor VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
ZIP = $(BUILD)/dist/Quilvenmoor-$(VERSION).zip

# The packages each target needs (tools/install-deps.sh lists the groups);
# a target's choice holds for what it builds first, unless that has its own.
DEPS = run
check: DEPS = check
deb: DEPS = package
windows sanitize fuzz dist test: DEPS = test
picture: DEPS = run picture
font: DEPS = run font

.PHONY: all deps build check windows sanitize fuzz run test bench dist deb clean font picture refresh

all: build

deps:
	@tools/install-deps.sh $(DEPS)

build: deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS)

# Everyday work, a few minutes: everything but the package, Windows, Wine,
# xscreensaver, the sanitizers and the fuzzer.
check: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS) -L '^(unit|simulator|x11)$$'

# The screen saver for Windows, 32-bit (Quilvenmoor.scr) and 64-bit.
windows: build
	cmake -S . -B $(WIN32_BUILD) $(CMAKE_FLAGS) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DQUILVENMOOR_FRAMECHECK=$(abspath $(BUILD))/quilvenmoor-framecheck
	cmake --build $(WIN32_BUILD) -j $(JOBS)
	cmake -S . -B $(WIN64_BUILD) $(CMAKE_FLAGS) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DQUILVENMOOR_FRAMECHECK=$(abspath $(BUILD))/quilvenmoor-framecheck
	cmake --build $(WIN64_BUILD) -j $(JOBS)

# The core, the renderer and the simulator under AddressSanitizer and
# UndefinedBehaviorSanitizer; any report fails the tests.
sanitize: deps
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DQUILVENMOOR_SANITIZE=ON
	cmake --build build-asan -j $(JOBS)
	ctest --test-dir build-asan --output-on-failure -j $(JOBS) -LE "e2e|benchmark"

# The script reader and everything behind it under libFuzzer (clang).
fuzz: deps
	cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILVENMOOR_FUZZ=ON -DQUILVENMOOR_TESTS=OFF
	cmake --build build-fuzz -j $(JOBS) --target quilvenmoor-fuzz
	tools/fuzz.sh build-fuzz/quilvenmoor-fuzz $(FUZZ_SECONDS)

run: build
	tools/run-saver.sh $(BUILD)

test: build windows sanitize fuzz dist
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)
	ctest --test-dir $(WIN64_BUILD) --output-on-failure -j $(JOBS)
	ctest --test-dir $(WIN32_BUILD) --output-on-failure -j $(JOBS)
	tests/dist-check.sh $(ZIP) $(VERSION)

# Figures, not pass or fail: the core under Google Benchmark, the 48-hour
# soak, the real window on a private X server beside two X screen savers
# and the Windows build under Wine, and the idle watcher while it waits.
bench: windows
	@tools/install-deps.sh bench
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS)
	$(BUILD)/quilvenmoor-bench
	$(BUILD)/quilvenmoor-soak 48
	python3 bench/window.py $(BUILD) --scr $(WIN64_BUILD)/Quilvenmoor.scr
	bench/wayland.sh $(BUILD)
	bench/idle.sh $(BUILD)
	bench/dpms.sh $(BUILD)

# A zip for Windows users: both screen savers, how to install them and the
# licences, the texts with Windows line endings whatever the checkout did.
dist: windows
	rm -rf $(BUILD)/dist && mkdir -p $(BUILD)/dist/Quilvenmoor/64-bit
	cp $(WIN32_BUILD)/Quilvenmoor.scr $(BUILD)/dist/Quilvenmoor/
	cp $(WIN64_BUILD)/Quilvenmoor.scr $(BUILD)/dist/Quilvenmoor/64-bit/
	sed 's/\r*$$/\r/' $(BUILD)/configured/INSTALL.txt > $(BUILD)/dist/Quilvenmoor/INSTALL.txt
	cat LICENSE assets/FONT-NOTICE.txt | sed 's/\r*$$/\r/' > $(BUILD)/dist/Quilvenmoor/LICENSE.txt
	cd $(BUILD)/dist && cmake -E tar cf $(notdir $(ZIP)) --format=zip Quilvenmoor
	@echo "Written: $(ZIP)"

# The Debian package of the Linux programs: build/quilvenmoor_<version>_<arch>.deb.
deb: build
	cd $(BUILD) && cpack -G DEB

# Regenerates the built-in font.
font: deps
	mkdir -p $(BUILD)
	g++ -O2 -std=c++20 $$(pkg-config --cflags freetype2) tools/fontgen.cpp $$(pkg-config --libs freetype2) -o $(BUILD)/fontgen
	$(BUILD)/fontgen > assets/font-glyphs.inc

# The README's moving picture, drawn by the simulator.
picture: build
	tools/picture.sh $(BUILD) docs/saver.webp

# Rewrites the simulator's expected traces and the golden frames from what the
# program does now; review `git diff` before committing them.
refresh: build
	UPDATE=1 SIM=$(BUILD)/quilvenmoor-sim bash tests/scripts/run-scripts.sh tests/scripts
	UPDATE_FRAMES=1 $(BUILD)/tests/quilvenmoor_tests --gtest_filter='Frames.*'
	git status --short -- tests/scripts tests/frames

clean:
	rm -rf $(BUILD) $(WIN32_BUILD) $(WIN64_BUILD) build-asan build-fuzz
