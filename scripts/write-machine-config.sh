#!/usr/bin/env bash
# Writes ORV's machine registry file (REGEDIT4): the installation values
# "FirstRun", "Name" and "Company" that the program reads at start.
#
#   write-machine-config.sh BUILD_DIR   for a run from the build tree: writes
#                                       BUILD_DIR/etc/machine.reg unless it exists
#   write-machine-config.sh --into DIR  for an installation: writes DIR/machine.reg
#                                       (a fresh "FirstRun" each time), keeping an
#                                       administrator's "Vystup.SkrytRodnaCisla"
#
# "Name" is $ORV_USER_NAME, else the user's full name from the passwd entry,
# else the login name; "Company" is $ORV_COMPANY (may be empty).
set -euo pipefail

usage() {
    echo "Použití: $0 BUILD_DIR | --into ADRESÁŘ" >&2
    exit 1
}

[ $# -ge 1 ] || usage
if [ "$1" = "--into" ]; then
    [ $# -eq 2 ] || usage
    dir=$2
    overwrite=1
else
    [ $# -eq 1 ] || usage
    dir=$1/etc
    overwrite=0
fi
file=$dir/machine.reg

if [ "$overwrite" -eq 0 ] && [ -e "$file" ]; then
    exit 0
fi

login=${USER:-$(id -un 2>/dev/null || echo "")}
full_name=$(getent passwd "$login" 2>/dev/null | cut -d: -f5 | cut -d, -f1 || true)
name=${ORV_USER_NAME:-${full_name:-$login}}
company=${ORV_COMPANY:-}

# A REGEDIT4 string: backslashes and quotes are escaped.
quote() {
    local s=${1//\\/\\\\}
    printf '"%s"' "${s//\"/\\\"}"
}

# The administrator's choice to mask birth numbers for every user survives a
# reinstallation: its line is copied as it stands (a value of the wrong type
# masks too).
kept=
if [ -f "$file" ]; then
    kept=$(tr -d '\r' <"$file" | grep -i '^"Vystup\.SkrytRodnaCisla"=' || true)
fi

mkdir -p "$dir"
tmp=$(mktemp "$dir/.machine.reg.XXXXXX")
{
    printf 'REGEDIT4\n\n'
    printf '[HKEY_LOCAL_MACHINE\\Software\\VELDO\\ORV\\4.0]\n'
    printf '"FirstRun"="1"\n'
    printf '"Name"=%s\n' "$(quote "$name")"
    printf '"Company"=%s\n' "$(quote "$company")"
    [ -z "$kept" ] || printf '%s\n' "$kept"
} >"$tmp"
chmod 644 "$tmp"
mv -f "$tmp" "$file"
