#!/usr/bin/env bash
# The kill test of sending: "SM senden" with a message of five parts in PDU mode is killed
# (SIGKILL) at a random moment of its run, KILLS times, against one varnix-modemsim. Then the
# file of sent messages (gesendet.txt) and the simulator must agree on which parts went out:
# a part on record as sent was taken by the modem (its +CMGS answer is in the transcript), a
# part on record as not sent was not, and a message is in the simulator's outbox (which joins
# the parts of a long message once all are in) exactly when the record has none of its parts
# missing. A part caught between its PDU and the answer is on record as uncertain; how many of
# those went out is counted.
#   bench/kill_send_test.sh [KILLS] [BUILD]        default 20 kills, build folder "build"
# Needs the targets varnix-modemsim and bench_kill_sender built in BUILD.
set -euo pipefail
cd "$(dirname "$0")/.."
kills=${1:-20}
build=${2:-build}
sim="$build/bin/varnix-modemsim"
sender="$build/bin/bench_kill_sender"
for exe in "$sim" "$sender"; do
    [ -x "$exe" ] || { echo "missing $exe: cmake --build $build --target varnix-modemsim bench_kill_sender" >&2; exit 2; }
done

work=$(mktemp -d /tmp/varnix-kill-send.XXXXXX)
sim_pid=
cleanup() { [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null; wait 2>/dev/null || true; }
trap cleanup EXIT
mkdir -p "$work/sms"

"$sim" --link "$work/modem" --no-pin --outbox "$work/outbox.txt" --transcript "$work/transcript.txt" \
    2>"$work/sim.log" &
sim_pid=$!
for _ in $(seq 50); do [ -e "$work/modem" ] && break; sleep 0.1; done

# A run takes about 15 s: start-up, the modem put back into text mode, then twelve exchanges
# of a second each. The kill falls anywhere in it, or (one in five) not at all.
for ((k = 1; k <= kills; ++k)); do
    "$sender" --link "$work/modem" --folder "$work/sms" --mark "$k" >>"$work/sender.log" 2>&1 &
    pid=$!
    delay=$(awk -v r="$RANDOM" 'BEGIN { printf "%.2f", 0.5 + r / 32767 * 18 }')
    sleep "$delay"
    if kill -KILL "$pid" 2>/dev/null; then
        when="killed at $delay s"
    else
        when="ended before $delay s"
    fi
    wait "$pid" 2>/dev/null || true
    printf 'run %2d: %s\n' "$k" "$when"
done
sleep 0.5

rc=0
"$sender" --folder "$work/sms" --check "$work/transcript.txt" "$work/outbox.txt" || rc=$?
echo "(work folder: $work)"
exit $rc
