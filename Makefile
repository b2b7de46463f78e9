# Thin wrapper around CMake. `make play` and `make test` do all the set-up on a fresh Debian machine.
JOBS      ?= $(shell nproc)
BUILD     ?= build
ASAN      ?= build-asan
TSAN      ?= build-tsan
FUZZB     ?= build-fuzz
FUZZ_SECONDS ?= 600
CMAKE_GEN := -G Ninja

.PHONY: all deps build play test test-main test-asan test-tsan fuzz fuzz-smoke bench clean

all: build

deps:
	@scripts/install-deps

build: deps
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZW_WERROR=ON
	cmake --build $(BUILD) -j $(JOBS)

play: build
	@scripts/play-demo $(BUILD)

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
