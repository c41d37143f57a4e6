#!/bin/bash
# Seeded generation and classification give exactly the puzzles and verdicts recorded here (md5 of
# the output): work on the solver's speed must not change a byte of what it makes or says.
# Usage: test_recorded_outputs.sh PATH/TO/quorvel PATH/TO/se-rated-2593.txt
Q=$1
RATED=$2
source "$(dirname "$0")/checks.sh"

# expect_md5 DIGEST ARGS...: the first 16 hex digits of the md5 of quorvel's stdout.
expect_md5() {
    local want=$1
    shift
    local got
    got=$("$Q" "$@" 2>/dev/null | md5sum | cut -c1-16)
    [ "$got" = "$want" ] || fail "quorvel $* printed output with md5 $got, recorded $want"
}

# Every kind, from hidden singles up to finned fish: generation runs every rung of the technique
# ladder on thousands of clue sets, so a changed scan order shows up here.
expect_md5 18407ca8ed3d2a06 generate -q 2 -s 4242 -n 10
expect_md5 40b1864c64a89758 generate -q 4 -m square -x -s 4242 -n 4
expect_md5 e150333eef6589bb generate -q 4 -m jigsaw -s 4242 -n 4
expect_md5 783ee5cba8a79b5f generate -q 5 -m jigsaw -x -s 4242 -n 3
expect_md5 649e29f30bab1695 generate -q 6 -s 4242 -n 2
expect_md5 b4923e7b65794c37 generate -q 7 -m jigsaw -s 4242 -n 1
expect_md5 d1587a98654f64e5 generate -q 8 -m square -x -s 4242 -n 1

# The 200 hardest rated puzzles, classified cell by cell (read from a file named as recorded, since
# each verdict names its file and line).
tail -200 "$RATED" | cut -c1-81 >"$tmp/rated.txt"
cd "$tmp" || exit 1
expect_md5 ee507b36f0b4dd69 classify --cells --json rated.txt

[ "$fails" -eq 0 ] || exit 1
echo "recorded outputs: all match"
