# Thin wrapper around CMake. `make play` and `make test` do all the set-up on a fresh Debian machine.
JOBS      ?= $(shell nproc)
BUILD     ?= build
ASAN      ?= build-asan
TSAN      ?= build-tsan
FUZZB     ?= build-fuzz
FUZZ_SECONDS ?= 600
CMAKE_GEN := -G Ninja

.PHONY: all deps configure build play test test-main test-asan test-tsan fuzz fuzz-smoke bench clean install-user \
	package check-package

all: build

deps:
	@scripts/install-deps

configure: deps
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZW_WERROR=ON

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# Only the host, the plug-in and the demo tune: the tests wait for `make test`.
play: configure
	cmake --build $(BUILD) -j $(JOBS) --target zw_play
	@scripts/play-demo $(BUILD)

# For this user alone, under ~/.local: the host and the add-on as `cmake --install` puts
# them, and the GStreamer plug-in where GStreamer looks for a user's plug-ins.
install-user: build
	cmake --install $(BUILD) --prefix $(HOME)/.local --component Unspecified
	install -D -m 644 $(BUILD)/gst/libgstzarnowelle.so \
		$(HOME)/.local/share/gstreamer-1.0/plugins/libgstzarnowelle.so

# One Debian package, $(BUILD)/zarnowelle_VERSION-REVISION_ARCH.deb, of what it installs
# alone: no test or benchmark is built for it.
package: configure
	cmake --build $(BUILD) -j $(JOBS) --target zw_package_contents
	cd $(BUILD) && cpack -G DEB
	@ls $(BUILD)/zarnowelle_*.deb

# Installs the package on this machine, checks what a user gets, and removes it again.
check-package: package
	@scripts/install-deps lintian
	@scripts/check-package $(BUILD)

test: build
	@scripts/run-tests "$(BUILD)" "$(ASAN)" "$(TSAN)" "$(FUZZB)"

bench: deps
	@scripts/install-deps libxmp-dev libopenmpt-dev openmpt123
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZW_PEERS=ON
	cmake --build $(BUILD) -j $(JOBS)
	@scripts/run-bench $(BUILD)

fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZB) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZW_FUZZ=ON -DZW_TESTS=OFF -DZW_BENCH=OFF
	cmake --build $(FUZZB) -j $(JOBS)
	@scripts/run-fuzz $(FUZZB) $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD) $(ASAN) $(TSAN) $(FUZZB)
