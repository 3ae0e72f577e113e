#!/usr/bin/env bash
# Adds N paths (default 1000000) to the message list of the real window,
# offscreen. Last line: list rows=N seconds=S peak_rss_mb=M
set -euo pipefail

rows="${1:-1000000}"
source "$(dirname "$0")/common.sh"
bench_build list_bench
QT_QPA_PLATFORM=offscreen "$build_dir/bench/list_bench" "$rows"
