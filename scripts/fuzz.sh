#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan+UBSan) and runs every fuzz/fuzz_*.cpp side by
# side for FUZZ_SECONDS each (default 60), each on a fresh working corpus that starts as a
# copy of its seeds (written by make_fuzz_corpus). Fails when any target finds a crash,
# leak, timeout or sanitizer report; prints each target's executions and executions per
# second. FUZZ_TARGETS narrows the run to some targets; FUZZ_WORKERS runs that many
# processes per target, either one number for all or "name=count ..." (others get one);
# FUZZ_NICE lowers their priority.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-60}
workers=${FUZZ_WORKERS:-1}
workers_of() {
    if [[ "$workers" =~ ^[0-9]+$ ]]; then
        echo "$workers"
    else
        local entry
        for entry in $workers; do
            if [[ "${entry%%=*}" == "$1" ]]; then
                echo "${entry#*=}"
                return
            fi
        done
        echo 1
    fi
}
build_dir=${FUZZ_BUILD_DIR:-build-fuzz}
fuzz_targets=${FUZZ_TARGETS:-$(basename -s .cpp fuzz/fuzz_*.cpp | tr '\n' ' ')}

# Optimised as for a release, so that the time goes into inputs rather than into unoptimised code.
CC=clang CXX=clang++ BUILD_DIR="$build_dir" BUILD_TYPE=RelWithDebInfo TARGETS="$fuzz_targets make_fuzz_corpus" \
    scripts/build.sh -DQTR_BUILD_FUZZERS=ON -DQTR_BUILD_TESTS=OFF -DQTR_BUILD_BENCHMARKS=OFF

build_dir=$(cd "$build_dir" && pwd)
seeds="$build_dir/fuzz-seeds"
rm -rf "$seeds"
"$build_dir/bin/make_fuzz_corpus" "$seeds"

run=$(mktemp -d "$build_dir/fuzz-run.XXXXXX")
echo "== fuzzing ${fuzz_targets% } for ${seconds}s each (processes per target: $workers) in $run"
# The processes of one target share its working corpus and pick up each other's finds.
declare -A pids
for name in $fuzz_targets; do
    mkdir -p "$run/$name/corpus"
    if [[ -d "$seeds/$name" ]]; then
        cp "$seeds/$name"/* "$run/$name/corpus/"
    fi
    for ((worker = 1; worker <= $(workers_of "$name"); ++worker)); do
        UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 nice -n "${FUZZ_NICE:-0}" \
            "$build_dir/bin/$name" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 \
            -artifact_prefix="$run/$name/" "$run/$name/corpus" >"$run/$name/log.$worker" 2>&1 &
        pids[$name.$worker]=$!
    done
done

status=0
for job in $(printf '%s\n' "${!pids[@]}" | sort); do
    if ! wait "${pids[$job]}"; then
        status=1
        echo "== ${job%.*} FAILED (log: $run/${job%.*}/log.${job##*.}, crashing input beside it)"
        tail -n 40 "$run/${job%.*}/log.${job##*.}"
    fi
done

printf '%-24s %14s %10s\n' target executions exec/s
for name in $fuzz_targets; do
    executions=0
    for count in $(cat "$run/$name"/log.* | sed -n 's/^stat::number_of_executed_units: *//p'); do
        executions=$((executions + count))
    done
    printf '%-24s %14s %10s\n' "$name" "$executions" "$((executions / seconds))"
done
exit $status
