#!/bin/bash
# The bench's signature depends on results only: two runs of the quick workload must agree.
# Usage: test_bench_signature.sh PATH/TO/quorvel
set -u
first=$("$1" bench --quick) || { echo "FAIL: bench --quick exited $?"; exit 1; }
second=$("$1" bench --quick) || { echo "FAIL: bench --quick exited $?"; exit 1; }
echo "$first"
a=$(grep '^signature ' <<<"$first")
b=$(grep '^signature ' <<<"$second")
[ -n "$a" ] || { echo "FAIL: no signature line"; exit 1; }
[ "$a" = "$b" ] || { echo "FAIL: signatures differ: '$a' then '$b'"; exit 1; }
echo "same $a twice"
