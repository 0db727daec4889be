#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan+UBSan) and runs each for a bounded
# time (FUZZ_SECONDS, default 60). Fails on any crash, leak or sanitizer report.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-60}
build_dir=${FUZZ_BUILD_DIR:-build-fuzz}

# Only the fuzz targets are built: one per fuzz/fuzz_*.cpp.
fuzz_targets=$(basename -s .cpp fuzz/fuzz_*.cpp | tr '\n' ' ')

CC=clang CXX=clang++ BUILD_DIR="$build_dir" BUILD_TYPE=Debug TARGETS="$fuzz_targets" scripts/build.sh \
    -DQTR_BUILD_FUZZERS=ON -DQTR_BUILD_TESTS=OFF -DQTR_BUILD_BENCHMARKS=OFF

shopt -s nullglob
for name in $fuzz_targets; do
    target="$build_dir/bin/$name"
    corpus="$build_dir/corpus/$name"
    mkdir -p "$corpus"
    echo "== $name for ${seconds}s"
    UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
        "$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 "$corpus"
done
