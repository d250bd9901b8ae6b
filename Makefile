# Pellix: the top-level entry points. Every target does its own set-up.
SHELL := /bin/bash
ROOT := $(CURDIR)
JOBS ?= $(shell nproc)
CMAKE_QUIET := -Wno-dev --log-level=WARNING

.PHONY: all bootstrap deps linux windows sanitize test test-native test-windows test-e2e test-sanitize \
        run bench images fuzz soak dist docs clean

all: linux windows

bootstrap:
	@bash scripts/bootstrap.sh

deps: bootstrap
	@bash scripts/build-libjpeg-windows.sh
	@bash scripts/build-googletest-windows.sh

build/linux/build.ninja: | bootstrap
	@cmake --preset linux $(CMAKE_QUIET) >/dev/null

linux: bootstrap build/linux/build.ninja
	@cmake --build build/linux -j $(JOBS)

build/windows/build.ninja: | deps
	@cmake --preset windows $(CMAKE_QUIET) >/dev/null

windows: deps build/windows/build.ninja
	@cmake --build build/windows -j $(JOBS)

build/linux-sanitize/build.ninja: | bootstrap
	@cmake -S . -B build/linux-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang \
	    -DCMAKE_CXX_COMPILER=clang++ -DPELLIX_SANITIZE=ON -DPELLIX_FUZZ=ON -DPELLIX_BENCH=OFF $(CMAKE_QUIET) >/dev/null

sanitize: bootstrap build/linux-sanitize/build.ninja
	@cmake --build build/linux-sanitize -j $(JOBS)

test: linux windows sanitize
	@bash scripts/run-tests.sh

test-native: linux
	@bash scripts/run-tests.sh native

test-windows: windows
	@bash scripts/run-tests.sh windows

test-e2e: linux windows
	@bash scripts/run-tests.sh e2e

test-sanitize: sanitize
	@bash scripts/run-tests.sh sanitize

run: linux windows
	@bash scripts/run.sh

bench: linux windows
	@bash scripts/bench.sh

FUZZ_SECONDS ?= 60
fuzz: sanitize
	@bash scripts/fuzz.sh explore $(FUZZ_SECONDS)

images: linux
	@cmake --build build/linux --target pellix-imagegen
	@build/linux/tools/imagegen/pellix-imagegen resources

clean:
	rm -rf build

soak: linux windows
	@bash scripts/soak.sh

# Packages of both builds under build/dist: the Debian package from the Linux
# tree, the zip and the NSIS installer from the Windows tree.
DIST := $(ROOT)/build/dist
dist: linux windows
	@rm -rf $(DIST) && mkdir -p $(DIST)
	@cd build/linux && cpack -B $(DIST) >/dev/null
	@cd build/windows && cpack -B $(DIST) >/dev/null
	@rm -rf $(DIST)/_CPack_Packages
	@ls -1 $(DIST)/*

# The README's pictures, rendered offline: a still of the kaleidoscope and a
# short GIF of the glide to 18 slots after the 3 key (the centre, 12 frames a
# second).
DOCS_FRAMES := $(ROOT)/build/docs
docs: linux
	@rm -rf $(DOCS_FRAMES)
	@build/linux/pellix-render --size 960x540 --seed 2 --seconds 6 --every 144 \
	    --out $(DOCS_FRAMES)/still >/dev/null
	@cp $(DOCS_FRAMES)/still/frame-00144.png docs/pellix.png
	@build/linux/pellix-render --size 400x240 --seed 2 --seconds 3.5 --every 2 --keys 3@0.5 \
	    --out $(DOCS_FRAMES)/glide >/dev/null
	@convert -delay 8 -loop 0 $(DOCS_FRAMES)/glide/frame-*.png -gravity center -crop 240x240+0+0 +repage \
	    -fuzz 2% -layers Optimize docs/pellix-glide.gif
	@ls -l docs/pellix.png docs/pellix-glide.gif
