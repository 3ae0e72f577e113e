#!/usr/bin/env bash
# Times adding a folder tree of N files (default 100000) through the real
# window against `find TREE -iname '*.eml' | wc -l`. The tree is made once
# under the build folder (BUILD_DIR, default build/) and kept for later runs.
set -euo pipefail

files="${1:-100000}"
source "$(dirname "$0")/common.sh"
bench_build walk_bench
bench="$build_dir/bench/walk_bench"

tree="$build_dir/bench-tree-$files"
made="$(make_tree_once "$bench" "$tree" "$files")"

# Both runs read a warm cache.
find "$tree" -iname '*.eml' | wc -l >/dev/null

start="$(now)"
found="$(find "$tree" -iname '*.eml' | wc -l)"
find_s="$(seconds_since "$start")"

result="$(QT_QPA_PLATFORM=offscreen "$bench" run "$tree")"
quorvel_s="$(value quorvel_s "$result")"
added="$(value added "$result")"
ratio="$(echo "$quorvel_s $find_s" | awk '{ printf "%.2f", ($2 > 0 ? $1 / $2 : 0) }')"

if [ "$added" != "$made" ] || [ "$found" != "$made" ]; then
    echo "mismatch: made=$made find=$found added=$added" >&2
fi
echo "walk files=$files find_s=$find_s quorvel_s=$quorvel_s ratio=$ratio added=$added max_stall_ms=$(value max_stall_ms "$result") peak_rss_mb=$(value peak_rss_mb "$result")"
