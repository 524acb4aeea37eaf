#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer, then runs each for a number of seconds.
#   fuzz/run.sh [SECONDS] [TARGET...]      e.g. fuzz/run.sh 20, fuzz/run.sh 120 string_util
# TARGET is a name of fuzz/corpus/ (all when none is given). The seed corpus in fuzz/corpus/<name>
# is only read; inputs the fuzzer finds go to $FUZZ_BUILD/corpus/<name>, a crashing or hanging
# input to $FUZZ_BUILD/findings/. Exits non-zero when any target finds something.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
shift || true
build=${FUZZ_BUILD:-build-fuzzer}
. scripts/setup.sh
varnix_install_fuzz_packages

cmake -S . -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARNIX_FUZZ=ON >/dev/null
cmake --build "$build" -j2 --target fuzz

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for d in fuzz/corpus/*/; do targets+=("$(basename "$d")"); done
fi

# Qt keeps a few caches for the life of the process; they are not leaks of the code under test.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
mkdir -p "$build/findings"
failed=()
summary=()
for t in "${targets[@]}"; do
    exe="$build/fuzz/fuzz_$t"
    [ -x "$exe" ] || { echo "no fuzz target fuzz_$t" >&2; failed+=("$t"); continue; }
    work="$build/corpus/$t"
    log="$build/findings/$t.log"
    mkdir -p "$work"
    echo "== fuzz_$t: $seconds s"
    if "$exe" "$work" "fuzz/corpus/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -max_len=8192 -print_final_stats=1 -artifact_prefix="$build/findings/$t-" >"$log" 2>&1; then
        status=ok
    else
        status=FOUND
        failed+=("$t")
        tail -40 "$log"
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 || true)
    summary+=("$(printf '%-18s %-6s %12s runs  %s' "$t" "$status" "${runs:-?}" "$cov")")
done

printf '%s\n' "${summary[@]}"
if [ ${#failed[@]} -gt 0 ]; then
    echo "Findings in: ${failed[*]} (inputs and logs in $build/findings/)" >&2
    exit 1
fi
