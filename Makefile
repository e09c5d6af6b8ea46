# Top-level commands. Each installs what is missing first, so a fresh Debian machine gets from
# nothing to a result with one of them.
#   make build   both configurations: build/native (tools, unit tests) and build/win (the stub);
#                where the machine runs no 32-bit programs also build/win64, the 64-bit twin of
#                build/win that the Wine tests then run (tests/wine/machine-check.sh)
#   make test    build, then every test (unit, fuzz, Wine, end to end) under ctest
#   make demo    build, then run a packed stub under Wine: pictures of what a user sees, then a
#                silent run with its log and exit code
#   make fuzz    build, then every fuzzer for FUZZ_SECONDS seconds each, one after another
#   make bench   timings as ratios against baselines measured in the same run

BUILD_DIR ?= build
JOBS ?= $(shell nproc)
CTEST_JOBS ?= 2
FUZZ_SECONDS ?= 300

.PHONY: all deps build test fuzz demo bench clean

all: build

deps:
	@tools/install-deps.sh $(BUILD_DIR)

build: deps
	cmake -S . -B $(BUILD_DIR)/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD_DIR)/win -j $(JOBS)
	@if [ "$$(tests/wine/machine-check.sh | cut -d' ' -f1)" = 64 ]; then \
	  set -x; \
	  cmake -S . -B $(BUILD_DIR)/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release && \
	  cmake --build $(BUILD_DIR)/win64 -j $(JOBS); \
	fi
	cmake -S . -B $(BUILD_DIR)/native -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang \
	      -DBRENNIX_WIN_BUILD_DIR=$(abspath $(BUILD_DIR)/win) -DBRENNIX_WIN64_BUILD_DIR=$(abspath $(BUILD_DIR)/win64)
	cmake --build $(BUILD_DIR)/native -j $(JOBS)

test: build
	cd $(BUILD_DIR)/native && ctest --output-on-failure -j $(CTEST_JOBS) --timeout 1200

fuzz: build
	cd $(BUILD_DIR)/native && BRENNIX_FUZZ_SECONDS=$(FUZZ_SECONDS) \
	    ctest --output-on-failure -R '^fuzz\.' -j 1 --timeout $$(( $(FUZZ_SECONDS) + 600 ))

demo: build
	tools/demo.sh $(BUILD_DIR)

bench: build
	tools/bench.sh $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR)
