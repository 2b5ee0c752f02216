#!/usr/bin/env bash
# Installs what ORV needs (Debian packages), builds it and starts it on its
# demo district. Without a display it explains how to run it headless.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup-deps.sh
BUILD_DIR=${ORV_BUILD_DIR:-build}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
# Only what the window over the demo needs: the program, the tool that
# prepares the demo and the help pages. Tests and benchmarks are built by
# ./run-tests.sh.
cmake --build "$BUILD_DIR" --target orv orv-tool orv_help
./scripts/write-machine-config.sh "$BUILD_DIR"
./scripts/prepare-demo.sh "$BUILD_DIR"
# The first run binds the work alias to WorkDir beside the executable.
mkdir -p "$BUILD_DIR/WorkDir"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    cat >&2 <<MSG
ORV je grafický program a tady není k dispozici žádný displej (DISPLAY ani
WAYLAND_DISPLAY nejsou nastaveny).

Spusťte ho na virtuálním displeji:
    xvfb-run -a $0
nebo ze vzdáleného počítače s přesměrováním X (ssh -X).
MSG
    exit 2
fi
exec "$BUILD_DIR/orv" "$@"
