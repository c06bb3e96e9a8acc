# Thin wrapper around CMake. `make run` builds and starts the application,
# `make test` builds and runs the tests.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
# `make install` puts the program under PREFIX; DESTDIR stages it elsewhere.
PREFIX ?= /usr/local
DESTDIR ?=

.PHONY: setup configure build run test install clean

setup:
	bash scripts/setup

configure:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKR_WERROR=ON $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/src/app/korvane-r

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

clean:
	rm -rf $(BUILD)
