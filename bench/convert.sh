#!/usr/bin/env bash
# Times the conversion of N generated messages (default 20000) through the real
# window against cat-ing each folder's files into one file and syncing them.
# The tree is made once under the build folder (BUILD_DIR, default build/).
# Last line: convert messages=N mb=M cat_s=A quorvel_s=B ratio=R max_stall_ms=S peak_rss_mb=P
set -euo pipefail

messages="${1:-20000}"
source "$(dirname "$0")/common.sh"
bench_build convert_bench
bench="$build_dir/bench/convert_bench"

tree="$build_dir/bench-messages-$messages"
if [ ! -f "$tree.bytes" ]; then
    rm -rf "$tree"
    echo "making $messages messages under $tree ..." >&2
    "$bench" make "$tree" "$messages" > "$tree.bytes.tmp"
    mv "$tree.bytes.tmp" "$tree.bytes"
fi
mb="$(awk '{ printf "%.0f", $1 / 1048576 }' "$tree.bytes")"

out="$build_dir/bench-out"

# Warm the cache for both.
find "$tree" -type f -name '*.eml' -exec cat {} + >/dev/null

rm -rf "$out" && mkdir -p "$out/cat"
sync
start="$(now)"
while IFS= read -r folder; do
    target="$out/cat/$(echo "${folder#"$tree"/}" | tr / _).mbox"
    find "$folder" -maxdepth 1 -type f -name '*.eml' -print0 | sort -z | xargs -0 cat > "$target"
done < <(find "$tree" -type f -name '*.eml' -printf '%h\n' | sort -u)
sync "$out"/cat/*.mbox
cat_s="$(seconds_since "$start")"

rm -rf "$out" && mkdir -p "$out/quorvel"
sync
result="$(QT_QPA_PLATFORM=offscreen "$bench" run "$tree" "$out/quorvel")"
value() { echo "$result" | tr ' ' '\n' | sed -n "s/^$1=//p"; }
quorvel_s="$(value quorvel_s)"
ratio="$(echo "$quorvel_s $cat_s" | awk '{ printf "%.2f", ($2 > 0 ? $1 / $2 : 0) }')"
echo "convert messages=$(value messages) mb=$mb cat_s=$cat_s quorvel_s=$quorvel_s ratio=$ratio max_stall_ms=$(value max_stall_ms) peak_rss_mb=$(value peak_rss_mb)"
