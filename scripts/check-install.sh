#!/usr/bin/env bash
# Installs ORV from a build tree into a temporary directory (DESTDIR) for the
# prefix /opt/orv and checks the installed program as a user gets it: every
# file in its place, no path into the build tree, and both programs run from
# there in a clean environment (no ORV_* variables, no display, another
# working directory), finding their code tables and help through the prefix.
# The launcher and the metainfo are validated when desktop-file-validate and
# appstreamcli are installed. Usage: check-install.sh BUILD_DIR
set -euo pipefail

build=$(cd "${1:?"použití: $0 BUILD_DIR"}" && pwd)
prefix=/opt/orv
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
root=$tmp/root
installed=$root$prefix

fail() {
    echo "check-install: $*" >&2
    exit 1
}

DESTDIR=$root cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" ||
    fail "instalace selhala: $(cat "$tmp/install.log")"

for file in bin/orv bin/orv-tool share/ORV/help/index.html etc/ORV/machine.reg \
    share/applications/cz.veldo.orv.desktop share/metainfo/cz.veldo.orv.metainfo.xml \
    share/icons/hicolor/scalable/apps/cz.veldo.orv.svg \
    share/icons/hicolor/48x48/apps/cz.veldo.orv.png \
    share/icons/hicolor/256x256/apps/cz.veldo.orv.png \
    share/man/man1/orv.1 share/man/man1/orv-tool.1; do
    [ -e "$installed/$file" ] || fail "chybí $prefix/$file"
done
find "$installed/share/ORV/WorkDB" -maxdepth 1 -iname '*.db' | grep -q . ||
    fail "v $prefix/share/ORV/WorkDB nejsou číselníky"
if grep -rlF "$build" "$installed" >"$tmp/refs"; then
    fail "instalované soubory odkazují do stromu sestavení: $(tr '\n' ' ' <"$tmp/refs")"
fi

# A clean environment: nothing points at the build tree or the user's files.
mkdir -p "$tmp/home"
run() {
    (cd "$tmp" && env -i PATH=/usr/bin:/bin HOME="$tmp/home" LANG=C.UTF-8 "$@")
}
expect() { # expect WHAT TEXT OUTPUT
    grep -qF -- "$2" <<<"$3" || fail "$1: chybí \"$2\" ve výstupu: $3"
}

out=$(run "$installed/bin/orv-tool" --version) || fail "orv-tool --version skončil chybou"
expect "orv-tool --version" "orv-tool (ORV) " "$out"
out=$(run "$installed/bin/orv" --version) || fail "orv --version skončil chybou"
expect "orv --version" "ORV " "$out"
out=$(run "$installed/bin/orv" --help) || fail "orv --help skončil chybou"
expect "orv --help" "Použití: orv" "$out"
# cesty opens every code table and checks the help page.
out=$(run "$installed/bin/orv-tool" cesty) || fail "orv-tool cesty skončil chybou: $out"
expect "orv-tool cesty" "číselníky	$installed/share/ORV/WorkDB (tabulek: " "$out"
expect "orv-tool cesty" "nápověda	$installed/share/ORV/help/index.html" "$out"
expect "orv-tool cesty" "instalační údaje	$installed/etc/ORV" "$out"

if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$installed/share/applications/cz.veldo.orv.desktop" ||
        fail "desktop-file-validate odmítl spouštěč"
else
    echo "check-install: desktop-file-validate chybí, spouštěč neověřen"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$installed/share/metainfo/cz.veldo.orv.metainfo.xml" \
        >"$tmp/appstream.log" 2>&1 || fail "appstreamcli odmítl metainfo: $(cat "$tmp/appstream.log")"
else
    echo "check-install: appstreamcli chybí, metainfo neověřeno"
fi
echo "check-install: instalace do $prefix je v pořádku"
