# The whole set-up: `make run` builds and starts the program, `make test`
# builds and runs every test. Builds are Release, in build/.
BUILD := build
MAKEFLAGS += --no-print-directory
JOBS := 2

.PHONY: all configure build run test bench microbench fuzz windows windows-test clean

all: build

configure:
	@bash scripts/install-deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null

build: configure
	@cmake --build $(BUILD) -j$(JOBS)

run: configure
	@cmake --build $(BUILD) -j$(JOBS) --target primesearch >&2
	@sh scripts/start-interactive $(BUILD)/primesearch

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS)

bench:
	@bash scripts/bench

microbench:
	@bash scripts/install-deps libbenchmark-dev
	@cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DPRIMESEARCH_BENCH=ON -DPRIMESEARCH_TESTS=OFF >/dev/null
	@cmake --build build-bench -j$(JOBS) --target engine_bench
	./build-bench/bench/engine_bench

fuzz:
	@bash scripts/fuzz $(or $(SECONDS_PER_TARGET),20)

# The Windows program, cross-built: build-win32/primesearch.exe (32-bit, the
# release, with build-win32/primesearch-win32.zip) and build-win64/primesearch.exe.
windows:
	@bash scripts/windows

# The same, and the whole test suite on the 64-bit build under Wine.
windows-test:
	@bash scripts/windows test

clean:
	rm -rf $(BUILD) build-*
