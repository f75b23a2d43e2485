#!/usr/bin/env bash
# Kills the real program with SIGKILL in the middle of work and starts it again: the next start must offer
# the recovery file and bring back exactly what its last complete write held. Starts itself again inside an
# X server (xvfb-run) and drives the program through its own keyboard input.   recovery_kill.sh PROGRAM
set -euo pipefail
if [ -z "${NUMBALO_IN_XVFB:-}" ]; then
  for tool in xvfb-run xdotool; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing: install the Debian packages xvfb, xauth and xdotool (./build.sh test does)"; exit 1; }
  done
  NUMBALO_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" bash "$0" "$@"
fi
work=$(mktemp -d) XDG_RUNTIME_DIR=$(mktemp -d) # mktemp makes them 0700, as the runtime folder must be
export XDG_RUNTIME_DIR QT_QPA_PLATFORM=xcb QT_LOGGING_RULES='qt.*=false'
pid= failures=0 rcv=$work/numbalo.rcv main='^Zarvello Quorvex 98 - '
trap '[ -n "$pid" ] && kill -9 "$pid" 2>/dev/null; rm -rf "$work" "$XDG_RUNTIME_DIR"' EXIT
cp "$1" "$work/numbalo"

fail() { echo "FAIL: $scenario: $*"; failures=$((failures + 1)); }
window() { timeout 20 xdotool search --sync --onlyvisible --name "$1" 2>/dev/null | head -n 1; sleep 0.5; }
keys() { xdotool windowfocus --sync "$(window "$main")" && xdotool key --delay 40 "$@"; }
answer() { # the question box with this title, answered with a key ("y" はい, "n" いいえ)
    local id; id=$(window "^$1\$") || true
    [ -n "$id" ] && xdotool windowfocus --sync "$id" && xdotool key "$2" && sleep 0.5 || fail "no question \"$1\""
}
inode() { stat -c '%i %y' "$rcv" 2>/dev/null || echo none; } # a new file: new inode or time
wait_for_write() { # until the recovery file is replaced after the given one
    for _ in $(seq 100); do [ "$(inode)" != "$1" ] && [ -f "$rcv" ] && { sleep 0.3; return 0; }; sleep 0.1; done
    fail "the recovery file was not written"
}
step() { local before; before=$(inode); "$@"; wait_for_write "$before"; } # a command, then the write it causes
start() { (cd "$work" && exec ./numbalo) >/dev/null 2>&1 & pid=$!; }
stop() { kill -9 "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; pid=; }
fresh_start() { stop; rm -f "$rcv" "$work/numbalo.rcv.bad"; start; window "$main" >/dev/null; }
# Kills the program, starts it again, answers Yes and checks that the file the restored program writes
# holds what the one written before the kill held.
kill_and_restore() {
    local kept written; kept=$(cat "$rcv") written=$(inode)
    stop
    [ -z "$(find "$work" -name 'numbalo.rcv?*' ! -name numbalo.rcv.lock)" ] || fail "stray files: $(ls "$work")"
    start
    answer '復元' y
    wait_for_write "$written"
    [ "$(cat "$rcv")" = "$kept" ] || fail "restored state differs: $(diff <(echo "$kept") "$rcv" | head -n 6)"
    echo "restored ($scenario): $(grep -m1 '^run' "$rcv"); $(grep -m1 '^calls' "$rcv")"
}

scenario="unsaved edits"
fresh_start
step keys 1 2 Right 3 4 Tab at
kill_and_restore
keys alt+f x # a normal close, discarding the changes, removes the file
answer 'Zarvello Quorvex 98' n
timeout 10 tail --pid="$pid" -f /dev/null || fail "the program did not close"
[ ! -e "$rcv" ] || fail "a normal close left the recovery file"

scenario="a game typed by hand"
fresh_start
keys 5 Right 7 Right 9 Right 1 1 Right 1 3 F5
answer '開始' y
step keys 5 Return 7 Return 2 3 Return
kill_and_restore
step keys 9 Return # the next call continues the same game
grep -q '5 7 23 9' "$rcv" || fail "the game did not go on: $(cat "$rcv")"

scenario="after a take-back"
step eval "keys ctrl+z; answer '取り消し' y"
grep -q '5 7 23$' "$rcv" || fail "the take-back was not written: $(cat "$rcv")"
kill_and_restore

scenario="a rolling roulette"
printf '<RunMode>\r\n 1 \r\n<MinNumber>\r\n 0 \r\n<MaxNumber>\r\n 99 \r\n' >"$work/numbalo.ini"
fresh_start
keys F5
answer '開始' y
step eval 'sleep 0.3; keys Return; sleep 0.3; keys Return' # a call, then the roulette rolls again
kill_and_restore
step keys Return # it rolls on after the restore: Enter calls its number

echo "$((4 - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
