# Ramsweep Pro: a 32-bit Windows tray utility, cross-built with MinGW-w64 and tested under Wine.
#   make run    build and start the program under Wine
#   make test   build everything and run every test (native, fuzz seeds, Wine)
#   make fuzz   run the fuzzers for a while (FUZZ_SECONDS, default 60 each)
#   make bench  print the benchmark table (RSW_BENCH_SECONDS shortens its processor-time runs)

FUZZ_SECONDS ?= 60

.PHONY: all deps native win32 dist fuzz-build test test-native test-fuzz test-wine run fuzz bench clean

all: native win32

deps:
	@scripts/install-deps.sh

native: deps
	cmake --preset native
	cmake --build --preset native

win32: deps
	cmake --preset win32
	cmake --build --preset win32

# build/dist: rswsetup.exe, rswpro.exe, RSWPRO.INF and the help page, and a zip of them
dist: win32
	cmake --build --preset win32 --target dist
	@ls -l build/dist build/ramsweep-pro-*.zip

fuzz-build: deps
	cmake --preset fuzz
	cmake --build --preset fuzz

test-native: native
	ctest --preset native

test-fuzz: fuzz-build
	cd build/fuzz && ctest --output-on-failure --no-tests=error

test-wine: win32
	scripts/with-wine.sh ctest --preset win32
	scripts/wine-dpi-tests.sh
	scripts/keep-pictures.sh

test: test-native test-fuzz test-wine

run: win32
	scripts/run.sh

bench: win32
	scripts/with-wine.sh python3 bench/bench.py

fuzz: fuzz-build
	@for f in FuzzCommandLine FuzzParseInteger FuzzPerfData FuzzRegistryPath \
	         FuzzInfPath FuzzSetURL FuzzFreeAndRunList; do \
	  mkdir -p build/fuzz/corpus/$$f; \
	  build/fuzz/fuzz/$$f -max_total_time=$(FUZZ_SECONDS) -max_len=512 build/fuzz/corpus/$$f fuzz/seeds/$$f || exit 1; \
	done

clean:
	rm -rf build/native build/win32 build/fuzz build/dist build/ramsweep-pro-*.zip
