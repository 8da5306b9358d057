# Front door of the Kestan toolkit.
#   make run               start kestan_panel on the simulated PC (Wine)
#   make run PROGRAM=name  any other of the ten programs
#   make test              install what is missing, build both presets, run every suite
#   make dist              build/dist/kestan-toolkit-hardware.zip and -simulator.zip,
#                          and the native kit build/dist/kestan-toolkit-linux-<machine>.tar.gz
#   make fuzz              bounded libFuzzer runs of the three fuzz targets, FUZZ_SECONDS
#                          (default 60) shared between them, when clang has libFuzzer
SHELL := /bin/bash
PROGRAM ?= kestan_panel
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 60
# clang's libFuzzer runtime; without it the fuzz step says so and passes.
FUZZER_RUNTIME := $(firstword $(wildcard /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a))

.PHONY: all deps build build-host build-sanitize build-win32 build-fuzz test test-host test-sanitize test-win32 fuzz run dist clean

all: build

deps:
	@scripts/install-deps.sh

build/linux/CMakeCache.txt:
	cmake --preset host >/dev/null
build/linux-sanitize/CMakeCache.txt:
	cmake --preset host-sanitize >/dev/null
build/win32/CMakeCache.txt:
	cmake --preset win32 >/dev/null
build/linux-fuzz/CMakeCache.txt:
	cmake --preset host-fuzz >/dev/null

build-host: build/linux/CMakeCache.txt
	cmake --build build/linux -j $(JOBS)
build-sanitize: build/linux-sanitize/CMakeCache.txt
	cmake --build build/linux-sanitize -j $(JOBS)
build-win32: build/win32/CMakeCache.txt
	cmake --build build/win32 -j $(JOBS)
build-fuzz: build/linux-fuzz/CMakeCache.txt
	cmake --build build/linux-fuzz -j $(JOBS)

build: deps build-host build-win32

test-host: build-host
	ctest --test-dir build/linux --output-on-failure -j $(JOBS)
test-sanitize: build-sanitize
	ctest --test-dir build/linux-sanitize --output-on-failure -j $(JOBS)
test-win32: build-win32
	scripts/xvfb-session.sh scripts/wine-session.sh \
	  ctest --test-dir build/win32 --output-on-failure -j $(JOBS)

fuzz:
ifeq ($(FUZZER_RUNTIME),)
	@echo "fuzz: skipped, clang's libFuzzer runtime is not installed"
else
	$(MAKE) --no-print-directory build-fuzz
	scripts/run-fuzz.sh $(FUZZ_SECONDS)
endif

test: deps
	$(MAKE) --no-print-directory test-host
	$(MAKE) --no-print-directory test-sanitize
	$(MAKE) --no-print-directory fuzz
	$(MAKE) --no-print-directory test-win32

run: deps build-win32
	@scripts/run.sh $(PROGRAM)

dist: deps build-win32 build-host
	@scripts/make-dist.sh

clean:
	rm -rf build
