#!/bin/sh
# New-game latency of the desktop program, request to drawn board, for all 40 choices from a warm
# stock and from an empty one (a targeted search each, QUADRILLO_BENCH_SEARCH_MS at most, default
# 15000), then the background refill's rate per bucket over QUADRILLO_BENCH_REFILL_S seconds
# (default 30). Runs the game under its own virtual X server, with a fresh data folder.
set -eu
here=$(dirname "$0")
game=${1:-$here/../bin/quadrillo}
home=$(mktemp -d /tmp/quadrillo-bench-XXXXXX)
trap 'rm -rf "$home"' EXIT
XDG_DATA_HOME=$home QUADRILLO_BENCH_NEWGAME=1 NO_AT_BRIDGE=1 xvfb-run -a -s "-screen 0 1600x1000x24" "$game"
