#!/usr/bin/env bash
# Times quorvel-convert on the tree bench/convert.sh makes (N messages, default
# 20000), or with --small on N small messages (default 200000, 1-3 KB, N/100
# folders), against cat-ing each folder's files into one file and syncing them,
# and times the idempotent re-run: --skip-duplicates into a destination that
# already holds every message. ROUNDS (default 3) alternate rounds; medians.
# Last line: cli messages=N cat_s=A cli_s=B ratio=R rerun_s=C rerun_ratio=C/A peak_rss_mb=P
# With --maildir first, the --layout maildir round instead (see there).
set -euo pipefail

maildir=0  # --maildir: the --layout maildir round instead, against cp -r and a sync
if [ "${1:-}" = --maildir ]; then
    maildir=1
    shift
fi
small=0
if [ "${1:-}" = --small ]; then
    small=1
    shift
fi
source "$(dirname "$0")/common.sh"
bench_build quorvel-convert
cli="$build_dir/cli/quorvel-convert"

if [ "$small" = 1 ]; then
    messages="${1:-200000}"
    tree="$build_dir/bench-small-$messages"
    if [ ! -f "$tree.made" ]; then
        rm -rf "$tree"
        echo "making $messages small messages under $tree ..." >&2
        python3 "$source_dir/bench/small_tree.py" "$tree" "$messages" > "$tree.made"
    fi
else
    messages="${1:-20000}"
    bench_build convert_bench
    tree="$build_dir/bench-messages-$messages"
    make_tree_once "$build_dir/bench/convert_bench" "$tree" "$messages" >/dev/null
fi

out="$build_dir/bench-cli-out"
rounds="${ROUNDS:-3}"
find "$tree" -type f -name '*.eml' -exec cat {} + >/dev/null  # warm the cache for all

# --- The Maildir round: --layout maildir writes one file per message, so its
# floor is copying the files: cp -r of the tree and a sync. Then the re-run
# with --skip-duplicates, which finds every copy by its name.
# Last line: maildir messages=N cp_s=A cli_s=B ratio=B/A rerun_s=C
if [ "$maildir" = 1 ]; then
    out="$build_dir/bench-maildir-out"
    cps=() clis=() reruns=()
    for round in $(seq "${ROUNDS:-3}"); do
        # Both copies go after the same removal: ext4 is slow to hand out
        # inodes freed a minute ago, and either would pay for its own alone.
        rm -rf "$out" && mkdir -p "$out" && sync
        start="$(now)"
        cp -r "$tree" "$out/cp" && sync
        cps+=("$(seconds_since "$start")")
        start="$(now)"
        "$cli" -q --progress never --layout maildir --relative "$tree" -o "$out/cli"
        clis+=("$(seconds_since "$start")")
        start="$(now)"
        "$cli" -q --progress never --layout maildir --relative --skip-duplicates --report "$out.json" "$tree" -o "$out/cli"
        reruns+=("$(seconds_since "$start")")
        python3 -c "import json, sys; t = json.load(open(sys.argv[1]))['totals']; sys.exit(t['written'] != 0 or t['skipped'] != t['listed'])" "$out.json" \
            || { echo "the re-run wrote messages" >&2; exit 1; }
        echo "round $round: cp_s=${cps[-1]} cli_s=${clis[-1]} rerun_s=${reruns[-1]}" >&2
    done
    rm -rf "$out" "$out.json"
    cp_s="$(printf '%s\n' "${cps[@]}" | median)"
    cli_s="$(printf '%s\n' "${clis[@]}" | median)"
    rerun_s="$(printf '%s\n' "${reruns[@]}" | median)"
    ratio="$(echo "$cli_s $cp_s" | awk '{ printf "%.2f", ($2 > 0 ? $1 / $2 : 0) }')"
    echo "maildir messages=$messages cp_s=$cp_s cli_s=$cli_s ratio=$ratio rerun_s=$rerun_s"
    exit 0
fi


# time_cli ARGS...: seconds; the peak RSS in KB goes to $out.rss.
time_cli() {
    local start status
    start="$(now)"
    status=0
    /usr/bin/time -f %M -o "$out.rss" "$cli" -q --progress never "$@" "$tree" -o "$out/cli" || status=$?
    if [ "$status" != 0 ]; then
        echo "quorvel-convert failed with status $status" >&2
        exit 1
    fi
    seconds_since "$start"
}

peak_kb=0
keep_peak() { peak_kb="$(larger "$peak_kb" "$(cat "$out.rss")")"; }

cats=() clis=() reruns=()
for round in $(seq "$rounds"); do
    cats+=("$(time_cat)")
    rm -rf "$out" && mkdir -p "$out"
    sync
    clis+=("$(time_cli)")
    keep_peak
    sync
    reruns+=("$(time_cli --skip-duplicates --report "$out.json")")
    keep_peak
    python3 -c "import json, sys; t = json.load(open(sys.argv[1]))['totals']; sys.exit(t['written'] != 0 or t['skipped'] != t['listed'])" "$out.json" \
        || { echo "the re-run appended messages" >&2; exit 1; }
    echo "round $round: cat_s=${cats[-1]} cli_s=${clis[-1]} rerun_s=${reruns[-1]}" >&2
done
rm -rf "$out" "$out.rss" "$out.json"

cat_s="$(printf '%s\n' "${cats[@]}" | median)"
cli_s="$(printf '%s\n' "${clis[@]}" | median)"
rerun_s="$(printf '%s\n' "${reruns[@]}" | median)"
ratio="$(echo "$cli_s $cat_s" | awk '{ printf "%.2f", ($2 > 0 ? $1 / $2 : 0) }')"
rerun_ratio="$(echo "$rerun_s $cat_s" | awk '{ printf "%.2f", ($2 > 0 ? $1 / $2 : 0) }')"
peak_mb="$(echo "$peak_kb" | awk '{ printf "%.0f", $1 / 1024 }')"
echo "cli messages=$messages cat_s=$cat_s cli_s=$cli_s ratio=$ratio rerun_s=$rerun_s rerun_ratio=$rerun_ratio peak_rss_mb=$peak_mb"
