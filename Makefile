# `make run` and `make test` install what is missing, build the three trees and prepare the Wine prefix.
BUILD := build
PREFIX := $(BUILD)/wine
JOBS := $(shell nproc)
# WIN32_TESTS=0 runs the 64-bit Windows tests only, as on a host that cannot run 32-bit programs.
export WIN32_TESTS
# Compiler cache: a rebuild, or another checkout of the same sources, compiles only what changed.
CACHE := -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache
export CCACHE_BASEDIR := $(CURDIR)

.PHONY: all deps native win32 win64 prefix test run benchmark clean fuzz dist gallery screenshots soak mutants

all: native win32 win64

deps:
	@tools/setup.sh

native: deps
	@cmake -S . -B $(BUILD)/native -DCMAKE_BUILD_TYPE=Debug $(CACHE) >/dev/null
	@cmake --build $(BUILD)/native -j$(JOBS) -- --no-print-directory

# The same sources for 32-bit (i686) and 64-bit (x86_64) hosts.
win32: deps
	@cmake -S . -B $(BUILD)/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=MinSizeRel $(CACHE) >/dev/null
	@cmake --build $(BUILD)/win32 -j$(JOBS) -- --no-print-directory

win64: deps
	@cmake -S . -B $(BUILD)/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=MinSizeRel $(CACHE) >/dev/null
	@cmake --build $(BUILD)/win64 -j$(JOBS) -- --no-print-directory

prefix: deps
	@tools/wine-prefix.sh $(PREFIX)

test: native win32 win64 prefix
	@tools/run-tests.sh $(BUILD)

run: win32 win64 prefix
	@tools/start-program.sh $(BUILD) Palix.exe "Vostrel v2.0" palix

# Hosted Hyperlinks against plain child windows, and Palix's start-up against a bare window program's. A
# missed goal is printed; only a failure (a leak, a start that showed no window) fails the target.
benchmark: win32 win64 prefix
	@status=0; \
	tools/run-per-architecture.sh --registered $(BUILD) hosting_benchmark || status=1; \
	tools/run-per-architecture.sh --registered $(BUILD) startup_benchmark || status=1; \
	exit $$status

clean:
	rm -rf $(BUILD)

# `make fuzz`: the byte readers under libFuzzer, FUZZ_SECONDS each (`make fuzz FUZZ_SECONDS=10`).
FUZZ_SECONDS := 60

fuzz:
	@tools/setup.sh cmake make clang libclang-rt-14-dev
	@tools/run-fuzz.sh $(BUILD)/fuzz $(FUZZ_SECONDS)

# Windows users' package: $(BUILD)/dist/dravlix-<version>.zip with both architectures and a README.
dist: win32 win64
	@tools/setup.sh zip
	@tools/make-dist.sh $(BUILD)

# `make gallery` starts the Dravlix gallery as `make run` starts Palix; `make screenshots` draws both at 96,
# 120 and 144 dots per inch into docs/.
gallery: win32 win64 prefix
	@tools/start-program.sh $(BUILD) DravlixGallery.exe "Dravlix Gallery" gallery

screenshots: win32 win64 prefix
	@tools/make-screenshots.sh $(BUILD) docs

# Every control created, loaded, activated, changed and released SOAK_CYCLES times; resources must not grow.
SOAK_CYCLES ?= 10000
soak: win32 win64 prefix
	@tools/run-per-architecture.sh $(BUILD) controls_soak $(SOAK_CYCLES)

# Deliberate faults (tools/mutants.txt) put in one at a time; each must make its tests fail. Slow, so not part
# of `make test`; `make mutants MUTANTS=tray` runs only the faults whose id matches.
MUTANTS ?=
mutants: native win64 prefix
	@JOBS=$(JOBS) tools/mutants.sh '$(MUTANTS)'
