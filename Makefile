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
PREFIX ?= /usr/local

.PHONY: all deps configure build run screenshot install package check soak bench clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# Without a display: a few seconds on a private Xvfb and a screenshot.
run: build
	@if [ -z "$$DISPLAY" ]; then \
	  echo "make run: no DISPLAY is set; running on a private Xvfb instead."; \
	  scripts/screenshot $(BUILD)/lunaclock $(BUILD)/screenshot.png; \
	else \
	  $(BUILD)/lunaclock; \
	fi

# The picture in the README.
screenshot: build
	@mkdir -p docs
	@scripts/screenshot $(BUILD)/lunaclock docs/screenshot.png

# DESTDIR is passed on to cmake --install through the environment.
install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix $(PREFIX)

package: build
	cd $(BUILD) && cpack -G DEB

# The long runs (label soak) are left to `make soak`.
check: build
	cd $(BUILD) && ctest --output-on-failure -LE soak

soak: build
	cd $(BUILD) && ctest --output-on-failure -L soak

# docs/accuracy.md: the phase instants and distances against published tables.
.PHONY: accuracy
accuracy: build
	@$(BUILD)/accuracy_report > docs/accuracy.md

# Micro-benchmarks and whole-process figures beside xclock; writes
# docs/performance.md (about 5 minutes).
bench: build
	bench/run_bench.sh $(BUILD)

clean:
	rm -rf build build-sanitize build-release
