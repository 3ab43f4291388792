# The two commands of the README: `make demo` and `make test`. Everything else is a step of them.
SHELL := /bin/bash
HOST  := build/host
WIN64 := build/win64
FUZZ  := build/fuzz
JOBS  ?= $(shell nproc)
# `make fuzz` runs each harness this long; `make fuzz FUZZ_SECONDS=600` for ten minutes each.
FUZZ_SECONDS ?= 60
# Which harnesses (default: all of tests/fuzz).
FUZZ_HARNESSES ?=
# `make bench`: full (the README's table) or quick.
BENCH ?= full

.PHONY: all bootstrap host win64 build test test-host test-win64 demo bench fuzz format clean

all: build

bootstrap:
	@scripts/bootstrap.sh

$(HOST)/build.ninja: | bootstrap
	@cmake -S . -B $(HOST) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVANTOREL_SANITIZE=ON >/dev/null

$(WIN64)/build.ninja: | bootstrap
	@cmake -S . -B $(WIN64) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake >/dev/null

# The libFuzzer tree: clang, optimised, every library instrumented for the fuzzer.
$(FUZZ)/build.ninja: | bootstrap
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DVANTOREL_FUZZ=ON >/dev/null

host: bootstrap $(HOST)/build.ninja
	@cmake --build $(HOST) -- -j$(JOBS)

win64: bootstrap $(WIN64)/build.ninja
	@cmake --build $(WIN64) -- -j$(JOBS)

build: host win64

test-host: host
	@ctest --test-dir $(HOST) --output-on-failure -j$(JOBS)

test-win64: win64
	@ctest --test-dir $(WIN64) --output-on-failure -j$(JOBS)

test: test-host test-win64

demo: build
	@scripts/demo.sh

fuzz: bootstrap $(FUZZ)/build.ninja
	@cmake --build $(FUZZ) --target fuzz_harnesses -- -j$(JOBS)
	@scripts/fuzz.sh $(FUZZ) $(FUZZ_SECONDS) $(FUZZ_HARNESSES)

# The speed and memory figures against their peers, as one Markdown table (scripts/bench.sh).
# `BENCH=quick make bench` is the short run (about a minute, without Wine).
bench: bootstrap $(WIN64)/build.ninja
	@BENCH=$(BENCH) JOBS=$(JOBS) scripts/bench.sh

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
