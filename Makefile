# Front door: `make try` runs the demo, `make test` builds and tests everything.
# Three build trees, each configured once: build/native (g++), build/x64 and
# build/x86 (mingw-w64, tests under Wine).

SHELL := /bin/bash
.SHELLFLAGS := -eu -o pipefail -c
# The machines have two cores: builds run one at a time, each with -j$(JOBS).
.NOTPARALLEL:

JOBS ?= 2
BUILD_TYPE ?= Release
# Warnings are errors here as in CI; `make WERROR=OFF` to look past them
# (a tree keeps the setting it was first configured with: `make clean` first).
WERROR ?= ON

CMAKE_ARGS := -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DSORLA_WERROR=$(WERROR)
# cmake --build runs its own make; keep ours from handing it our flags.
BUILD := env -u MAKEFLAGS -u MFLAGS -u MAKELEVEL cmake --build
# Cross tests get a virtual display for the Windows windows they create.
XVFB := $(if $(DISPLAY),,xvfb-run -a -s "-screen 0 1280x1024x24")

.PHONY: all setup configure build build-native build-x64 build-x86 test try dist clean screenshots

all: build

setup:
	@scripts/setup

# The generated build/*/Makefile is written only by a configure that
# succeeded, so a failed configure is tried again next time.
build/native/Makefile:
	cmake -S . -B build/native $(CMAKE_ARGS)
build/x64/Makefile:
	cmake -S . -B build/x64 $(CMAKE_ARGS) -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-x86_64.cmake
build/x86/Makefile:
	cmake -S . -B build/x86 $(CMAKE_ARGS) -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-i686.cmake

configure: setup build/native/Makefile build/x64/Makefile build/x86/Makefile

build-native: setup build/native/Makefile
	$(BUILD) build/native -j$(JOBS)
build-x64: setup build/x64/Makefile
	$(BUILD) build/x64 -j$(JOBS)
build-x86: setup build/x86/Makefile
	$(BUILD) build/x86 -j$(JOBS)

build: build-native build-x64 build-x86

# Runs every suite, even after one fails, then fails if any did. The cross
# suites run on a fresh wineserver inside their own virtual display, and wait
# for it to exit before the display goes.
test: build
	@failed=""; \
	echo "== native tests"; \
	(cd build/native && ctest --output-on-failure) || failed="$$failed native"; \
	for tree in x64 x86; do \
	  echo "== $$tree tests (Wine)"; \
	  WINEPREFIX=$(CURDIR)/build/$$tree/wineprefix wineserver -k 2>/dev/null || true; \
	  (cd build/$$tree && $(XVFB) sh -c \
	    'ctest --output-on-failure; rc=$$?; WINEPREFIX=$$PWD/wineprefix wineserver -w; exit $$rc') \
	    || failed="$$failed $$tree"; \
	done; \
	if [ -n "$$failed" ]; then echo "== tests failed in:$$failed"; exit 1; fi; \
	echo "== all tests passed (native, x64, x86)"

# The interactive typing demo of the native tool.
try: setup build/native/Makefile
	$(BUILD) build/native -j$(JOBS) --target sorla
	build/native/cli/sorla try

# PNGs of the candidate row (light and dark) and the language-bar icons,
# drawn by the x64 build under Wine, into build/screenshots.
screenshots: setup build/x64/Makefile
	$(BUILD) build/x64 -j$(JOBS) --target window_screenshots
	mkdir -p build/screenshots
	cd build/x64 && SORLA_WINEPREFIX=$$PWD/wineprefix $(CURDIR)/windows/tests/window/with_display.sh \
	  $(CURDIR)/scripts/wine-run windows/window_screenshots.exe ../screenshots

dist: build-x64 build-x86
	scripts/dist

clean:
	@for tree in x64 x86; do \
	  [ -d build/$$tree/wineprefix ] && WINEPREFIX=$(CURDIR)/build/$$tree/wineprefix wineserver -k 2>/dev/null || true; \
	done
	rm -rf build dist
