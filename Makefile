# `make run` and `make test` install what is missing, build both trees and prepare the Wine prefix.
BUILD := build
PREFIX := $(BUILD)/win32/wine
JOBS := $(shell nproc)

.PHONY: all deps native win32 prefix test run benchmark clean fuzz

all: native win32

deps:
	@tools/setup.sh

native: deps
	@cmake -S . -B $(BUILD)/native -DCMAKE_BUILD_TYPE=Debug >/dev/null
	@cmake --build $(BUILD)/native -j$(JOBS) -- --no-print-directory

win32: deps
	@cmake -S . -B $(BUILD)/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
	@cmake --build $(BUILD)/win32 -j$(JOBS) -- --no-print-directory

prefix: deps
	@tools/wine-prefix.sh $(PREFIX)

test: native win32 prefix
	@tools/run-tests.sh $(BUILD)

run: win32 prefix
	@tools/run-palix.sh $(BUILD)

benchmark: win32 prefix
	@tools/run-benchmarks.sh $(BUILD)

clean:
	rm -rf $(BUILD)

# `make fuzz`: the byte readers under libFuzzer, FUZZ_SECONDS each (`make fuzz FUZZ_SECONDS=10`).
FUZZ_SECONDS := 60

fuzz:
	@tools/setup.sh cmake make clang libclang-rt-14-dev
	@tools/run-fuzz.sh $(BUILD)/fuzz $(FUZZ_SECONDS)
