# The front door: each target installs what is missing, configures, builds, then runs.
BUILD ?= build
SANITIZE ?=
CMAKE_FLAGS ?=

.PHONY: all setup configure build test demo bench header asan tsan clean

all: build

setup:
	@scripts/setup.sh

configure: setup
	@cmake -S . -B $(BUILD) -G Ninja -DVELMORA_SANITIZE=$(SANITIZE) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD)

test: build
	@ctest --test-dir $(BUILD) --output-on-failure -j2

demo: build
	@$(BUILD)/examples/pool_status_demo

bench: build
	@$(BUILD)/bench/velmora_bench --benchmark_min_time=0.5
	@$(BUILD)/bench/velmora_async_bench --benchmark_min_time=0.5
	@$(BUILD)/bench/velmora_json_bench --benchmark_min_time=0.5

# Regenerates the public header from the declarations.
header: build
	@$(BUILD)/velmora_describe header > boundary/include/velmora_sdk.h

asan:
	@$(MAKE) test BUILD=build-asan SANITIZE=address,undefined

tsan:
	@$(MAKE) test BUILD=build-tsan SANITIZE=thread

clean:
	rm -rf build build-asan build-tsan
