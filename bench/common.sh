# Sourced by the benchmark scripts: finds or makes the Release build folder
# (BUILD_DIR, default build/) and builds the one target a benchmark needs.
source_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="${BUILD_DIR:-$source_dir/build}"

bench_build() {
    if [ ! -f "$build_dir/CMakeCache.txt" ]; then
        cmake -S "$source_dir" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
    fi
    cmake --build "$build_dir" --target "$1" >/dev/null
}

now() { date +%s.%N; }
seconds_since() { echo "$(now) $1" | awk '{ printf "%.3f", $1 - $2 }'; }

# make_tree_once BENCH TREE N: has BENCH make its tree of N once and keep what
# it printed (a count or a size) in TREE.made; later runs reuse both.
make_tree_once() {
    local bench="$1" tree="$2" count="$3"
    if [ ! -f "$tree.made" ]; then
        rm -rf "$tree"
        echo "making $count entries under $tree ..." >&2
        "$bench" make "$tree" "$count" > "$tree.made.tmp"
        mv "$tree.made.tmp" "$tree.made"
    fi
    cat "$tree.made"
}

# time_cat: seconds to cat each folder's messages of $tree, in name order,
# into one file per folder under $out/cat and sync them: what any converter
# must at least do.
time_cat() {
    rm -rf "$out" && mkdir -p "$out/cat"
    sync
    local start folder folders
    folders="$(find "$tree" -type f -name '*.eml' -printf '%h\n' | sort -u)"
    start="$(now)"
    while IFS= read -r folder; do
        find "$folder" -maxdepth 1 -type f -name '*.eml' -print0 | sort -z \
            | xargs -0 cat > "$out/cat/$(echo "${folder#"$tree"/}" | tr / _).mbox"
    done <<< "$folders"
    sync "$out"/cat/*.mbox
    seconds_since "$start"
}

value() { echo "$2" | tr ' ' '\n' | sed -n "s/^$1=//p"; }
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }
larger() { echo "$1 $2" | awk '{ print ($2 > $1 ? $2 : $1) }'; }

# alternate_rounds BENCH TREE OUT: the disk's state varies from one moment to
# the next, so the caller's time_cat and BENCH's run of TREE into OUT/quorvel
# are timed in ROUNDS (default 3) alternate rounds. Sets cat_s and quorvel_s
# (medians), ratio, stall and peak (the worst), and result (the last run's line).
alternate_rounds() {
    local bench="$1" tree="$2" out="$3" round cats=() quorvels=()
    stall=0 peak=0
    for round in $(seq "${ROUNDS:-3}"); do
        cats+=("$(time_cat)")
        rm -rf "$out" && mkdir -p "$out/quorvel"
        sync
        result="$(QT_QPA_PLATFORM=offscreen "$bench" run "$tree" "$out/quorvel")"
        quorvels+=("$(value quorvel_s "$result")")
        stall="$(larger "$stall" "$(value max_stall_ms "$result")")"
        peak="$(larger "$peak" "$(value peak_rss_mb "$result")")"
        echo "round $round: cat_s=${cats[-1]} quorvel_s=${quorvels[-1]} max_stall_ms=$(value max_stall_ms "$result") peak_rss_mb=$(value peak_rss_mb "$result")" >&2
    done
    rm -rf "$out"
    cat_s="$(printf '%s\n' "${cats[@]}" | median)"
    quorvel_s="$(printf '%s\n' "${quorvels[@]}" | median)"
    ratio="$(echo "$quorvel_s $cat_s" | awk '{ printf "%.2f", ($2 > 0 ? $1 / $2 : 0) }')"
}
