#!/bin/bash
# Runs one fuzz target for SECONDS on a scratch copy of its seed corpus, so the repository's corpus
# is read but never written. New inputs stay in the scratch directory; a crash leaves its input in
# the current directory and fails the run.
# Usage: run_fuzz.sh FUZZER CORPUS_DIR SECONDS [libFuzzer options...]
set -u
fuzzer=$1 corpus=$2 seconds=$3
shift 3
work=$(mktemp -d /tmp/quadrillo-fuzz-XXXXXX)
trap 'rm -rf "$work"' EXIT
cp -r "$corpus"/. "$work"/
# Each unit gets 10 s before it counts as a hang; target output is closed (sanitizer reports still show).
"$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -close_fd_mask=3 -print_final_stats=1 \
  "$@" "$work" 2>&1 | grep -E "^(stat::number_of_executed_units|stat::new_units_added|#[0-9]+ *DONE)|ERROR|SUMMARY|crash-|timeout-|leak-|Test unit written" 
exit "${PIPESTATUS[0]}"
