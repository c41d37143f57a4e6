#!/bin/bash
# End-to-end checks of quorvel's stock commands, harvest and album: usage errors, reproducibility,
# album round trips, refused album files and JSON.
# Usage: test_quorvel_stock.sh PATH/TO/quorvel PATH/TO/shipped/starter.z
Q=$1
STARTER=$2
source "$(dirname "$0")/checks.sh"

# Usage errors: status 2 and the bad argument named.
expect_status 2 "$Q" harvest --count 0; err_has "--count: '0'"
expect_status 2 "$Q" harvest --map hexagon; err_has "--map: 'hexagon'"
expect_status 2 "$Q" harvest --node-limit; err_has "option --node-limit needs a value"
expect_status 2 "$Q" harvest --store "$tmp/h.z" --count 40; err_has "--count: 40 harvests"
expect_status 2 "$Q" album; err_has "needs 'write FILE' or 'list FILE'"
expect_status 2 "$Q" album erase "$tmp/a.z"; err_has "unknown action 'erase'"
expect_status 2 "$Q" album list; err_has "list needs a FILE"
expect_status 2 "$Q" album write "$tmp/a.z" --games x; err_has "--games: 'x'"
expect_status 2 "$Q" album write "$tmp/a.z" --solutions 60 --puzzles 50; err_has "would not fit the 400"
expect_status 2 "$Q" album list "$STARTER" --bogus; err_has "unknown option '--bogus'"
[ -e "$tmp/a.z" ] && fail "a refused album write left a file"
for c in harvest album; do
    expect_status 0 "$Q" "$c" --help
    grep -q "^usage: quorvel $c" "$tmp/out" || fail "$c --help prints no usage line"
done

# Harvests: the same seed gives the same output whatever the number of jobs; another seed differs.
expect_status 0 "$Q" harvest --seed 11 --count 3 --puzzles -m jigsaw; cp "$tmp/out" "$tmp/h1"
expect_status 0 "$Q" harvest --seed 11 --count 3 --puzzles -m jigsaw --jobs 3
cmp -s "$tmp/h1" "$tmp/out" || fail "--jobs 3 changes the harvests of --seed 11"
expect_status 0 "$Q" harvest --seed 12 --count 3 --puzzles -m jigsaw
cmp -s "$tmp/h1" "$tmp/out" && fail "different seeds gave the same harvests"
[ "$(grep -c '^harvest ' "$tmp/h1")" -eq 3 ] || fail "--count 3 did not give three harvest lines"
# Every puzzle printed under its bucket classifies into that bucket and has one solution.
grep -P '^  [a-z_]+\t' "$tmp/h1" >"$tmp/puzzles"
[ -s "$tmp/puzzles" ] || fail "--puzzles printed no puzzle"
cut -f2 "$tmp/puzzles" | "$Q" classify >"$tmp/rated" || fail "classify of harvested puzzles"
[ "$(cut -f1 "$tmp/puzzles" | tr -d ' ')" = "$(cut -f1 "$tmp/rated")" ] || fail "a harvested puzzle is not in its bucket"
[ "$(cut -f3 "$tmp/rated" | sort -u)" = unique ] || fail "a harvested puzzle has not exactly one solution"

# Album round trip: written twice from one seed (on one and on four threads) the files are equal,
# and they list back with every record of every kind.
expect_status 0 "$Q" album write "$tmp/a.z" --solutions 1 --puzzles 1 --games 1 --seed 7
expect_status 0 "$Q" album write "$tmp/b.z" --solutions 1 --puzzles 1 --games 1 --seed 7 --jobs 4
cmp -s "$tmp/a.z" "$tmp/b.z" || fail "album write --seed 7 is not reproducible across --jobs"
expect_status 0 "$Q" album list "$tmp/a.z"
head -1 "$tmp/out" | grep -qF "4 solutions, 4 puzzles, 4 games" || fail "album list header: $(head -1 "$tmp/out")"
[ "$(wc -l <"$tmp/out")" -eq 13 ] || fail "album list did not give a line per record"
[ "$(grep -c 'jigsaw x ' "$tmp/out")" -eq 3 ] || fail "the album lacks a jigsaw x record in each section"

