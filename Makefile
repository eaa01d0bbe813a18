# Front end to CMake. `make run` and `make check` do all the set-up a fresh
# Debian machine needs (scripts/install-deps installs what is missing).

SANITIZE ?=
ifeq ($(SANITIZE),)
BUILD ?= build
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo
else
BUILD ?= build-sanitize
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=Debug -DLUNACLOCK_SANITIZE=ON
endif
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps configure build run check bench clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -z "$$DISPLAY" ]; then \
	  echo "make run: no DISPLAY is set, so there is no X display to open the window on." >&2; \
	  echo "make run: run it from an X session, or set DISPLAY (e.g. DISPLAY=:0 make run)." >&2; \
	  exit 1; \
	fi
	$(BUILD)/lunaclock

check: build
	cd $(BUILD) && ctest --output-on-failure

# Micro-benchmarks and whole-process figures beside xclock; writes
# docs/performance.md (about 5 minutes).
bench: build
	bench/run_bench.sh $(BUILD)

clean:
	rm -rf build build-sanitize
