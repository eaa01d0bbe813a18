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
# What `make install` and `make package` ship: an optimised, hardened build of
# its own, without the tests.
RELEASE_BUILD ?= build-release
RELEASE_FLAGS ?= -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
# The app-defaults file of the source tree, found as an installed one is.
APP_DEFAULTS = XFILESEARCHPATH='$(CURDIR)/data/%T/%N'

.PHONY: all deps configure build release run screenshot install package check soak bench clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

release:
	@$(MAKE) --no-print-directory build BUILD='$(RELEASE_BUILD)' CMAKE_FLAGS='$(RELEASE_FLAGS)'

# With the shipped app-defaults file. Without a display: a few seconds on a
# private Xvfb and a screenshot.
run: build
	@if [ -z "$$DISPLAY" ]; then \
	  echo "make run: no DISPLAY is set; running on a private Xvfb instead."; \
	  $(APP_DEFAULTS) scripts/screenshot $(BUILD)/lunaclock $(BUILD)/screenshot.png; \
	else \
	  $(APP_DEFAULTS) $(BUILD)/lunaclock; \
	fi

# The picture in the README: the shipped look, and nothing of the caller's
# own resources (~/.Xdefaults, XENVIRONMENT).
screenshot: build
	@mkdir -p docs
	@home=$$(mktemp -d) && trap 'rm -rf "$$home"' EXIT && \
	  HOME="$$home" XENVIRONMENT=/dev/null XUSERFILESEARCHPATH="$$home/%N" $(APP_DEFAULTS) \
	  scripts/screenshot $(BUILD)/lunaclock docs/screenshot.png

# DESTDIR is passed on to cmake --install through the environment.
install: release
	DESTDIR="$(DESTDIR)" cmake --install $(RELEASE_BUILD) --prefix $(PREFIX) --strip

package: release
	cd $(RELEASE_BUILD) && cpack -G DEB

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
	rm -rf build build-sanitize build-werror $(RELEASE_BUILD)
