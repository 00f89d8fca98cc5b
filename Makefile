# The two commands a new machine needs: `make run` and `make test`.
# Two targets from one source tree, each in a build tree of its own:
# $(BUILD)/x64 (x86-64) and $(BUILD)/x86 (i686).
BUILD ?= build
CMAKE_FLAGS ?=
DEPS := $(abspath $(BUILD))/deps

.PHONY: all setup build build-x64 build-x86 test run dist clean

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

# Starts the x86-64 program on this display (a virtual one when there is
# none); ARGS are passed on: make run ARGS=notes.data
run: build-x64
	@scripts/run.sh $(ARGS)

# What a Windows user downloads: per target, a setup program (per user, no
# administrator; made by makensis) and a zip with both programs and a short
# text on how to start.
VERSION := $(shell sed -n 's/^project.Vorlen VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
VERSION_QUAD := $(shell echo $(VERSION).0.0.0 | cut -d. -f1-4)
dist: build
	@rm -rf $(BUILD)/dist && mkdir -p dist
	@for arch in x64 x86; do \
		folder=$(BUILD)/dist/vorlen-$(VERSION)-$$arch; \
		mkdir -p $$folder && \
		cp $(BUILD)/$$arch/app/vorlen.exe $(BUILD)/$$arch/cli/vorlen-cli.exe $$folder/ && \
		sed "s/@ARCH@/$$arch/g; s/@VERSION@/$(VERSION)/g; s/$$/\r/" resources/dist-readme.txt > $$folder/README.txt && \
		rm -f dist/vorlen-$(VERSION)-$$arch.zip && \
		(cd $(BUILD)/dist && cmake -E tar cf $(CURDIR)/dist/vorlen-$(VERSION)-$$arch.zip --format=zip vorlen-$(VERSION)-$$arch) && \
		echo "dist: dist/vorlen-$(VERSION)-$$arch.zip" && \
		makensis -V2 -DVERSION=$(VERSION) -DVERSION_QUAD=$(VERSION_QUAD) -DARCH=$$arch \
			-DSOURCE=$(abspath $(BUILD))/dist/vorlen-$(VERSION)-$$arch -DICON=$(CURDIR)/resources/vorlen.ico \
			-DSHORTCUT_TOOL=$(abspath $(BUILD))/$$arch/installer/shortcut-app-id.exe \
			-DOUTFILE=$(CURDIR)/dist/vorlen-$(VERSION)-$$arch-setup.exe installer/vorlen.nsi && \
		echo "dist: dist/vorlen-$(VERSION)-$$arch-setup.exe"; \
	done

clean:
	rm -rf $(BUILD)
