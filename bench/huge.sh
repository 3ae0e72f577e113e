#!/usr/bin/env bash
# Times the conversion of one message of SIZE_MB MiB (default 2048: a few header
# fields and a base64 attachment) through the real window against cat-ing the
# file into one file and syncing it. The message is made once under the build
# folder (BUILD_DIR, default build/). ROUNDS (default 3) alternate rounds of
# each; the medians are compared. Peak RSS shows that memory stays bounded
# whatever the message's size.
# Last line: huge mb=M cat_s=A quorvel_s=B ratio=R max_stall_ms=S peak_rss_mb=P
set -euo pipefail

size_mb="${1:-2048}"
source "$(dirname "$0")/common.sh"
bench_build convert_bench
bench="$build_dir/bench/convert_bench"

tree="$build_dir/bench-huge-$size_mb"
message="$tree/Mail/huge.eml"
if [ ! -f "$tree.made" ]; then
    rm -rf "$tree"
    echo "making a message of $size_mb MiB under $tree ..." >&2
    "$bench" make-huge "$message" "$size_mb" > "$tree.made.tmp"
    mv "$tree.made.tmp" "$tree.made"
fi
mb="$(awk '{ printf "%.0f", $1 / 1048576 }' "$tree.made")"

out="$build_dir/bench-huge-out"

# Warm the cache for both, as far as it holds the file.
cat "$message" >/dev/null

time_cat() {
    rm -rf "$out" && mkdir -p "$out/cat"
    sync
    local start
    start="$(now)"
    cat "$message" > "$out/cat/huge.mbox"
    sync "$out/cat/huge.mbox"
    seconds_since "$start"
}

alternate_rounds "$bench" "$tree" "$out"
echo "huge mb=$mb cat_s=$cat_s quorvel_s=$quorvel_s ratio=$ratio max_stall_ms=$stall peak_rss_mb=$peak"
