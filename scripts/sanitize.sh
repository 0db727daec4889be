#!/usr/bin/env bash
# Builds everything with a sanitizer (thread by default, or address) in its own build folder and
# runs every test there. Fails on any failure or sanitizer report.
set -euo pipefail
cd "$(dirname "$0")/.."

sanitizer=${1:-thread}
build_dir=${SANITIZE_BUILD_DIR:-build-$sanitizer}

BUILD_DIR="$build_dir" scripts/build.sh -DQTR_SANITIZE="$sanitizer" -DQTR_BUILD_BENCHMARKS=OFF

export TSAN_OPTIONS="halt_on_error=1 abort_on_error=1 ${TSAN_OPTIONS:-}"
export ASAN_OPTIONS="detect_leaks=1 ${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="halt_on_error=1 print_stacktrace=1 ${UBSAN_OPTIONS:-}"

# ThreadSanitizer cannot map its shadow memory under some kernels' address randomisation;
# run without it where the machine allows.
no_aslr=()
if setarch "$(uname -m)" -R true 2>/dev/null; then
    no_aslr=(setarch "$(uname -m)" -R)
fi

# GUI tests start an Xvfb display of their own each.
exec "${no_aslr[@]}" ctest --test-dir "$build_dir" --output-on-failure --parallel "${JOBS:-$(nproc)}" --timeout 900
