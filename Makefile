# Front end over CMake. `make demo` builds the program and runs it on the
# bundled example; `make test` builds and runs the whole test suite;
# `make bench` builds and runs the benchmark (BENCH_ARGS are passed on).

BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=
BENCH_ARGS ?=

.PHONY: all build demo test bench clean

all: build

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS)

build: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

demo: build
	cp examples/wall_slab.inp $(BUILD)/kelvane.inp
	$(BUILD)/kelvane2d
	@echo "result: $(BUILD)/kelvane.otp.csv (from examples/wall_slab.inp, copied to $(BUILD)/kelvane.inp)"

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS) --target kelvane_bench
	$(BUILD)/kelvane_bench $(BENCH_ARGS)

clean:
	rm -rf $(BUILD)
