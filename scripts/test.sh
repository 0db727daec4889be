#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. Each GUI test starts an Xvfb
# display of its own (tests/support/gui/run-with-own-display.sh), so none is needed here.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/build.sh

build_dir=${BUILD_DIR:-build}
exec ctest --test-dir "$build_dir" --output-on-failure --parallel "${JOBS:-$(nproc)}" --timeout 600
