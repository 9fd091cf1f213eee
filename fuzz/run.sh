#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the fuzz targets of a fuzz build (cmake -DPONTRA_FUZZ=ON with clang) for a bounded
# time each, two at a time. Each starts from its seeds in fuzz/corpus/TARGET/ (never
# written to) and what earlier runs found in BUILD/fuzz-corpus/TARGET/. Prints one line
# per target: executions, executions per second, coverage (edges reached of the edges
# in the program, features) and corpus size. Fails when a target found a crash, a hang,
# a leak, an allocation beyond the limit or a sanitizer report; the input that shows it
# is kept in BUILD/fuzz-artifacts/.
#   fuzz/run.sh BUILD_DIR SECONDS [TARGET...]     (default: every target)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:?usage: fuzz/run.sh BUILD_DIR SECONDS [TARGET...]}
seconds=${2:?usage: fuzz/run.sh BUILD_DIR SECONDS [TARGET...]}
shift 2
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for source in "$here"/*.cpp; do targets+=("$(basename "$source" .cpp)"); done
fi
parallel=${FUZZ_JOBS:-2}
logs="$build/fuzz-logs"
mkdir -p "$logs" "$build/fuzz-artifacts"

run_one() {
    local name=$1 program="$build/fuzz/fuzz_$1" corpus="$build/fuzz-corpus/$1"
    local options=()
    mkdir -p "$corpus"
    [ -f "$here/$name.dict" ] && options+=("-dict=$here/$name.dict")
    # -timeout: one input running longer is a hang; -malloc_limit_mb: one allocation
    # that large from inputs of a few kilobytes is an unbounded one.
    "$program" "${options[@]}" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -malloc_limit_mb=256 -print_final_stats=1 -artifact_prefix="$build/fuzz-artifacts/$name-" \
        "$corpus" "$here/corpus/$name" > "$logs/$name.log" 2>&1
}

summary() {
    local name=$1 log="$logs/$1.log"
    local edges execs rate done_line
    edges=$(grep -o 'Loaded 1 modules *([0-9]* inline 8-bit counters)' "$log" | grep -o '[0-9]* inline' | grep -o '[0-9]*' || true)
    execs=$(grep -o 'number_of_executed_units: [0-9]*' "$log" | grep -o '[0-9]*$' || echo 0)
    rate=$(grep -o 'average_exec_per_sec: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo 0)
    done_line=$(grep -E '^#[0-9]+.*cov:' "$log" | tail -1 || true)
    local cov ft corp
    cov=$(grep -o 'cov: [0-9]*' <<<"$done_line" | grep -o '[0-9]*' || echo 0)
    ft=$(grep -o 'ft: [0-9]*' <<<"$done_line" | grep -o '[0-9]*' || echo 0)
    corp=$(grep -o 'corp: [0-9]*/[0-9]*[a-zA-Z]*' <<<"$done_line" | cut -d' ' -f2 || echo 0)
    printf '%-18s %9s execs %7s/s  cov %5s of %6s edges  ft %6s  corpus %s\n' \
        "$name" "$execs" "$rate" "$cov" "${edges:-?}" "$ft" "$corp"
}

failed=()
running=0
declare -A pids
for name in "${targets[@]}"; do
    if [ ! -x "$build/fuzz/fuzz_$name" ]; then
        echo "fuzz: $build/fuzz/fuzz_$name is not built" >&2
        exit 2
    fi
    run_one "$name" &
    pids[$name]=$!
    running=$((running + 1))
    if [ "$running" -ge "$parallel" ]; then
        wait -n || true
        running=$((running - 1))
    fi
done
for name in "${targets[@]}"; do
    if ! wait "${pids[$name]}"; then failed+=("$name"); fi
done

echo "fuzz: ${#targets[@]} targets, ${seconds} s each"
for name in "${targets[@]}"; do summary "$name"; done
if [ ${#failed[@]} -gt 0 ]; then
    for name in "${failed[@]}"; do
        echo "fuzz: $name found a fault; its log: $logs/$name.log" >&2
        grep -E 'ERROR:|fuzz check failed|Test unit written' "$logs/$name.log" | head -5 >&2 || true
    done
    exit 1
fi
