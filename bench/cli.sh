#!/usr/bin/env bash
# Times quorvel-convert on the tree bench/convert.sh makes (N messages, default
# 20000), or with --small on N small messages (default 200000, 1-3 KB, N/100
# folders), against cat-ing each folder's files into one file and syncing them,
# and times the idempotent re-run: --skip-duplicates into a destination that
# already holds every message. ROUNDS (default 3) alternate rounds; medians.
# The line before the last: order messages=N list_s=A date_s=B order_ratio=B/A ... (see order_round)
# Last line: cli messages=N cat_s=A cli_s=B ratio=R rerun_s=C rerun_ratio=C/A peak_rss_mb=P
# Then, unless VERIFY_ROUND=0, the cost of --verify (verify_round below).
# With --maildir first, the --layout maildir round instead (see there); with
# --source maildir or --source mbox, the round reading those sources.
set -euo pipefail

maildir=0  # --maildir: the --layout maildir round instead, against cp -r and a sync
if [ "${1:-}" = --maildir ]; then
    maildir=1
    shift
fi
source_kind=""  # --source maildir|mbox: the same messages read from that kind of source
if [ "${1:-}" = --source ]; then
    source_kind="${2:?--source takes maildir or mbox}"
    shift 2
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

# --- The source rounds: the same messages as a maildir or as mbox files, made
# once by quorvel-convert itself, converted into mbox files (which the command
# syncs itself), against cat + sync of the .eml tree: a maildir's or an mbox's
# messages are to be read at the pace .eml files are.
# Last line: source kind=K messages=N cat_s=A cli_s=B ratio=B/A peak_rss_mb=P
if [ -n "$source_kind" ]; then
    # The same bytes as the .eml files, CR LF line ends and all: only the
    # container differs from the .eml round, not the work on each line.
    src="$build_dir/bench-source-$source_kind-crlf-$messages"
    if [ ! -f "$src.made" ]; then
        rm -rf "$src"
        case "$source_kind" in
        maildir) "$cli" -q --progress never --layout maildir --line-endings crlf --relative "$tree" -o "$src" ;;
        mbox) "$cli" -q --progress never --relative "$tree" -o "$src" ;;
        *) echo "--source takes maildir or mbox" >&2; exit 2 ;;
        esac
        touch "$src.made"
    fi
    find "$src" -type f -exec cat {} + >/dev/null
    cats=() clis=() peak_kb=0
    for round in $(seq "$rounds"); do
        cats+=("$(time_cat)")
        rm -rf "$out" && mkdir -p "$out" && sync
        start="$(now)"
        /usr/bin/time -f "%M" -o "$out.rss" "$cli" -q --progress never --relative --report "$out.json" "$src" -o "$out/cli"
        clis+=("$(seconds_since "$start")")
        peak_kb="$(larger "$peak_kb" "$(cat "$out.rss")")"
        python3 -c "import json, sys; t = json.load(open(sys.argv[1]))['totals']; sys.exit(t['written'] != int(sys.argv[2]))" "$out.json" "$messages" \
            || { echo "not every message was read from the $source_kind source" >&2; exit 1; }
        echo "round $round: cat_s=${cats[-1]} cli_s=${clis[-1]}" >&2
    done
    rm -rf "$out" "$out.rss" "$out.json"
    cat_s="$(printf '%s\n' "${cats[@]}" | median)"
    cli_s="$(printf '%s\n' "${clis[@]}" | median)"
    ratio="$(echo "$cli_s $cat_s" | awk '{ printf "%.2f", ($2 > 0 ? $1 / $2 : 0) }')"
    echo "source kind=$source_kind messages=$messages cat_s=$cat_s cli_s=$cli_s ratio=$ratio peak_rss_mb=$(echo "$peak_kb" | awk '{ printf "%.0f", $1 / 1024 }')"
    exit 0
fi

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
rm -rf "$out.json"

# --order date: every message's start is read before the first is written.
# Rounds of a run without it and one with it, alternating; medians of the
# wall time and of the processor time (user + system), which other programs
# on the machine disturb less. Its own line, before the last:
# order messages=N list_s=A date_s=B order_ratio=B/A list_cpu_s=C date_cpu_s=D order_cpu_ratio=D/C
order_round() {
    local round lists=() dates=() list_cpus=() date_cpus=() order
    for round in $(seq "$rounds"); do
        for order in list date; do
            rm -rf "$out" && mkdir -p "$out"
            sync
            local start status=0
            start="$(now)"
            /usr/bin/time -f "%U %S" -o "$out.cpu" "$cli" -q --progress never --order "$order" "$tree" -o "$out/cli" || status=$?
            [ "$status" = 0 ] || { echo "quorvel-convert --order $order failed with status $status" >&2; exit 1; }
            if [ "$order" = list ]; then
                lists+=("$(seconds_since "$start")")
                list_cpus+=("$(awk '{ print $1 + $2 }' "$out.cpu")")
            else
                dates+=("$(seconds_since "$start")")
                date_cpus+=("$(awk '{ print $1 + $2 }' "$out.cpu")")
            fi
        done
        echo "order round $round: list_s=${lists[-1]} date_s=${dates[-1]} list_cpu_s=${list_cpus[-1]} date_cpu_s=${date_cpus[-1]}" >&2
    done
    rm -rf "$out" "$out.cpu"
    local list_s date_s list_cpu date_cpu
    list_s="$(printf '%s\n' "${lists[@]}" | median)"
    date_s="$(printf '%s\n' "${dates[@]}" | median)"
    list_cpu="$(printf '%s\n' "${list_cpus[@]}" | median)"
    date_cpu="$(printf '%s\n' "${date_cpus[@]}" | median)"
    echo "order messages=$messages list_s=$list_s date_s=$date_s order_ratio=$(echo "$date_s $list_s" | awk '{ printf "%.2f", ($2 > 0 ? $1 / $2 : 0) }')" \
         "list_cpu_s=$list_cpu date_cpu_s=$date_cpu order_cpu_ratio=$(echo "$date_cpu $list_cpu" | awk '{ printf "%.2f", ($2 > 0 ? $1 / $2 : 0) }')"
}
order_round
rm -f "$out.rss"

