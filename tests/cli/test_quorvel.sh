#!/bin/bash
# End-to-end checks of the quorvel program: exit statuses, messages, reproducibility, round trips, JSON.
# Usage: test_quorvel.sh PATH/TO/quorvel
Q=$1
source "$(dirname "$0")/checks.sh"

CLASSIC="53..7....6..195....98....6.8...6...34..8.3..17...2...6.6....28....419..5....8..79"
CLASSIC_SOLUTION="534678912672195348198342567859761423426853791713924856961537284287419635345286179"
NO_SOLUTION="12345678.........9..............................................................."
MANY="1................................................................................"

# Usage errors: status 2, a message on stderr naming the bad argument, nothing on stdout.
expect_status 2 "$Q"
expect_status 2 "$Q" frob; err_has "unknown command 'frob'"
expect_status 2 "$Q" generate --quality 12; err_has "--quality: '12'"
expect_status 2 "$Q" generate --count abc; err_has "--count: 'abc'"
expect_status 2 "$Q" generate --jobs; err_has "option --jobs needs a value"
expect_status 2 "$Q" generate --map hexagon; err_has "--map: 'hexagon'"
expect_status 2 "$Q" classify --bogus; err_has "unknown option '--bogus'"
expect_status 2 "$Q" hint --before nothing -p "$CLASSIC"; err_has "--before: 'nothing'"
expect_status 2 "$Q" transform --digits 112345678 -p "$CLASSIC"; err_has "--digits: '112345678'"
expect_status 2 "$Q" transform --symmetry 8 -p "$CLASSIC"; err_has "--symmetry: '8'"
[ -s "$tmp/out" ] && fail "a usage error wrote to stdout"
for c in generate classify solve hint transform bench; do
    expect_status 0 "$Q" "$c" --help
    grep -q "^usage: quorvel $c" "$tmp/out" || fail "$c --help prints no usage line"
done
expect_status 1 "$Q" classify no-such-file.txt; err_has "no-such-file.txt"

# Bad puzzle lines: named by place and refused (status 1), or skipped with --skip-bad.
printf '%s\n' "$CLASSIC" "123" "${CLASSIC:0:80}x" "11${CLASSIC:2}" \
    "$CLASSIC 00000000011111111122222222233333333344444444455555555566666666677777777788888888x" \
    "$CLASSIC 000000000111111111222222222333333333444444444555555555666666666777777777888888880" \
    "# a comment" "" "$CLASSIC" >"$tmp/bad.txt"
expect_status 1 "$Q" classify "$tmp/bad.txt"
err_has "bad.txt:2: 3 characters"
[ "$(wc -l <"$tmp/out")" -eq 1 ] || fail "classify went on past a bad line without --skip-bad"
expect_status 0 "$Q" classify --skip-bad "$tmp/bad.txt"
err_has "bad.txt:3: stray character 'x' at clue 81"
err_has "bad.txt:4: contradicting clues: digit 1 twice in row 1"
err_has "bad.txt:5: stray character 'x' at group 81"
err_has "bad.txt:6: invalid group map: group 0 has 10 cells"
[ "$(wc -l <"$tmp/out")" -eq 2 ] || fail "--skip-bad should classify the two good lines"
# The anti-diagonal is a house only on x games.
ANTI="........1$(printf '.%.0s' {1..63})1........"  # r1c9 and r9c1
expect_status 0 "$Q" classify -p "$ANTI"
expect_status 1 "$Q" classify -x -p "$ANTI"; err_has "twice in anti-diagonal"

# Known puzzles: classification and the three kinds of solution count.
expect_status 0 "$Q" classify -p "$CLASSIC"
out_is "$(printf 'easy\t0\tunique\t30\tEasy — Naked Singles only')"
expect_status 0 "$Q" solve -p "$CLASSIC"; out_is "1 $CLASSIC_SOLUTION"
expect_status 0 "$Q" solve -p "$NO_SOLUTION"; out_is "0"
expect_status 0 "$Q" solve -p "$MANY"
read -r count example <"$tmp/out"
[ "$count" = many ] || fail "a nearly empty grid should have many solutions, got '$count'"
expect_status 0 "$Q" solve -p "$example"; out_is "1 $example"
[ "${example:0:1}" = 1 ] || fail "the example solution ignores the clue"
expect_status 0 "$Q" classify -p "$MANY"
[ "$(cut -f1,3 "$tmp/out")" = "$(printf 'unsolvable\tmultiple')" ] || fail "classify of a grid with many solutions"
# A time limit too short for the ladder: each puzzle is reported undecided, the run ends with 1.
expect_status 1 "$Q" classify --time-limit 1 -p "$MANY" -p "$MANY"
[ "$(cut -f1,3 "$tmp/out" | sort -u)" = "$(printf 'undecided\tundecided')" ] || fail "classify past its time limit"
expect_status 1 "$Q" solve --time-limit 1 -p "$MANY"; out_is "undecided"
expect_status 0 "$Q" solve --time-limit 60000 -p "$CLASSIC"; out_is "1 $CLASSIC_SOLUTION"
expect_status 2 "$Q" classify --time-limit 0 -p "$CLASSIC"; err_has "--time-limit: '0'"
# A jigsaw group in two pieces is no map (and its puzzles could keep the search busy for seconds).
SPLIT="..3..9...329.1...6$(printf '.%.0s' {1..63}) 012223333011222333011222634011555444511058664000555664077888364777888664777758864"
expect_status 1 "$Q" classify -x -p "$SPLIT"; err_has "group 0 is not one connected piece"

