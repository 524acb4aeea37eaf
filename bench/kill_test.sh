#!/usr/bin/env bash
# The kill test: the read cycle of the received-messages window is killed (SIGKILL) at random
# moments, KILLS times, against one varnix-modemsim that keeps its SIM between the kills. Then
# every message is looked for on the simulated SIM and in the SMS files: none may be lost. A
# message filed twice (killed after its record was on disk but before AT+CMGD reached the modem)
# is counted and reported too. Long messages count part by part.
#   bench/kill_test.sh [KILLS] [BUILD]        default 50 kills, build folder "build"
# Needs the targets varnix-modemsim and bench_kill_reader built in BUILD.
set -euo pipefail
export LC_ALL=C.UTF-8 # the pads count characters, not bytes
cd "$(dirname "$0")/.."
kills=${1:-50}
build=${2:-build}
sim="$build/bin/varnix-modemsim"
reader="$build/bin/bench_kill_reader"
for exe in "$sim" "$reader"; do
    [ -x "$exe" ] || { echo "missing $exe: cmake --build $build --target varnix-modemsim bench_kill_reader" >&2; exit 2; }
done

work=$(mktemp -d /tmp/varnix-kill.XXXXXX)
sim_pid=
cleanup() { [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null; wait 2>/dev/null || true; }
trap cleanup EXIT
mkdir -p "$work/sms" "$work/inject"

# Each message carries its own mark, "Kill-0001" ..., so it can be found wherever it is; every
# third message is a long one of three parts in the GSM alphabet, every third a long one in UCS2
# with an emoji (parts out of order), each part with its own mark "Kill-0002-1" ... in a segment
# exactly one part long (153 septets, 67 UCS2 units).
total=0
marks=()
pad() { # text width char
    local t=$1
    while (( ${#t} < $2 )); do t+=$3; done
    printf '%s' "$t"
}
message_lines() { # count
    local i p line
    for ((i = 0; i < $1; ++i)); do
        total=$((total + 1))
        case $((total % 3)) in
            0)
                printf '+49170%07d\tKill-%04d Nachricht aus dem Test\\r\\nzweite Zeile\n' "$total" "$total"
                marks+=("$(printf 'Kill-%04d' "$total")") ;;
            1)
                line=
                for p in 1 2 3; do
                    line+=$(pad "$(printf 'Kill-%04d-%d Teil ' "$total" "$p")" 153 x)
                    marks+=("$(printf 'Kill-%04d-%d' "$total" "$p")")
                done
                printf '[parts=3,1,2]\t+49170%07d\t%s\n' "$total" "$line" ;;
            2)
                # 😀 takes two units: 66 characters are 67 units.
                line=
                for p in 1 2 3; do
                    line+=$(pad "$(printf 'Kill-%04d-%d Grüße 😀 ' "$total" "$p")" 66 ж)
                    marks+=("$(printf 'Kill-%04d-%d' "$total" "$p")")
                done
                printf '[parts=2,3,1]\t+49170%07d\t%s\n' "$total" "$line" ;;
        esac
    done
}
message_lines 20 >"$work/messages.tsv"

"$sim" --link "$work/modem" --no-pin --storage 150 --messages "$work/messages.tsv" \
    --inject-dir "$work/inject" --transcript "$work/transcript.txt" 2>"$work/sim.log" &
sim_pid=$!
for _ in $(seq 50); do [ -e "$work/modem" ] && break; sleep 0.1; done
"$reader" --link "$work/modem" --folder "$work/sms" --prepare

# Decoded: the parts are filed as hex.
filed_marks() { "$reader" --folder "$work/sms" --marks 2>/dev/null | grep -ao 'Kill-[0-9]*\(-[0-9]\)\?' || true; }

for ((k = 1; k <= kills; ++k)); do
    # Keep the SIM from running dry, so that every kill falls into a read cycle.
    filed=$(filed_marks | sort -u | wc -l)
    if ((${#marks[@]} - filed < 6)); then
        message_lines 10 >"$work/inject/.batch"
        mv "$work/inject/.batch" "$work/inject/batch$k"
        sleep 0.3
    fi
    # Odd kills fall anywhere in the first ten seconds of a run (start-up, the storage query,
    # empty slots, a message); even ones 0 to 4 s after the modem has sent a message's +CMGR
    # answer, in the stretch that files the record, deletes the slot and counts again.
    reads_before=$(grep -c '+CMGR: \\"REC' "$work/transcript.txt" || true)
    "$reader" --link "$work/modem" --folder "$work/sms" >>"$work/reader.log" 2>&1 &
    pid=$!
    if ((k % 2)); then
        delay=$(awk -v r="$RANDOM" 'BEGIN { printf "%.2f", 0.3 + r / 32767 * 9.7 }')
        when="at $delay s"
    else
        for ((t = 0; t < 600; ++t)); do
            (($(grep -c '+CMGR: \\"REC' "$work/transcript.txt" || true) > reads_before)) && break
            sleep 0.05
        done
        delay=$(awk -v r="$RANDOM" 'BEGIN { printf "%.2f", r / 32767 * 4 }')
        when="$delay s after a +CMGR"
    fi
    sleep "$delay"
    kill -KILL "$pid" 2>/dev/null || echo "run $k ended before its kill ($when)" >&2
    wait "$pid" 2>/dev/null || true
    printf 'kill %2d %-24s %3d marks filed so far\n' "$k" "$when:" "$(filed_marks | sort -u | wc -l)"
done

"$reader" --link "$work/modem" --folder "$work/sms" --list >"$work/sim-left.txt"
sleep 0.3
ls "$work/inject" | grep -q . && echo "inject files left unread" >&2

lost=0 twice=0 both=0 on_sim=0 in_file=0
filed_marks >"$work/filed-marks.txt"
for mark in "${marks[@]}"; do
    s=$(grep -o "$mark\b" "$work/sim-left.txt" | grep -cx "$mark" || true)
    f=$(grep -cx "$mark" "$work/filed-marks.txt" || true)
    ((s > 0)) && on_sim=$((on_sim + 1))
    ((f > 0)) && in_file=$((in_file + 1))
    if ((s == 0 && f == 0)); then lost=$((lost + 1)); echo "LOST: $mark"; fi
    if ((f > 1)); then twice=$((twice + 1)); echo "filed $f times: $mark"; fi
    if ((s > 0 && f > 0)); then both=$((both + 1)); echo "filed and still on the SIM: $mark"; fi
done
files=$(ls "$work/sms" | grep -ci '\.dat$' || true)
n=${#marks[@]}
echo "messages: $total ($n marks: plain messages and parts of long ones), kills: $kills, SMS files: $files"
echo "on the SIM: $on_sim, filed: $in_file"
echo "lost: $lost / $n, filed twice: $twice / $n, filed and still on the SIM: $both / $n"
echo "(work folder: $work)"
((lost == 0))
