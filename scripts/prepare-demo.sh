#!/usr/bin/env bash
# Prepares the embedded demo district for a run from the build tree:
#  1. generates the small demo district once into $XDG_DATA_HOME/ORV/demo
#     (default ~/.local/share/ORV/demo);
#  2. defines the engine alias DEMO for it when no alias is defined yet;
#  3. puts the code tables where ORV looks for them: $ORV_WORKDB when set,
#     else WorkDB beside the executable (BUILD_DIR/WorkDB). Code tables that
#     are already there are left alone.
set -euo pipefail

BUILD_DIR=${1:?"použití: $0 BUILD_DIR"}
TOOL="$BUILD_DIR/orv-tool"
if [ ! -x "$TOOL" ]; then
    echo "prepare-demo: $TOOL nebyl nalezen, nejdřív sestavte ORV" >&2
    exit 1
fi

DATA_HOME=${XDG_DATA_HOME:-$HOME/.local/share}
DEMO_DIR="$DATA_HOME/ORV/demo"

if [ ! -f "$DEMO_DIR/NYSKATAL.DB" ]; then
    # Generate beside the target and move it into place, so that an
    # interrupted run never leaves a half-written district behind.
    mkdir -p "$(dirname "$DEMO_DIR")"
    TMP_DIR=$(mktemp -d "$DEMO_DIR.tmp.XXXXXX")
    trap 'rm -rf "$TMP_DIR"' EXIT
    "$TOOL" gen --size small --out "$TMP_DIR" >/dev/null
    rm -rf "$DEMO_DIR"
    mv "$TMP_DIR" "$DEMO_DIR"
    trap - EXIT
    echo "prepare-demo: ukázkový okres vytvořen v $DEMO_DIR"
fi

if [ -z "$("$TOOL" alias list)" ]; then
    "$TOOL" alias add DEMO "$DEMO_DIR"
    echo "prepare-demo: alias DEMO -> $DEMO_DIR"
fi

WORKDB=${ORV_WORKDB:-$BUILD_DIR/WorkDB}
mkdir -p "$WORKDB"
# Table names are matched without regard to case, as ORV does.
if ! find "$WORKDB" -maxdepth 1 -iname 'PARSKUP.DB' | grep -q .; then
    cp "$DEMO_DIR/WorkDB/"* "$WORKDB/"
    echo "prepare-demo: číselníky zkopírovány do $WORKDB"
fi