# Reproducibility: the same seed gives the same puzzles, whatever the number of jobs.
expect_status 0 "$Q" generate --seed 42 --count 6 --quality 2 --map jigsaw -x; cp "$tmp/out" "$tmp/gen1"
expect_status 0 "$Q" generate --seed 42 --count 6 --quality 2 --map jigsaw -x --jobs 3; cp "$tmp/out" "$tmp/gen3"
cmp -s "$tmp/gen1" "$tmp/gen3" || fail "--jobs 3 changes the output of --seed 42"
[ "$(wc -l <"$tmp/gen1")" -eq 6 ] || fail "--count 6 did not give six lines"
expect_status 0 "$Q" generate --seed 43 --count 6 --quality 2 --map jigsaw -x
cmp -s "$tmp/gen1" "$tmp/out" && fail "different seeds gave the same puzzles"
grep -qvE '^[1-9.]{81} [0-8]{81}$' "$tmp/gen1" && fail "jigsaw lines are not 81 clues and an 81-digit map"

# Round trip: generated puzzles are unique, and their solution keeps every clue.
expect_status 0 "$Q" classify -x "$tmp/gen1"
[ "$(cut -f3 "$tmp/out" | sort -u)" = unique ] || fail "generated puzzles are not all unique"
expect_status 0 "$Q" solve -x "$tmp/gen1"
paste -d' ' "$tmp/gen1" "$tmp/out" | while read -r clues groups count solution; do
    [ "$count" = 1 ] || { echo "FAIL: solve of $clues gave $count"; continue; }
    for ((k = 0; k < 81; k++)); do
        c=${clues:k:1}
        [ "$c" = . ] || [ "$c" = "${solution:k:1}" ] || { echo "FAIL: solution breaks clue $k of $clues"; break; }
    done
done | grep -q FAIL && fail "generate -> solve round trip"

# Transform: the inverse undoes a turn with renamed digits (map included); --all starts with the identity.
JIG=$(head -1 "$tmp/gen1")
expect_status 0 "$Q" transform -t rotate-cw -d 918273645 -p "$JIG"; turned=$(cat "$tmp/out")
[ "$turned" = "$JIG" ] && fail "rotate-cw changed nothing"
expect_status 0 "$Q" transform -t rotate-cw -d 918273645 --inverse -p "$turned"; out_is "$JIG"
expect_status 0 "$Q" transform --all -p "$CLASSIC"
[ "$(head -1 "$tmp/out")" = "$CLASSIC" ] || fail "--all does not start with the identity"
[ "$(sort -u "$tmp/out" | wc -l)" -eq 8 ] || fail "--all did not give eight different grids"
cp "$tmp/out" "$tmp/all8"
expect_status 0 "$Q" classify "$tmp/all8"
[ "$(cut -f1,2 "$tmp/out" | sort -u | wc -l)" -eq 1 ] || fail "the eight symmetries classify differently"

# Standard input ('-' or no file) and the drawn forms, with the classification in the header.
printf '%s\n' "$CLASSIC" | "$Q" solve --grid - >"$tmp/out" 2>"$tmp/err" || fail "solve --grid from stdin"
[ "$(head -1 "$tmp/out")" = "1 solution" ] && [ "$(wc -l <"$tmp/out")" -eq 20 ] || fail "solve --grid drawing"
head -1 "$tmp/gen1" | "$Q" classify -x >"$tmp/out" || fail "classify from stdin"
expect_status 0 "$Q" generate --seed 42 --quality 2 --map jigsaw -x --grid
head -1 "$tmp/out" | grep -qF "# 1: quality 2, jigsaw x: $(cut -f1 <<<"$(head -1 "$tmp/gen1" | "$Q" classify -x)")" ||
    fail "grid header: $(head -1 "$tmp/out")"
[ "$(wc -l <"$tmp/out")" -eq 41 ] || fail "--grid is not a header, two drawings and a blank line"

# Hints: by default just before the hardest technique the puzzle needs (naked singles here);
expect_status 0 "$Q" hint -p "$CLASSIC"
head -1 "$tmp/out" | grep -qF "candidates before naked-single (0)" || fail "default hint technique"
# a drawing of 37 lines under a header naming the technique.
expect_status 0 "$Q" hint --before hidden-single -p "$CLASSIC"
head -1 "$tmp/out" | grep -qF "candidates before hidden-single (1)" || fail "hint header"
[ "$(wc -l <"$tmp/out")" -eq 38 ] || fail "hint drawing is not 37 lines"

# JSON output parses (when python3 is there to read it).
if command -v python3 >/dev/null; then
    check_json() { python3 -c 'import json,sys
for line in sys.stdin: json.loads(line)' <"$tmp/out" || fail "JSON of '$*' does not parse"; }
    expect_status 0 "$Q" hint --before hidden-single --json -p "$CLASSIC"; check_json hint
    expect_status 0 "$Q" generate --seed 1 --count 2 --json -m jigsaw; check_json generate
    expect_status 0 "$Q" classify --json --cells -p "$CLASSIC" -p "$MANY"; check_json classify
    expect_status 0 "$Q" solve --json -p "$CLASSIC" -p "$NO_SOLUTION"; check_json solve
    expect_status 0 "$Q" transform --json --all -p "$CLASSIC"; check_json transform
    expect_status 0 "$Q" bench --quick --json; check_json bench
else
    echo "python3 not found: JSON checks skipped"
fi

[ "$fails" -eq 0 ] && echo "all quorvel checks passed"
exit $((fails > 0))
