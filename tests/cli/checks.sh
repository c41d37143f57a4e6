# Helpers the quorvel end-to-end scripts source: a scratch directory, failure counting, status and output checks.
set -u
fails=0
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

fail() { echo "FAIL: $*"; fails=$((fails + 1)); }
# expect_status STATUS COMMAND...: runs the command, keeps stdout/stderr in $tmp/out, $tmp/err.
expect_status() {
    local want=$1
    shift
    "$@" >"$tmp/out" 2>"$tmp/err"
    local got=$?
    [ "$got" -eq "$want" ] || fail "'$*' exited $got, expected $want; stderr: $(head -c 300 "$tmp/err")"
}
err_has() { grep -qF -- "$1" "$tmp/err" || fail "stderr lacks '$1': $(head -c 300 "$tmp/err")"; }
out_is() { [ "$(cat "$tmp/out")" = "$1" ] || fail "stdout is '$(head -c 300 "$tmp/out")', expected '$1'"; }
