# The two commands a new machine needs: `make run` and `make test`.
# Two targets from one source tree, each in a build tree of its own:
# $(BUILD)/x64 (x86-64) and $(BUILD)/x86 (i686).
BUILD ?= build
CMAKE_FLAGS ?=
DEPS := $(abspath $(BUILD))/deps

.PHONY: all setup build build-x64 build-x86 test run clean

all: build

setup:
	@scripts/setup.sh $(BUILD)

build: build-x64 build-x86

build-x64 build-x86: build-%: setup
	@[ -f $(BUILD)/$*/build.ninja ] || cmake -S . -B $(BUILD)/$* -G Ninja \
		-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-$(if $(filter x64,$*),x86_64,i686).cmake \
		-DVORLEN_DEPS=$(DEPS) $(CMAKE_FLAGS)
	@cmake --build $(BUILD)/$*

# Both targets are built (a compile error in either fails); the suites run
# where this machine can run them.
test: build
	@scripts/test-all.sh $(BUILD)

clean:
	rm -rf $(BUILD)
