#!/usr/bin/env bash
# Installs what ORV needs (Debian packages), builds it and runs the whole test
# suite with CTest, then runs it once more built with AddressSanitizer and
# UndefinedBehaviorSanitizer. Exit status is non-zero when any test fails.
# ORV_SKIP_SANITIZED=1 skips the second run (for a quick local check).
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup-deps.sh
export QT_QPA_PLATFORM=offscreen
JOBS=$(nproc)

BUILD_DIR=${ORV_BUILD_DIR:-build}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BUILD_DIR" -j"$JOBS"
echo "== ORV: testy"
ctest --test-dir "$BUILD_DIR" --output-on-failure --timeout 900 -j"$JOBS"

if [ "${ORV_SKIP_SANITIZED:-0}" != "1" ]; then
    ASAN_DIR=${ORV_ASAN_BUILD_DIR:-build-asan}
    cmake -S . -B "$ASAN_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORV_SANITIZE=ON -DORV_BENCH=OFF >/dev/null
    cmake --build "$ASAN_DIR" -j"$JOBS"
    echo "== ORV: testy s AddressSanitizer a UndefinedBehaviorSanitizer"
    # Qt and fontconfig keep caches until exit; leaks are not what this run looks for.
    ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        ctest --test-dir "$ASAN_DIR" --output-on-failure --timeout 1800 -j"$JOBS"
fi
