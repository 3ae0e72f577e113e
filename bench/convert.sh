#!/usr/bin/env bash
# Times the conversion of N generated messages (default 20000) through the real
# window against cat-ing each folder's files into one file and syncing them.
# The tree is made once under the build folder (BUILD_DIR, default build/).
# ROUNDS (default 3) alternate rounds of each; the medians are compared.
# Last line: convert messages=N mb=M cat_s=A quorvel_s=B ratio=R max_stall_ms=S peak_rss_mb=P
set -euo pipefail

messages="${1:-20000}"
source "$(dirname "$0")/common.sh"
bench_build convert_bench
bench="$build_dir/bench/convert_bench"

tree="$build_dir/bench-messages-$messages"
bytes="$(make_tree_once "$bench" "$tree" "$messages")"
mb="$(echo "$bytes" | awk '{ printf "%.0f", $1 / 1048576 }')"

out="$build_dir/bench-out"

# Warm the cache for both.
find "$tree" -type f -name '*.eml' -exec cat {} + >/dev/null


alternate_rounds "$bench" "$tree" "$out"
echo "convert messages=$(value messages "$result") mb=$mb cat_s=$cat_s quorvel_s=$quorvel_s ratio=$ratio max_stall_ms=$stall peak_rss_mb=$peak"
