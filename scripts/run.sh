#!/usr/bin/env bash
# Installs what is missing, builds, and starts the librarian.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/build.sh
exec "${BUILD_DIR:-build}/bin/FeltanLibrarian" "$@"
