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
rounds="${ROUNDS:-3}"
folders="$(find "$tree" -type f -name '*.eml' -printf '%h\n' | sort -u)"

# Warm the cache for both.
find "$tree" -type f -name '*.eml' -exec cat {} + >/dev/null

# The disk's state varies from one moment to the next, so both are timed in
# alternate rounds and the medians compared.
time_cat() {
    rm -rf "$out" && mkdir -p "$out/cat"
    sync
    local start
    start="$(now)"
    while IFS= read -r folder; do
        target="$out/cat/$(echo "${folder#"$tree"/}" | tr / _).mbox"
        find "$folder" -maxdepth 1 -type f -name '*.eml' -print0 | sort -z | xargs -0 cat > "$target"
    done <<< "$folders"
    sync "$out"/cat/*.mbox
    seconds_since "$start"
}

value() { echo "$2" | tr ' ' '\n' | sed -n "s/^$1=//p"; }
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }

cats=() quorvels=() stall=0 peak=0 converted=0
for round in $(seq "$rounds"); do
    cats+=("$(time_cat)")
    rm -rf "$out" && mkdir -p "$out/quorvel"
    sync
    result="$(QT_QPA_PLATFORM=offscreen "$bench" run "$tree" "$out/quorvel")"
    quorvels+=("$(value quorvel_s "$result")")
    stall="$(echo "$stall $(value max_stall_ms "$result")" | awk '{ print ($2 > $1 ? $2 : $1) }')"
    peak="$(echo "$peak $(value peak_rss_mb "$result")" | awk '{ print ($2 > $1 ? $2 : $1) }')"
    converted="$(value messages "$result")"
    echo "round $round: cat_s=${cats[-1]} quorvel_s=${quorvels[-1]}" >&2
done
rm -rf "$out"

cat_s="$(printf '%s\n' "${cats[@]}" | median)"
quorvel_s="$(printf '%s\n' "${quorvels[@]}" | median)"
ratio="$(echo "$quorvel_s $cat_s" | awk '{ printf "%.2f", ($2 > 0 ? $1 / $2 : 0) }')"
echo "convert messages=$converted mb=$mb cat_s=$cat_s quorvel_s=$quorvel_s ratio=$ratio max_stall_ms=$stall peak_rss_mb=$peak"
