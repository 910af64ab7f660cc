# Front end over CMake. `make demo` builds the program and runs it on the
# wall-and-slab example; `make test` builds and runs the whole test suite;
# `make validate` prints the EN ISO 10211 reference cases as a table.
# `make bench` builds and runs the benchmark (BENCH_ARGS are passed on).
# Before the first build, tools/check-packages sees that the Debian packages
# of tools/debian-packages are there, and installs them when run as root.

BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=
BENCH_ARGS ?=
DEMO_MODEL ?= examples/wall_slab.inp
# The package groups to check; make test adds the browser.
PACKAGE_GROUPS = build

.PHONY: all packages build demo test validate bench fuzz clean

all: build

packages:
	@tools/check-packages $(PACKAGE_GROUPS)

$(BUILD)/CMakeCache.txt: | packages
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS)

build: packages $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

# The model is copied into the build folder, so that its result and picture
# land there and not among the sources.
demo: build
	mkdir -p $(BUILD)/demo
	cp $(DEMO_MODEL) $(BUILD)/demo/
	$(BUILD)/kelvane2d --report --svg $(BUILD)/demo/$(notdir $(DEMO_MODEL))
	@echo "result:  $(BUILD)/demo/$(basename $(notdir $(DEMO_MODEL))).otp.csv"
	@echo "picture: $(BUILD)/demo/$(basename $(notdir $(DEMO_MODEL))).svg (open it in a browser)"

test: PACKAGE_GROUPS = build browser
test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# make fuzz FUZZ_SECONDS=600 fuzzes the whole program in memory (needs
# clang): first on model text, then on well-formed grids chosen by the bytes,
# then on detail files, each for FUZZ_SECONDS.
FUZZ_SECONDS ?= 60
FUZZ_BUILD ?= build-fuzz
FUZZ_FLAGS = -max_total_time=$(FUZZ_SECONDS) -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
fuzz: PACKAGE_GROUPS = build ci
fuzz: packages
	cmake -S fuzz -B $(FUZZ_BUILD) -DCMAKE_CXX_COMPILER=clang++
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	mkdir -p $(FUZZ_BUILD)/corpus $(FUZZ_BUILD)/grid-corpus
	cp fuzz/corpus/* fuzz/regressions/* $(FUZZ_BUILD)/corpus/ 2>/dev/null || true
	cd $(FUZZ_BUILD) && ./kelvane_fuzz $(FUZZ_FLAGS) -max_len=4096 -dict=../fuzz/kelvane.dict \
	  -artifact_prefix=./crash- corpus
	cd $(FUZZ_BUILD) && ./kelvane_fuzz_grid $(FUZZ_FLAGS) -max_len=600 \
	  -artifact_prefix=./grid-crash- grid-corpus
	mkdir -p $(FUZZ_BUILD)/detail-corpus
	cp fuzz/detail-corpus/* fuzz/detail-regressions/* examples/*.toml examples/validation/*.toml \
	  $(FUZZ_BUILD)/detail-corpus/ 2>/dev/null || true
	cd $(FUZZ_BUILD) && ./kelvane_fuzz_detail $(FUZZ_FLAGS) -max_len=4096 -dict=../fuzz/detail.dict \
	  -artifact_prefix=./detail-crash- detail-corpus

validate: build
	$(BUILD)/tests/kelvane_validate

bench: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS) --target kelvane_bench
	$(BUILD)/kelvane_bench $(BENCH_ARGS)

clean:
	rm -rf $(BUILD)
