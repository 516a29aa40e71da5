# The two commands that do everything on a fresh Debian 12 machine:
#   make run    install what is missing, build, start the saver
#   make test   install what is missing, build everything, run every test

BUILD ?= build
JOBS ?= 2
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=Release

.PHONY: all deps build run test clean font

all: build

deps:
	@tools/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS)

run: build
	tools/run-saver.sh $(BUILD)

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# Regenerates the built-in font (needs libfreetype-dev and fonts-dejavu-core).
font:
	g++ -O2 -std=c++20 $$(pkg-config --cflags freetype2) tools/fontgen.cpp $$(pkg-config --libs freetype2) -o $(BUILD)/fontgen
	$(BUILD)/fontgen > assets/font-glyphs.inc

clean:
	rm -rf $(BUILD)
