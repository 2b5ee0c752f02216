#!/usr/bin/env bash
# Installs every Debian package ORV needs to build, run and test. Works as root
# or through sudo; does nothing when everything is already installed.
set -euo pipefail

PACKAGES=(
    # build
    g++ cmake ninja-build pkg-config clang clang-format libclang-rt-14-dev
    # libraries
    qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev libgl-dev
    # the map painter writes SVG through QSvgGenerator
    qt6-svg-dev
    libxkbcommon-dev libsqlite3-dev libshp-dev
    # fonts with the metrics of Times New Roman and Courier New
    fonts-liberation
    # Qt's own texts in Czech (qtbase_cs.qm: file and print dialogs)
    qt6-translations-l10n
    # tests: a virtual display, PDF to PNG, pxlib as an independent Paradox reader
    xvfb xauth poppler-utils pxlib-dev
    # a paper size from the locale in the tests: localedef needs the locale sources
    locales
    # benchmark: GDAL's VFK driver loads the same exchange file as the VFK import
    libgdal-dev
    # installation check and Debian package: validators of the launcher and the
    # AppStream metainfo, dpkg-shlibdeps for the package's dependencies
    desktop-file-utils appstream dpkg-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
        missing+=("$p")
    fi
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "ORV: instaluji balíčky: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
    SUDO=()
elif command -v sudo >/dev/null 2>&1; then
    SUDO=(sudo)
else
    echo "ORV: chybí balíčky ${missing[*]} a není k dispozici root ani sudo." >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
# A fresh machine may have stale or empty package lists: refresh them first.
"${SUDO[@]}" apt-get update -q
"${SUDO[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
