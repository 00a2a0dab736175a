# Front door: `make try` runs the demo, `make test` builds and tests everything.
# Three build trees, each configured once: build/native (g++), build/x64 and
# build/x86 (mingw-w64, tests under Wine).

SHELL := /bin/bash
.SHELLFLAGS := -eu -o pipefail -c
# The machines have two cores: builds run one at a time, each with -j$(JOBS).
.NOTPARALLEL:

JOBS ?= 2
# Tests run one at a time by default: the report service's attack tests and
# the Wine suites wait on clocks a busy neighbour can stretch. TEST_JOBS=2
# runs two (the Wine suites' registry and display tests hold a lock,
# sorla_wine_registry); WINE_JOBS sets the Wine suites' alone.
TEST_JOBS ?= 1
WINE_JOBS ?= $(TEST_JOBS)
BUILD_TYPE ?= Release
# Warnings are errors here as in CI; `make WERROR=OFF` to look past them
# (a tree keeps the setting it was first configured with: `make clean` first).
WERROR ?= ON

CMAKE_ARGS := -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DSORLA_WERROR=$(WERROR)
# cmake --build runs its own make; keep ours from handing it our flags.
BUILD := env -u MAKEFLAGS -u MFLAGS -u MAKELEVEL cmake --build
# Cross tests get a virtual display for the Windows windows they create.
XVFB := $(if $(DISPLAY),,xvfb-run -a -s "-screen 0 1280x1024x24")
# Each phase of a build or a test run starts with "== HH:MM:SS (UTC) what" and
# ends with its wall and CPU seconds, so that a CI log shows where time goes.
phase = echo "== $$(date -u +%T) $(1)"
export TIMEFORMAT := == %R s wall, %U s user + %S s system

.PHONY: all setup configure build build-native build-x64 build-x86 build-asan build-fuzz test \
	test-asan fuzz fuzz-smoke try serve dist clean screenshots installer test-installer

all: build

setup:
	@scripts/setup

# The generated build/*/Makefile is written only by a
# configure that succeeded, so a failed configure is tried again next time.
build/native/Makefile:
	cmake -S . -B build/native $(CMAKE_ARGS)
build/x64/Makefile:
	cmake -S . -B build/x64 $(CMAKE_ARGS) -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-x86_64.cmake
build/x86/Makefile:
	cmake -S . -B build/x86 $(CMAKE_ARGS) -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-i686.cmake

configure: setup build/native/Makefile build/x64/Makefile build/x86/Makefile

# build/native and build/x64 build everything, the tools and benchmarks
# included (x64 also what the installer test and the screenshots run);
# build/x86 and build/asan only what their tests run (test_programs).
build-native: setup build/native/Makefile
	@$(call phase,build native)
	time $(BUILD) build/native -j$(JOBS)
build-x64: setup build/x64/Makefile
	@$(call phase,build x64)
	time $(BUILD) build/x64 -j$(JOBS)
build-x86: setup build/x86/Makefile
	@$(call phase,build x86)
	time $(BUILD) build/x86 -j$(JOBS) --target test_programs

build: build-native build-x64 build-x86

# The native suite once more under AddressSanitizer and UndefinedBehaviorSanitizer.
# Warnings are already errors in build/native; here the instrumentation makes
# GCC 12 warn falsely inside the standard library (std::regex), so not here.
# Line tables (-g1) are all the sanitizers' reports read (each frame's file and
# line); full debug information made each file here compile a third slower.
SANITIZE := -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer
build/asan/Makefile:
	cmake -S . -B build/asan $(CMAKE_ARGS) -DSORLA_WERROR=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSORLA_BENCH=OFF \
	  -DCMAKE_CXX_FLAGS="$(SANITIZE)" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" \
	  -DCMAKE_EXE_LINKER_FLAGS="$(SANITIZE)"
build-asan: setup build/asan/Makefile
	@$(call phase,build asan)
	time $(BUILD) build/asan -j$(JOBS) --target test_programs
# The big-lexicon comparisons run on fewer inputs here: they are the same code
# paths, many times slower under the sanitizers.
test-asan: build-asan
	cd build/asan && SORLA_LIGHT_TESTS=1 ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest -j$(TEST_JOBS) --output-on-failure

