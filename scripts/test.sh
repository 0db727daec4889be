#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. GUI tests need a display:
# when none is set, a private Xvfb server is started for the run.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/build.sh

build_dir=${BUILD_DIR:-build}
run_tests=(ctest --test-dir "$build_dir" --output-on-failure --parallel "${JOBS:-$(nproc)}" --timeout 600)

if [[ -z "${DISPLAY:-}" ]]; then
    exec xvfb-run --auto-servernum --server-args="-screen 0 1920x1080x24" "${run_tests[@]}"
fi
exec "${run_tests[@]}"
