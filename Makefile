# The whole set-up: `make run` builds and starts the program, `make test`
# builds and runs every test. Builds are Release, in build/.
BUILD := build
MAKEFLAGS += --no-print-directory
JOBS := 2

.PHONY: all configure build run test install package bench microbench fuzz windows windows-test clean

all: build

configure:
	@bash scripts/install-deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null

build: configure
	@cmake --build $(BUILD) -j$(JOBS)

run: configure
	@bash scripts/install-deps xfonts-encodings $$(command -v luit >/dev/null || echo luit) >&2 \
	    || echo "(could not install luit and xfonts-encodings: the text may not be readable)" >&2
	@cmake --build $(BUILD) -j$(JOBS) --target primesearch >&2
	@sh scripts/start-interactive $(BUILD)/primesearch

# The installed program's test also tries it on a UTF-8 terminal (tmux, luit).
test: build
	@bash scripts/install-deps tmux xfonts-encodings $$(command -v luit >/dev/null || echo luit)
	@bash scripts/ctest-run $(BUILD) -j$(JOBS)

# Installs bin/primesearch (the start script), libexec/primesearch (the
# program and its start logic) and the man pages; PREFIX=/usr/local by default.
install: configure
	@cmake --build $(BUILD) -j$(JOBS) --target primesearch
	cmake --install $(BUILD) --prefix $(or $(PREFIX),/usr/local)

# The Debian package: build/primesearch_<version>_amd64.deb.
package: configure
	@bash scripts/install-deps dpkg-dev
	@cmake --build $(BUILD) -j$(JOBS) --target primesearch deb_files
	cd $(BUILD) && cpack -G DEB
	@ls $(BUILD)/primesearch_*.deb

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
# release, with build-win32/primesearch-VERSION-win32.zip) and build-win64/primesearch.exe.
windows:
	@bash scripts/windows

# The same, and the whole test suite on the 64-bit build under Wine.
windows-test:
	@bash scripts/windows test

clean:
	rm -rf $(BUILD) build-*
