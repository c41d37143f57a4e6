# Thin front door over the CMake presets. `make run` plays, `make test` checks everything.
PKGS := cmake g++ clang libclang-rt-14-dev make binutils pkg-config libgtest-dev libcli11-dev nlohmann-json3-dev zlib1g-dev libpng-dev libjpeg62-turbo-dev \
  libcairo2-dev libfontconfig-dev fonts-dejavu-core fonts-liberation2 fonts-freefont-ttf fonts-urw-base35 \
  fonts-noto-core fonts-roboto fonts-open-sans fonts-lato fonts-cantarell \
  libgtk-3-dev libcanberra-gtk3-dev libx11-dev python3 xvfb xauth xdotool x11-utils imagemagick \
  dbus-x11 at-spi2-core python3-pyatspi gir1.2-atspi-2.0 adwaita-icon-theme poppler-utils \
  gettext desktop-file-utils appstream lintian dpkg-dev man-db bash-completion
SUDO := $(shell [ "$$(id -u)" -eq 0 ] || echo sudo)
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 300
BIN := ./build/release/bin

.PHONY: deps run test build bench fuzz package install clean

deps:
	@missing=$$(for p in $(PKGS); do dpkg -s $$p >/dev/null 2>&1 || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "installing:" $$missing; \
	  $(SUDO) apt-get update && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y --no-install-recommends $$missing; \
	fi

build: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS)

# Starts the game. Without a display it says so, tells how to start it, and shows the engine at
# work through the command-line tool instead.
run: build
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then exec $(BIN)/quadrillo $(ARGS); fi; \
	echo "No display here: to play, run 'make run' (or $(BIN)/quadrillo) in a desktop session; meanwhile the engine at work:"; \
	$(BIN)/quorvel generate --quality 3 --map jigsaw -x --grid

test: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS)
	ctest --preset release -j $(JOBS)
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS)
	ctest --preset fuzz
	cmake --preset tsan
	cmake --build --preset tsan -j $(JOBS)
	ctest --preset tsan

# Runs every fuzz target for FUZZ_SECONDS (default 300) from its seed corpus; prints the executions,
# the new inputs found, and any crash (whose input is left in build/fuzz).
fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS)
	@status=0; for t in build/fuzz/tests/fuzz/fuzz_*; do \
	  echo "== $${t##*/}"; \
	  (cd build/fuzz && bash ../../tests/fuzz/run_fuzz.sh ../../$$t ../../tests/fuzz/corpus/$${t##*/fuzz_} $(FUZZ_SECONDS)) || status=1; \
	done; exit $$status

bench: build
	@for b in build/release/bench/bench_*; do \
	  case $$b in *bench_startup) xvfb-run -a "$$b" ;; *bench_newgame) "$$b" ;; *) [ -x "$$b" ] && "$$b" ;; esac; \
	done; true
	$(BIN)/quorvel bench

# Installs the release build under PREFIX (default /usr/local; DESTDIR works as usual).
PREFIX ?= /usr/local
install: build
	cmake --install build/release --prefix $(PREFIX)

# The Debian package, in build/release/package/, checked by lintian.
package: build
	cd build/release && cpack -G DEB
	lintian build/release/package/*.deb

clean:
	rm -rf build
