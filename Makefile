# Front end over CMake. `make demo` builds the program and runs it on the
# bundled example; `make test` builds and runs the whole test suite;
# `make validate` prints the EN ISO 10211 reference cases as a table.

BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=

.PHONY: all build demo test validate clean

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

validate: build
	$(BUILD)/tests/kelvane_validate

clean:
	rm -rf $(BUILD)