# Albums by bucket: usage errors, then one kind with every bucket from two harvests and targeted
# searches, and the same kind made again inside a two-kind run on two threads: the same records.
expect_status 2 "$Q" album write "$tmp/a.z" --puzzles 3 --per-bucket 1; err_has "give one of them"
expect_status 2 "$Q" album write "$tmp/a.z" --per-bucket 10; err_has "would not fit the 400"
expect_status 2 "$Q" album write "$tmp/a.z" --per-bucket 1 --map hexagon; err_has "--map: 'hexagon'"
buckets="quickie easy moderately_easy moderate moderately_hard hard vicious fiendish hell beyond_hell"
by_bucket="--per-bucket 1 --harvests 2 --solutions 0 --games 0 --seed 9"
expect_status 0 "$Q" album write "$tmp/pb.z" -m jigsaw -x $by_bucket
grep -qF "jigsaw x: 0 solutions, 10 puzzles, 0 games" "$tmp/out" || fail "--per-bucket 1: $(head -2 "$tmp/out")"
grep -q "^square\|^jigsaw regular" "$tmp/out" && fail "-m jigsaw -x made other kinds too"
expect_status 0 "$Q" album list "$tmp/pb.z"
# Quality word b and the difficulty word the list reads back name the same bucket, each bucket once.
awk '$1 == "puzzle" { print $6, $9 }' "$tmp/out" | sort -n >"$tmp/pb_words"
i=0; want=""
for b in $buckets; do want+="$i $b"$'\n'; i=$((i + 1)); done
[ "$(cat "$tmp/pb_words")" = "${want%$'\n'}" ] || fail "--per-bucket 1 did not give one puzzle per bucket: $(tr '\n' ' ' <"$tmp/pb_words")"
[ "$(grep -c '^puzzle .* jigsaw x ' "$tmp/out")" -eq 10 ] || fail "a --per-bucket puzzle of another kind"
expect_status 0 "$Q" album list --json "$tmp/pb.z"; cp "$tmp/out" "$tmp/pbj"
expect_status 0 "$Q" album write "$tmp/pb2.z" -m jigsaw $by_bucket --jobs 2
grep -qF "jigsaw regular: 0 solutions, 10 puzzles" "$tmp/out" || fail "-m jigsaw lacks jigsaw regular: $(cat "$tmp/out")"
expect_status 0 "$Q" album list --json "$tmp/pb2.z"
[ "$(grep '"adjacency":"x"' "$tmp/out" | sed 's/"index":[0-9]*,//')" = "$(sed 's/"index":[0-9]*,//' "$tmp/pbj")" ] ||
    fail "--per-bucket records of one kind depend on the other kinds made or on --jobs"
# Searches of one solution each and no harvests leave some buckets short: each is named on stderr,
# every other bucket is in the album that is still written, and the run counts as done.
expect_status 0 "$Q" album write "$tmp/ps.z" -m jigsaw -x $by_bucket --harvests 0 --search-attempts 1
cp "$tmp/err" "$tmp/ps_err"
expect_status 0 "$Q" album list "$tmp/ps.z"
grep -q "has 0 of 1 puzzles" "$tmp/ps_err" || fail "no bucket came short with --search-attempts 1"
for b in $buckets; do
    listed=$(awk -v b="$b" '$1 == "puzzle" && $9 == b' "$tmp/out" | wc -l)
    named=$(grep -c "jigsaw x: $b has 0 of 1 puzzles" "$tmp/ps_err")
    [ $((listed + named)) -eq 1 ] || fail "bucket $b: $listed in the album, named short $named times"
done
expect_status 0 "$Q" harvest --seed 3 --count 2 --store "$tmp/h.z"; cp "$tmp/out" "$tmp/hs"
expect_status 0 "$Q" album list --json "$tmp/h.z"; cp "$tmp/out" "$tmp/hj"

