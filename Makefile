# Thin front door over the CMake presets. `make run` plays, `make test` checks everything.
PKGS := cmake g++ make binutils pkg-config libgtest-dev libbenchmark-dev zlib1g-dev libpng-dev libjpeg62-turbo-dev \
  libcairo2-dev libfontconfig-dev fonts-dejavu-core fonts-liberation2 fonts-freefont-ttf fonts-urw-base35 \
  fonts-noto-core fonts-roboto fonts-open-sans fonts-lato fonts-cantarell
SUDO := $(shell [ "$$(id -u)" -eq 0 ] || echo sudo)
JOBS ?= $(shell nproc)

.PHONY: deps run test build bench clean

deps:
	@missing=$$(for p in $(PKGS); do dpkg -s $$p >/dev/null 2>&1 || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "installing:" $$missing; \
	  $(SUDO) apt-get update && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y --no-install-recommends $$missing; \
	fi

build: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS)

run: build
	./build/release/bin/quadrillo-cli

test: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS)
	ctest --preset release -j $(JOBS)
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)

bench: build
	@for b in build/release/bench/bench_*; do [ -x "$$b" ] && "$$b"; done; true

clean:
	rm -rf build
