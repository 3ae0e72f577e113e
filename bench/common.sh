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
