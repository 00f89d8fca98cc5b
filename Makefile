# The two commands a new machine needs: `make run` and `make test`.
BUILD ?= build
CMAKE_FLAGS ?=

.PHONY: all setup build test run clean

all: build

setup:
	@scripts/setup.sh $(BUILD)

build: setup
	@[ -f $(BUILD)/build.ninja ] || cmake -S . -B $(BUILD) -G Ninja \
		-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake $(CMAKE_FLAGS)
	@cmake --build $(BUILD)

test: build
	@VORLEN_BUILD=$(abspath $(BUILD)) scripts/run-tests.sh

clean:
	rm -rf $(BUILD)
