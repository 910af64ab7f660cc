# Front end over CMake. `make demo` builds the program and runs it on the
# wall-and-slab example; `make test` builds and runs the whole test suite;
# `make validate` prints the EN ISO 10211 reference cases and the EN ISO
# 10077-2 frame D.7 as a table.
# `make bench` builds and runs the benchmark (BENCH_ARGS are passed on).
# `make install PREFIX=...` installs the program, its man page, the README
# with docs/ and the examples (PREFIX defaults to /usr/local; DESTDIR is
# honoured);
# `make package` builds the Debian package kelvane2d_VERSION_amd64.deb in the
# build folder.
# Before the first build, tools/check-packages sees that the Debian packages
# of tools/debian-packages are there, and installs them when run as root.

BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=
BENCH_ARGS ?=
DEMO_MODEL ?= examples/wall_slab.toml
PREFIX ?= /usr/local
# The package groups to check; make test adds the browser.
PACKAGE_GROUPS = build

.PHONY: all packages build demo test install package validate bench fuzz clean

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
	$(BUILD)/kelvane2d --report --svg --html $(BUILD)/demo/$(notdir $(DEMO_MODEL))
	@echo "result:  $(BUILD)/demo/$(basename $(notdir $(DEMO_MODEL))).otp.csv"
	@echo "picture: $(BUILD)/demo/$(basename $(notdir $(DEMO_MODEL))).svg (open it in a browser)"
	@echo "page:    $(BUILD)/demo/$(basename $(notdir $(DEMO_MODEL))).html (the picture with a readout, and the tables)"

test: PACKAGE_GROUPS = build browser
test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# The package's dependencies are what dpkg-shlibdeps finds the program linked
# against; earlier packages are removed first, so that one is left.
package: PACKAGE_GROUPS = build package
package: build
	rm -f $(BUILD)/kelvane2d_*.deb
	cd $(BUILD) && cpack -G DEB

# make fuzz FUZZ_SECONDS=600 fuzzes the whole program in memory (needs
# clang): first on model text, then on well-formed grids chosen by the bytes,
# then on detail files, then on DXF drawings, each for FUZZ_SECONDS.
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
	mkdir -p $(FUZZ_BUILD)/dxf-corpus
	cp fuzz/dxf-corpus/* fuzz/dxf-regressions/* examples/*.dxf $(FUZZ_BUILD)/dxf-corpus/ 2>/dev/null || true
	cd $(FUZZ_BUILD) && ./kelvane_fuzz_dxf $(FUZZ_FLAGS) -max_len=16384 -dict=../fuzz/dxf.dict \
	  -artifact_prefix=./dxf-crash- dxf-corpus

validate: build
	$(BUILD)/tests/kelvane_validate

bench: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS) --target kelvane_bench
	$(BUILD)/kelvane_bench $(BENCH_ARGS)

clean:
	rm -rf $(BUILD)