# Refused album files: named on stderr, status 1, whatever is wrong with them.
expect_status 1 "$Q" album list "$tmp/missing.z"; err_has "$tmp/missing.z: No such file"
head -c 200 /dev/urandom >"$tmp/noise.z"
expect_status 1 "$Q" album list "$tmp/noise.z"; err_has "$tmp/noise.z: not a zlib-compressed album"
head -c 2000 "$tmp/a.z" >"$tmp/cut.z"
expect_status 1 "$Q" album list "$tmp/cut.z"; err_has "$tmp/cut.z: not a zlib-compressed album"
expect_status 1 "$Q" album write "$tmp/no/such/dir/a.z" --solutions 1 --puzzles 0 --games 0; err_has "$tmp/no/such/dir/a.z"
expect_status 0 "$Q" album list "$STARTER"
head -1 "$tmp/out" | grep -qF "8 solutions, 240 puzzles, 8 games" || fail "the shipped starter album: $(head -1 "$tmp/out")"
# A new game of any kind and difficulty starts from the shipped stock: at least four puzzles of every
# kind in every bucket, each filed under the bucket it classifies into.
for kind in "square regular" "square x" "jigsaw regular" "jigsaw x"; do
    i=0
    for b in $buckets; do
        n=$(awk -v k="$kind" -v q="$i" -v b="$b" '$1 == "puzzle" && $3 " " $4 == k && $6 == q && $9 == b' "$tmp/out" | wc -l)
        [ "$n" -ge 4 ] || fail "the shipped starter album holds $n $kind puzzles filed and rated $b"
        i=$((i + 1))
    done
done

if command -v python3 >/dev/null; then
    # An album whose header is wrong or whose length does not match its counts, compressed properly.
    python3 - "$tmp" <<'PY'
import sys, zlib
d = sys.argv[1]
blob = zlib.decompress(open(d + "/a.z", "rb").read())
open(d + "/short.z", "wb").write(zlib.compress(blob[:-1]))
open(d + "/magic.z", "wb").write(zlib.compress(b"SQD0.003" + blob[8:]))
open(d + "/count.z", "wb").write(zlib.compress(blob[:8] + b"   x" + blob[12:]))
PY
    for f in short magic count; do
        expect_status 1 "$Q" album list "$tmp/$f.z"; err_has "$tmp/$f.z: not an album"
    done
    # The stored harvests: a solution per harvest and every puzzle received, each in its bucket,
    # with its clues taken from the solution it was dug from; all JSON parses.
    python3 - "$tmp/hj" "$tmp/hs" <<'PY' || fail "stored harvests or JSON"
import json, sys
buckets = ["quickie", "easy", "moderately_easy", "moderate", "moderately_hard", "hard", "vicious", "fiendish",
           "hell", "beyond_hell"]
records = [json.loads(line) for line in open(sys.argv[1])]
received = sum(int(line.split()[1]) for line in open(sys.argv[2]) if line.startswith("  "))
solutions = [r for r in records if r["section"] == "solution"]
puzzles = [r for r in records if r["section"] == "puzzle"]
assert len(solutions) == 2 and len(puzzles) == received, (len(solutions), len(puzzles), received)
assert all(r["clue_count"] == 0 for r in solutions)
for p in puzzles:
    assert p["label"] == buckets[p["quality"]], p
    assert any(all(c in ".%s" % d for c, d in zip(p["clues"], s["solution"])) for s in solutions), p
PY
    # Every record's group colours tell apart the groups that share an edge (records from targeted
    # searches come without colours: the album makes them), and are colour numbers 0..3.
    expect_status 0 "$Q" album list --json "$tmp/pb2.z"
    python3 - "$tmp/pb2.z" "$tmp/out" <<'PY' || fail "group colours of a --per-bucket album"
import json, struct, sys, zlib
blob = zlib.decompress(open(sys.argv[1], "rb").read())
records = [json.loads(line) for line in open(sys.argv[2])]
assert len(records) == 20, len(records)
for i, r in enumerate(records):
    colors = struct.unpack_from("<9i", blob, 80 + 5232 * i + 5184)
    g = [int(c) for c in r["groups"]]
    assert all(0 <= c < 4 for c in colors), (i, colors)
    for k in range(81):
        for n in ([k + 1] if k % 9 < 8 else []) + ([k + 9] if k < 72 else []):
            assert g[k] == g[n] or colors[g[k]] != colors[g[n]], (i, k, n, colors)
PY
    check_json() { python3 -c 'import json,sys
for line in sys.stdin: json.loads(line)' <"$tmp/out" || fail "JSON of '$*' does not parse"; }
    expect_status 0 "$Q" harvest --seed 1 --count 2 --json -x; check_json harvest
    expect_status 0 "$Q" album write "$tmp/c.z" --solutions 1 --puzzles 0 --games 0 --json; check_json album write
else
    echo "python3 not found: JSON and damaged-album checks skipped"
fi

[ "$fails" -eq 0 ] && echo "all quorvel stock checks passed"
exit $((fails > 0))