# libFuzzer targets, built with clang; every library instrumented as well.
FUZZ_TARGETS := from_bytes import_learned suggest session open_index user_words
FUZZ_SECONDS ?= 60
FUZZ_SMOKE_SECONDS ?= 4
build/fuzz/Makefile:
	CC=clang-14 CXX=clang++-14 cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DSORLA_FUZZ=ON -DSORLA_TESTS=OFF -DSORLA_CLI=OFF -DSORLA_BENCH=OFF -DSORLA_WERROR=$(WERROR) \
	  -DCMAKE_CXX_FLAGS="$(SANITIZE) -fsanitize=fuzzer-no-link"
build-fuzz: setup build/fuzz/Makefile
	@$(call phase,build fuzz)
	time $(BUILD) build/fuzz -j$(JOBS)
# New inputs go to build/fuzz/corpus; the checked-in seeds are only read.
# Findings are written to build/fuzz/findings.
define run_fuzzers
	@mkdir -p build/fuzz/findings
	@for t in $(FUZZ_TARGETS); do \
	  mkdir -p build/fuzz/corpus/$$t; \
	  echo "== fuzz $$t ($(1) s)"; \
	  build/fuzz/fuzz/fuzz_$$t -max_total_time=$(1) -timeout=10 -rss_limit_mb=2048 \
	    -print_final_stats=0 -artifact_prefix=build/fuzz/findings/$$t- \
	    build/fuzz/corpus/$$t fuzz/corpus/$$t 2>&1 | awk '/^Done|ERROR|SUMMARY|deadly|Test unit written/'; \
	done
endef
fuzz: build-fuzz
	$(call run_fuzzers,$(FUZZ_SECONDS))
fuzz-smoke: build-fuzz
	$(call run_fuzzers,$(FUZZ_SMOKE_SECONDS))

# Runs every suite, even after one fails, then fails if any did. The cross
# suites run on a fresh wineserver inside their own virtual display, and wait
# for it to exit before the display goes.
test: build build-asan build-fuzz
	@failed=""; \
	$(call phase,native tests); \
	time (cd build/native && ctest -j$(TEST_JOBS) --output-on-failure) || failed="$$failed native"; \
	$(call phase,native tests under sanitizers); \
	time $(MAKE) --no-print-directory test-asan || failed="$$failed asan"; \
	$(call phase,fuzz smoke); \
	time $(MAKE) --no-print-directory fuzz-smoke || failed="$$failed fuzz"; \
	$(call phase,installer (Wine)); \
	time $(MAKE) --no-print-directory test-installer || failed="$$failed installer"; \
	for tree in x64 x86; do \
	  if [ $$tree = x86 ] && ! /usr/lib/wine/wine --version >/dev/null 2>&1; then \
	    echo "== x86 tests (Wine) skipped: this machine runs no 32-bit programs (IA-32 emulation is off in its kernel), and Wine runs i686 programs only through its 32-bit loader"; \
	    continue; \
	  fi; \
	  $(call phase,$$tree tests (Wine)); \
	  WINEPREFIX=$(CURDIR)/build/$$tree/wineprefix wineserver -k 2>/dev/null || true; \
	  time (cd build/$$tree && $(XVFB) sh -c \
	    'ctest -j$(WINE_JOBS) --output-on-failure; rc=$$?; WINEPREFIX=$$PWD/wineprefix wineserver -w; exit $$rc') \
	    || failed="$$failed $$tree"; \
	done; \
	if [ -n "$$failed" ]; then $(call phase,tests failed in:$$failed); exit 1; fi; \
	$(call phase,all tests passed (native, sanitizers, fuzz smoke, installer, Wine))

# The report page's service on 127.0.0.1:8080, with its reports in
# build/reports.sqlite; Ctrl+C stops it.
serve: setup build/native/Makefile
	$(BUILD) build/native -j$(JOBS) --target sorla-reports
	build/native/server/sorla-reports --listen 127.0.0.1:8080 --db sqlite:build/reports.sqlite

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

# The benchmark suite, natively, in its own Release tree without the tests:
# prints the table and writes bench/results/latest.json. librime, the peer,
# runs beside the shipped words (peer, Sorla, peer, Sorla), all on one CPU
# (the last) when taskset is there.
PIN := $(shell command -v taskset >/dev/null 2>&1 && echo taskset -c $$(($$(nproc) - 1)))
.PHONY: bench
bench: setup
	@scripts/setup bench
	cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DSORLA_TESTS=OFF -DSORLA_CLI=OFF \
	  -DSORLA_WERROR=$(WERROR) >/dev/null
	$(BUILD) build/bench -j$(JOBS) --target sorla_bench sorla_bench_build \
	  $$(grep -qs '^RIME_FOUND:.*=1' build/bench/CMakeCache.txt && echo sorla_peer_librime)
	@mkdir -p bench/results
	$(PIN) build/bench/bench/sorla_bench bench/results/latest.json \
	  $$([ -x build/bench/bench/sorla_peer_librime ] && \
	    echo --peer build/bench/bench/sorla_peer_librime build/bench/rime-user)