cat_s="$(printf '%s\n' "${cats[@]}" | median)"
cli_s="$(printf '%s\n' "${clis[@]}" | median)"
rerun_s="$(printf '%s\n' "${reruns[@]}" | median)"
ratio="$(echo "$cli_s $cat_s" | awk '{ printf "%.2f", ($2 > 0 ? $1 / $2 : 0) }')"
rerun_ratio="$(echo "$rerun_s $cat_s" | awk '{ printf "%.2f", ($2 > 0 ? $1 / $2 : 0) }')"
peak_mb="$(echo "$peak_kb" | awk '{ printf "%.0f", $1 / 1024 }')"
echo "cli messages=$messages cat_s=$cat_s cli_s=$cli_s ratio=$ratio rerun_s=$rerun_s rerun_ratio=$rerun_ratio peak_rss_mb=$peak_mb"

# --- The Thunderbird layout: the same tree into a profile-shaped folder (LF
# line ends, two status lines after every separator), against cat + sync.
# Last line: cli_thunderbird messages=N cat_s=A thunderbird_s=B ratio=B/A
tb_cats=() tbs=()
for round in $(seq "$rounds"); do
    tb_cats+=("$(time_cat)")
    rm -rf "$out" && mkdir -p "$out"
    sync
    tbs+=("$(time_cli --layout thunderbird)")
    echo "thunderbird round $round: cat_s=${tb_cats[-1]} thunderbird_s=${tbs[-1]}" >&2
done
rm -rf "$out" "$out.rss"
tb_cat_s="$(printf '%s\n' "${tb_cats[@]}" | median)"
tb_s="$(printf '%s\n' "${tbs[@]}" | median)"
tb_ratio="$(echo "$tb_s $tb_cat_s" | awk '{ printf "%.2f", ($2 > 0 ? $1 / $2 : 0) }')"
echo "cli_thunderbird messages=$messages cat_s=$tb_cat_s thunderbird_s=$tb_s ratio=$tb_ratio"

# --verify: the same run without and with it, each into an empty destination,
# on a warm cache. The run waits on the disk and the verifying on the
# processor, so the processor time (user + system) is compared too: it holds
# still on a busy machine where the elapsed time does not.
# Line: cli_verify messages=N plain_s=A verify_s=B verify_ratio=B/A plain_cpu_s=C verify_cpu_s=D cpu_ratio=D/C peak_rss_mb=P
verify_round() {
    local plains=() verifies=() plain_cpus=() verify_cpus=() start status
    peak_kb=0
    # timed ARGS...: elapsed seconds; "peak_kb cpu_s" goes to $out.cpu.
    timed() {
        start="$(now)"
        status=0
        /usr/bin/time -f "%M %U %S" -o "$out.cpu" "$cli" -q --progress never "$@" "$tree" -o "$out/cli" || status=$?
        [ "$status" = 0 ] || { echo "quorvel-convert failed with status $status" >&2; exit 1; }
        seconds_since "$start"
    }
    cpu_of() { awk '{ printf "%.3f", $2 + $3 }' "$out.cpu"; }
    for round in $(seq "$rounds"); do
        rm -rf "$out" && mkdir -p "$out" && sync
        plains+=("$(timed)")
        plain_cpus+=("$(cpu_of)")
        rm -rf "$out" && mkdir -p "$out" && sync
        verifies+=("$(timed --verify --report "$out.json")")
        verify_cpus+=("$(cpu_of)")
        peak_kb="$(larger "$peak_kb" "$(cut -d' ' -f1 "$out.cpu")")"
        python3 -c "import json, sys; v = json.load(open(sys.argv[1]))['verify']; sys.exit(v['verified'] != v['checked'] or v['checked'] == 0)" "$out.json" \
            || { echo "--verify did not verify every message" >&2; exit 1; }
        echo "verify round $round: plain_s=${plains[-1]} verify_s=${verifies[-1]} plain_cpu_s=${plain_cpus[-1]} verify_cpu_s=${verify_cpus[-1]}" >&2
    done
    local plain_s verify_s plain_cpu verify_cpu
    plain_s="$(printf '%s\n' "${plains[@]}" | median)"
    verify_s="$(printf '%s\n' "${verifies[@]}" | median)"
    plain_cpu="$(printf '%s\n' "${plain_cpus[@]}" | median)"
    verify_cpu="$(printf '%s\n' "${verify_cpus[@]}" | median)"
    ratio() { echo "$1 $2" | awk '{ printf "%.2f", ($2 > 0 ? $1 / $2 : 0) }'; }
    echo "cli_verify messages=$messages plain_s=$plain_s verify_s=$verify_s verify_ratio=$(ratio "$verify_s" "$plain_s")" \
         "plain_cpu_s=$plain_cpu verify_cpu_s=$verify_cpu cpu_ratio=$(ratio "$verify_cpu" "$plain_cpu")" \
         "peak_rss_mb=$(echo "$peak_kb" | awk '{ printf "%.0f", $1 / 1024 }')"
}
[ "${VERIFY_ROUND:-1}" = 0 ] || verify_round
rm -rf "$out" "$out.rss" "$out.json" "$out.cpu"
