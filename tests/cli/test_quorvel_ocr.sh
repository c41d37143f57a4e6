#!/bin/bash
# End-to-end checks of 'quorvel ocr' on rendered screenshots: the puzzle read, its map and diagonals, errors.
# Usage: test_quorvel_ocr.sh PATH/TO/quorvel PATH/TO/quadrillo-render
Q=$1
RENDER=$2
source "$(dirname "$0")/checks.sh"
# truth_digits FILE KEY: the 81 ints of a truth array as one string, '.' for 0 when KEY is givens.
truth_digits() {
    tr -d ' \n' <"$1" | grep -o "\"$2\":\[[0-9,]*\]" | sed 's/.*\[//; s/\]//; s/,//g' | { [ "$2" = givens ] && tr 0 . || cat; }
}
render() {  # render NAME SEED OPTIONS...: a clean app screenshot and its truth
    local name=$1 seed=$2
    shift 2
    "$RENDER" --seed "$seed" --style app --photo clean --marks none --out "$tmp/$name" --truth "$tmp/$name.json" "$@" ||
        fail "quadrillo-render $name"
}

render square.png 11 --regions boxes --diagonals none
render jigsaw.png 12 --regions walls --diagonals shade
render tinted.jpg 15 --regions walls --diagonals tint
SQUARE=$(truth_digits "$tmp/square.png.json" givens)
[ ${#SQUARE} -eq 81 ] || fail "could not take the givens out of the truth"

# The rendered clue sets need not be sound puzzles: --unsound prints what was read all the same.
# The plain line: the puzzle as the other commands read it, then the map and the adjacency.
expect_status 0 "$Q" ocr --unsound "$tmp/square.png"
[ "$(cat "$tmp/out")" = "$(printf '%s\tsquare\tregular' "$SQUARE")" ] ||
    fail "square screenshot read as '$(cat "$tmp/out")', truth $SQUARE"
# Jigsaw boards carry their map in the line; marked diagonals make an x puzzle. Both from standard input.
for pic in jigsaw.png tinted.jpg; do
    want="$(truth_digits "$tmp/$pic.json" givens) $(truth_digits "$tmp/$pic.json" regions)"
    "$Q" ocr --unsound <"$tmp/$pic" >"$tmp/out" 2>"$tmp/err" || fail "ocr of $pic from stdin: $(cat "$tmp/err")"
    [ "$(cat "$tmp/out")" = "$(printf '%s\tjigsaw\tx' "$want")" ] ||
        fail "$pic read as '$(cat "$tmp/out")', truth $want"
done
# The line is read back by the puzzle-reading commands.
"$Q" ocr --unsound "$tmp/square.png" 2>/dev/null | cut -f1 | "$Q" classify >/dev/null 2>"$tmp/err" || fail "classify refuses ocr's line: $(cat "$tmp/err")"

# The drawn form: a header naming the picture and the classification, then the 19-line grid.
expect_status 0 "$Q" ocr --unsound --grid "$tmp/square.png"
head -1 "$tmp/out" | grep -qF "# $tmp/square.png: square regular: " || fail "grid header: $(head -1 "$tmp/out")"
[ "$(wc -l <"$tmp/out")" -eq 20 ] || fail "--grid is not a header and a 19-line drawing"

# Errors: a missing file, a file that is no picture and a cut-off PNG fail (1) naming the file;
# the good pictures among them are still read.
printf 'not a picture\n' >"$tmp/notes.txt"
head -c 400 "$tmp/square.png" >"$tmp/cut.png"
expect_status 1 "$Q" ocr "$tmp/no-such.png"; err_has "$tmp/no-such.png: No such file"
expect_status 1 "$Q" ocr "$tmp/notes.txt"; err_has "quorvel ocr: $tmp/notes.txt: not a PNG or JPEG picture"
expect_status 1 "$Q" ocr --unsound "$tmp/cut.png" "$tmp/square.png"; err_has "$tmp/cut.png: PNG"
[ "$(wc -l <"$tmp/out")" -eq 1 ] || fail "a bad picture stopped the reading of the next one"
expect_status 2 "$Q" ocr --bogus "$tmp/square.png"; err_has "unknown option '--bogus'"
[ -s "$tmp/out" ] && fail "a usage error wrote to stdout"
expect_status 0 "$Q" ocr --help
grep -q "^usage: quorvel ocr" "$tmp/out" || fail "ocr --help prints no usage line"

# JSON: parses, and carries the reading and its classification.
if command -v python3 >/dev/null; then
    expect_status 0 "$Q" ocr --unsound --json "$tmp/square.png" "$tmp/jigsaw.png"
    python3 - "$tmp/out" "$SQUARE" <<'EOF' || fail "ocr --json"
import json, sys
rows = [json.loads(line) for line in open(sys.argv[1])]
sq, jig = rows
assert sq["clues"] == sys.argv[2] and sq["map"] == "square" and sq["adjacency"] == "regular", sq
assert sq["regions_found"] and sq["groups"][:12] == "000111222000", sq
assert jig["map"] == "jigsaw" and jig["diagonals_marked"] and jig["puzzle"].startswith(jig["clues"] + " "), jig
assert all(r["solutions"] in ("unique", "multiple", "none") and r["label"] for r in rows), rows
EOF
    # A screenshot whose margin is transparent black reads as a viewer shows it: on white.
    python3 "$(dirname "$0")/clear_margin.py" "$tmp/square.png" "$tmp/clear.png" 150 60 110 50 ||
        fail "could not make a transparent picture"
    expect_status 0 "$Q" ocr --unsound "$tmp/clear.png"
    [ "$(cut -f1 "$tmp/out")" = "$SQUARE" ] || fail "transparent-margin screenshot read as '$(cat "$tmp/out")'"
    # Only the top third of the grid shows (the rest is transparent, read as white): what is read
    # is no sound puzzle, so it is named on stderr with what is wrong and nothing is printed.
    height=$(python3 -c 'import struct, sys; print(struct.unpack(">II", open(sys.argv[1], "rb").read()[16:24])[1])' "$tmp/square.png")
    python3 "$(dirname "$0")/clear_margin.py" "$tmp/square.png" "$tmp/part.png" 0 0 0 $((height * 2 / 3)) ||
        fail "could not make a partial picture"
    expect_status 1 "$Q" ocr "$tmp/part.png"; err_has "$tmp/part.png: not a sound puzzle: "
    [ -s "$tmp/out" ] && fail "an unsound reading was printed: $(cat "$tmp/out")"
    # The square screenshot's clues leave several solutions: a failure without --unsound.
    expect_status 1 "$Q" ocr "$tmp/square.png"; err_has "square.png: not a sound puzzle: the digits read leave several solutions"
else
    echo "python3 not found: JSON, transparency and unsound-reading checks skipped"
fi

[ "$fails" -eq 0 ] && echo "all quorvel ocr checks passed"
exit $((fails > 0))
