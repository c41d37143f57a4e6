# Thin front door over the CMake presets. `make run` plays, `make test` checks everything.
PKGS := cmake g++ make binutils pkg-config libgtest-dev libbenchmark-dev zlib1g-dev libpng-dev libjpeg62-turbo-dev \
  libcairo2-dev libfontconfig-dev fonts-dejavu-core fonts-liberation2 fonts-freefont-ttf fonts-urw-base35 \
  fonts-noto-core fonts-roboto fonts-open-sans fonts-lato fonts-cantarell
SUDO := $(shell [ "$$(id -u)" -eq 0 ] || echo sudo)
JOBS ?= $(shell nproc)
BIN := ./build/release/bin

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

# Until the desktop program lands: a fresh puzzle of each difficulty 0..7 with its classification
# (8 and 9 can take minutes), then a jigsaw x puzzle drawn with its solution.
run: build
	@for q in 0 1 2 3 4 5 6 7; do \
	  p=$$($(BIN)/quorvel generate --quality $$q) || exit 1; \
	  printf 'quality %s  %s  ' $$q "$$p"; $(BIN)/quorvel classify -p "$$p" | cut -f1,5; \
	done
	@$(BIN)/quorvel generate --quality 3 --map jigsaw -x --grid

test: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS)
	ctest --preset release -j $(JOBS)
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)

bench: build
	@for b in build/release/bench/bench_*; do [ -x "$$b" ] && "$$b"; done; true
	$(BIN)/quorvel bench

clean:
	rm -rf build
