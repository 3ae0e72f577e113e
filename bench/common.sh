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
