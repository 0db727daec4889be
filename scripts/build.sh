#!/usr/bin/env bash
# Configures and builds into build/ (or $BUILD_DIR). Extra arguments go to cmake; TARGETS,
# when set, names the targets to build instead of all.
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${BUILD_DIR:-build}
jobs=${JOBS:-$(nproc)}

cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} "$@"
targets=()
for target in ${TARGETS:-}; do
    targets+=(--target "$target")
done
cmake --build "$build_dir" --parallel "$jobs" "${targets[@]}"
