# The two commands of the README: `make demo` and `make test`. Everything else is a step of them.
SHELL := /bin/bash
HOST  := build/host
WIN64 := build/win64
JOBS  ?= $(shell nproc)

.PHONY: all bootstrap host win64 build test test-host test-win64 demo bench format clean

all: build

bootstrap:
	@scripts/bootstrap.sh

$(HOST)/build.ninja: | bootstrap
	@cmake -S . -B $(HOST) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVANTOREL_SANITIZE=ON >/dev/null

$(WIN64)/build.ninja: | bootstrap
	@cmake -S . -B $(WIN64) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake >/dev/null

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

bench: host
	@echo "no benchmarks yet"

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
