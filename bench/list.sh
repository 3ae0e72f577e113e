#!/usr/bin/env bash
# Adds N paths (default 1000000) to the message list of the real window,
# offscreen. Last line: list rows=N seconds=S peak_rss_mb=M
set -euo pipefail

rows="${1:-1000000}"
source_dir="$(cd "$(dirname "$0")/.." && pwd)"
build_dir="${BUILD_DIR:-$source_dir/build}"

if [ ! -f "$build_dir/CMakeCache.txt" ]; then
    cmake -S "$source_dir" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build_dir" --target list_bench >/dev/null
QT_QPA_PLATFORM=offscreen "$build_dir/bench/list_bench" "$rows"
