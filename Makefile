# Front door of the Kestan toolkit.
#   make run               start kestan_panel on the simulated PC (Wine)
#   make run PROGRAM=name  any other of the ten programs
#   make test              install what is missing, build both presets, run every suite
SHELL := /bin/bash
PROGRAM ?= kestan_panel
JOBS ?= $(shell nproc)

.PHONY: all deps build build-host build-sanitize build-win32 test test-host test-sanitize test-win32 run dist clean

all: build

deps:
	@scripts/install-deps.sh

build/linux/CMakeCache.txt:
	cmake --preset host >/dev/null
build/linux-sanitize/CMakeCache.txt:
	cmake --preset host-sanitize >/dev/null
build/win32/CMakeCache.txt:
	cmake --preset win32 >/dev/null

build-host: build/linux/CMakeCache.txt
	cmake --build build/linux -j $(JOBS)
build-sanitize: build/linux-sanitize/CMakeCache.txt
	cmake --build build/linux-sanitize -j $(JOBS)
build-win32: build/win32/CMakeCache.txt
	cmake --build build/win32 -j $(JOBS)

build: deps build-host build-win32

test-host: build-host
	ctest --test-dir build/linux --output-on-failure -j $(JOBS)
test-sanitize: build-sanitize
	ctest --test-dir build/linux-sanitize --output-on-failure -j $(JOBS)
test-win32: build-win32
	scripts/xvfb-session.sh scripts/wine-session.sh \
	  ctest --test-dir build/win32 --output-on-failure -j $(JOBS)

test: deps
	$(MAKE) --no-print-directory test-host
	$(MAKE) --no-print-directory test-sanitize
	$(MAKE) --no-print-directory test-win32

run: deps build-win32
	@scripts/run.sh $(PROGRAM)

clean:
	rm -rf build