# A key's whole path through sorla.dll under Wine's own TSF, with the shipped
# words and with the seed list, and the core alone on the same keys: prints
# the table and writes bench/results/dll-latest.json.
.PHONY: bench-dll
bench-dll: setup build/x64/Makefile
	$(BUILD) build/x64 -j$(JOBS) --target sorla key_path_bench
	@mkdir -p bench/results
	WINEPREFIX=$(CURDIR)/build/x64/wineprefix wineserver -k 2>/dev/null || true
	cd build/x64 && SORLA_WINEPREFIX=$$PWD/wineprefix $(XVFB) sh -c \
	  '$(CURDIR)/scripts/wine-run windows/key_path_bench.exe windows/sorla.dll \
	    $(CURDIR)/data/lexicon/words.srla $(CURDIR)/bench/results/dll-latest.json; rc=$$?; \
	    WINEPREFIX=$$PWD/wineprefix wineserver -w; exit $$rc'

# The report service under 16 local clients, on SQLite and on a PostgreSQL
# it starts: requests a second and latency; then the built program under
# slow, idle and oversize clients (about two minutes); writes
# bench/results/server-latest.json.
.PHONY: bench-server
bench-server: setup build/native/Makefile
	$(BUILD) build/native -j$(JOBS) --target sorla_server_bench
	@mkdir -p bench/results
	build/native/bench/sorla_server_bench bench/results/server-latest.json

dist: build-native build-x64 build-x86
	scripts/dist

# The setup program: dist/sorla-setup-<version>.exe (NSIS), and its 64-bit
# build for the tests in build/installer/.
installer: dist
	scripts/installer

# The setup program under Wine: install, upgrade over a loaded DLL,
# uninstall, a failing registration (windows/installer/tests).
test-installer: installer
	$(BUILD) build/x64 -j$(JOBS) --target tsf_smoke hold_dll
	WINEPREFIX=$(CURDIR)/build/installer/test/prefix wineserver -k 2>/dev/null || true
	$(XVFB) sh -c 'sh windows/installer/tests/installer_test.sh $(CURDIR)/build/installer/test \
	  $(CURDIR)/build/x64/windows/tsf_smoke.exe $(CURDIR)/build/x64/windows/hold_dll.exe; rc=$$?; \
	  for p in prefix prefix32; do WINEPREFIX=$(CURDIR)/build/installer/test/$$p wineserver -w; done; \
	  exit $$rc'

# The shipped word data, rebuilt from Debian's packages (downloaded, never
# installed) in its own tree with the ICU tools; see data/lexicon/SOURCES.md.
.PHONY: lexicon eval-lexicon
lexicon:
	@scripts/setup lexicon
	cmake -S . -B build/lexicon -DCMAKE_BUILD_TYPE=Release -DSORLA_TESTS=OFF -DSORLA_BENCH=OFF \
	  -DSORLA_LEXICON_TOOLS=ON -DSORLA_WERROR=$(WERROR) >/dev/null
	$(BUILD) build/lexicon -j$(JOBS) --target sorla lexicon_icu_words lexicon_count lexicon_build \
	  lexicon_tune
	lexicon/make-lexicon

# How well chat spellings find their words with the shipped data: the seed list,
# and the dev set's words and sentences, tuning half and held-out half apart.
eval-lexicon: setup build/native/Makefile
	$(BUILD) build/native -j$(JOBS) --target lexicon_eval
	build/native/lexicon/lexicon_eval data/seed_words.txt data/lexicon/words.srla lexicon/eval/dev.tsv \
	  lexicon/eval/sentences.tsv data/lexicon/names.txt data/lexicon/everyday.txt

clean:
	@for tree in x64 x86; do \
	  [ -d build/$$tree/wineprefix ] && WINEPREFIX=$(CURDIR)/build/$$tree/wineprefix wineserver -k 2>/dev/null || true; \
	done
	rm -rf build dist
