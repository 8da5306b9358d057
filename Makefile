# Front door of the Kestan toolkit.
#   make run               start kestan_panel on the simulated PC (Wine)
#   make run PROGRAM=name  any other of the ten programs
#   make run ARCH=win64    the 64-bit Windows build (ARCH=win32: the 32-bit one); by
#                          default the 32-bit build where this host runs 32-bit x86
#                          code (scripts/host-probe.sh), else the 64-bit one
#   make test              install what is missing, build every preset, run every suite
#                          (the 32-bit Wine suites only where 32-bit code runs)
#   make dist              build/dist/kestan-toolkit-{hardware,simulator}.zip (32-bit),
#                          kestan-toolkit-win64-{hardware,simulator}.zip (64-bit),
#                          and the native kit build/dist/kestan-toolkit-linux-<machine>.tar.gz
#   make fuzz              bounded libFuzzer runs of the three fuzz targets, FUZZ_SECONDS
#                          (default 60) shared between them, when clang has libFuzzer
SHELL := /bin/bash
PROGRAM ?= kestan_panel
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 60
# clang's libFuzzer runtime; without it the fuzz step says so and passes.
FUZZER_RUNTIME := $(firstword $(wildcard /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a))

# The Windows build make run starts: ARCH, else the probe's choice.
RUN_ARCH = $(or $(ARCH),$(if $(shell scripts/host-probe.sh >/dev/null && echo yes),win32,win64))

.PHONY: all deps build build-host build-sanitize build-win32 build-win64 build-fuzz test test-host test-sanitize test-win32 test-win64 test-windows fuzz run dist clean

all: build

deps:
	@scripts/install-deps.sh

build/linux/CMakeCache.txt:
	cmake --preset host >/dev/null
build/linux-sanitize/CMakeCache.txt:
	cmake --preset host-sanitize >/dev/null
build/win32/CMakeCache.txt:
	cmake --preset win32 >/dev/null
build/win64/CMakeCache.txt:
	cmake --preset win64 >/dev/null
build/linux-fuzz/CMakeCache.txt:
	cmake --preset host-fuzz >/dev/null

build-host: build/linux/CMakeCache.txt
	cmake --build build/linux -j $(JOBS)
build-sanitize: build/linux-sanitize/CMakeCache.txt
	cmake --build build/linux-sanitize -j $(JOBS)
build-win32: build/win32/CMakeCache.txt
	cmake --build build/win32 -j $(JOBS)
build-win64: build/win64/CMakeCache.txt
	cmake --build build/win64 -j $(JOBS)
build-fuzz: build/linux-fuzz/CMakeCache.txt
	cmake --build build/linux-fuzz -j $(JOBS)

build: deps build-host build-win32 build-win64

test-host: build-host
	ctest --test-dir build/linux --output-on-failure -j $(JOBS)
test-sanitize: build-sanitize
	ctest --test-dir build/linux-sanitize --output-on-failure -j $(JOBS)
# One Windows build's suites under Wine, on a display and in a prefix of their own.
test-win32: build-win32
	scripts/windows-suites.sh win32
test-win64: build-win64
	scripts/windows-suites.sh win64
# Both builds' suites: each under Wine where it runs, else (the 32-bit one on a
# host without 32-bit code) its checks that need no Wine; one line names what did
# not run.
test-windows: build-win32 build-win64
	scripts/windows-suites.sh

fuzz:
ifeq ($(FUZZER_RUNTIME),)
	@mkdir -p build && echo "fuzz: skipped, clang's libFuzzer runtime is not installed" | tee -a build/not-run.txt
else
	$(MAKE) --no-print-directory build-fuzz
	scripts/run-fuzz.sh $(FUZZ_SECONDS)
endif

test: deps
	@mkdir -p build && rm -f build/not-run.txt
	$(MAKE) --no-print-directory test-host
	$(MAKE) --no-print-directory test-sanitize
	$(MAKE) --no-print-directory fuzz
	$(MAKE) --no-print-directory test-windows

run: deps
	@$(MAKE) --no-print-directory build-$(RUN_ARCH)
	@scripts/run.sh $(PROGRAM) $(ARCH)

dist: deps build-win32 build-win64 build-host
	@scripts/make-dist.sh

clean:
	rm -rf build
