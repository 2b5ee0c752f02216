#!/usr/bin/env bash
# Checks that includes run one way, downward, through the floors listed in
# scripts/floors.txt: a source file may include a header of its own floor or a
# lower one, never one from a higher floor, and every source folder stands on
# a floor. Within the house no class includes itself round a circle either: a
# class (the .h/.cpp pair of one name) whose files include another class's
# header depends on it, and no chain of such dependencies may lead back.
# Prints each offending include or circle and exits 1; exits 0 when the house
# is sound. Usage: check-floors.sh [SOURCE_ROOT]
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"

# Sources of the house; tests/, bench/, fuzz/ and build trees stand outside it.
mapfile -t files < <(find . -type f \( -name '*.h' -o -name '*.cpp' \) \
    -not -path './tests/*' -not -path './bench/*' -not -path './fuzz/*' \
    -not -path './build*' -not -path './.git/*' | sed 's|^\./||' | sort)

awk -v floorsFile=scripts/floors.txt '
function unitOf(path) { sub(/\.(h|cpp)$/, "", path); return path }
function visit(u,    n, list, i, v, k, path) {
    color[u] = 1; stack[++depth] = u
    n = split(adj[u], list, " ")
    for (i = 1; i <= n; i++) {
        v = list[i]
        if (color[v] == 1) {
            for (k = depth; stack[k] != v; k--) ;
            path = stack[k]
            for (k++; k <= depth; k++) path = path " -> " stack[k]
            print "include circle: " path " -> " v
            bad = 1
        } else if (color[v] == 0) visit(v)
    }
    depth--; color[u] = 2
}
function floorOf(path,    best, bestLen, f) {
    best = -1; bestLen = -1
    for (f in floorIndex) {
        if ((path ~ ("^" f "/")) && length(f) > bestLen) { best = floorIndex[f]; bestLen = length(f) }
    }
    return best
}
BEGIN {
    n = 0
    while ((getline line < floorsFile) > 0) {
        sub(/#.*/, "", line); gsub(/[ \t]+$/, "", line); gsub(/^[ \t]+/, "", line)
        if (line == "") continue
        floorIndex[line] = n; floorName[n] = line; n++
    }
    if (n == 0) { print "check-floors: no floors in " floorsFile; exit 2 }
    for (i = 1; i < ARGC; i++) inHouse[ARGV[i]] = 1
    bad = 0
}
FNR == 1 {
    own = floorOf(FILENAME)
    if (own < 0) { printf "%s: the folder stands on no floor of %s\n", FILENAME, floorsFile; bad = 1 }
}
/^[ \t]*#[ \t]*include[ \t]*"[^"]*\/[^"]*"/ {
    inc = $0; sub(/^[^"]*"/, "", inc); sub(/".*$/, "", inc)
    if (inc in inHouse) {
        from = unitOf(FILENAME); to = unitOf(inc)
        if (from != to && !((from SUBSEP to) in edge)) { edge[from, to] = 1; adj[from] = adj[from] " " to }
    }
    target = floorOf(inc)
    if (target < 0) next   # a system or generated header with a path of its own
    if (own >= 0 && target > own) {
        printf "%s:%d: includes %s from floor \"%s\", above its own floor \"%s\"\n", \
            FILENAME, FNR, inc, floorName[target], floorName[own]
        bad = 1
    }
}
END {
    for (u in adj) if (color[u] == 0) visit(u)
    exit bad
}
' "${files[@]}"
