#!/usr/bin/env bash
# Checks that every installed file belongs to exactly one of the two packages'
# components: an install rule left without one would be in neither package.
# Usage: check-components.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
files() {
    cmake --install "$build" --prefix "$work/$1" "${@:2}" >/dev/null
    (cd "$work/$1" && find . ! -type d | sort)
}
all=$(files all)
convert=$(files convert --component convert)
window=$(files window --component window)
fail() { echo "check-components: $*" >&2; exit 1; }

shared=$(comm -12 <(echo "$convert") <(echo "$window"))
[ -z "$shared" ] || fail "in both packages: $shared"
diff <(echo "$all") <(sort <<<"$convert"$'\n'"$window") \
    || fail "the components do not add up to a whole install (< only in a whole install)"
grep -qx ./bin/quorvel-convert <<<"$convert" || fail "quorvel-convert is not in its package"
grep -qx ./bin/quorvel <<<"$window" || fail "quorvel is not in its package"
