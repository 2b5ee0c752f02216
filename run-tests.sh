#!/usr/bin/env bash
# Installs what ORV needs (Debian packages), builds it and runs the whole test
# suite with CTest. Exit status is CTest's: non-zero when any test fails.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup-deps.sh
BUILD_DIR=${ORV_BUILD_DIR:-build}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BUILD_DIR"
export QT_QPA_PLATFORM=offscreen
cd "$BUILD_DIR"
ctest --output-on-failure --timeout 900 -j"$(nproc)"
