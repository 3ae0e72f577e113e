#!/usr/bin/env bash
# Times two builds of quorvel-convert side by side on the tree bench/cli.sh
# makes (N messages, default 20000): each round runs every case once with the
# old build and once with the new, alternating which goes first, so both meet
# the same disk and the same load. Every run ends with its sync.
#   bench/ab.sh OLD_BUILD_DIR NEW_BUILD_DIR [N]
# ROUNDS (default 3). One line per case: case=NAME old_s=A new_s=B ratio=B/A
# old_cpu=C new_cpu=D cpu_ratio=D/C (medians of wall and processor times).
# AB_WORK puts the outputs elsewhere (a tmpfs: the code's cost without the disk's).
set -euo pipefail

old_build="$(cd "${1:?old build folder}" && pwd)"
new_build="$(cd "${2:?new build folder}" && pwd)"
messages="${3:-20000}"
source "$(dirname "$0")/common.sh"
bench_build convert_bench
tree="$build_dir/bench-messages-$messages"
make_tree_once "$build_dir/bench/convert_bench" "$tree" "$messages" >/dev/null
rounds="${ROUNDS:-3}"
work="${AB_WORK:-$build_dir/bench-ab}"
rm -rf "$work"
mkdir -p "$work"
# The messages as mbox files too, for the case that reads mbox sources.
"$new_build/cli/quorvel-convert" -q --progress never --relative "$tree" -o "$work/mbox-source"
find "$tree" "$work/mbox-source" -type f -exec cat {} + >/dev/null  # warm the cache

# case name, then the arguments; OUT is the run's own destination.
cases=(
    "mbox|--relative SRC -o OUT"
    "thunderbird|--layout thunderbird SRC -o OUT"
    "maildir|--layout maildir --relative SRC -o OUT"
    "verify|--relative --verify SRC -o OUT"
    "order-date|--relative --order date SRC -o OUT"
    "mbox-source|--relative MBOXSRC -o OUT"
    "rerun|RERUN"
)

run_once() {  # build case_args -> seconds
    local cli="$1/cli/quorvel-convert" args="$2" out="$work/out"
    rm -rf "$out"
    sync
    if [ "$args" = RERUN ]; then
        "$cli" -q --progress never --relative "$tree" -o "$out"
        sync
        args="--relative --skip-duplicates SRC -o OUT"
    fi
    args="${args//MBOXSRC/$work/mbox-source}"
    args="${args//SRC/$tree}"
    args="${args//OUT/$out}"
    local start cpu
    start="$(now)"
    # shellcheck disable=SC2086
    cpu="$(/usr/bin/time -f '%U %S' "$cli" -q --progress never $args 2>&1 >/dev/null | tail -1 | awk '{ printf "%.2f", $1 + $2 }')"
    sync
    echo "$(seconds_since "$start") $cpu"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

for entry in "${cases[@]}"; do
    name="${entry%%|*}"
    args="${entry#*|}"
    olds=() news=() oldc=() newc=()
    for ((round = 0; round < rounds; ++round)); do
        if ((round % 2 == 0)); then
            read -r o oc <<<"$(run_once "$old_build" "$args")"
            read -r n nc <<<"$(run_once "$new_build" "$args")"
        else
            read -r n nc <<<"$(run_once "$new_build" "$args")"
            read -r o oc <<<"$(run_once "$old_build" "$args")"
        fi
        olds+=("$o") news+=("$n") oldc+=("$oc") newc+=("$nc")
    done
    old_s="$(printf '%s\n' "${olds[@]}" | median)"
    new_s="$(printf '%s\n' "${news[@]}" | median)"
    old_cpu="$(printf '%s\n' "${oldc[@]}" | median)"
    new_cpu="$(printf '%s\n' "${newc[@]}" | median)"
    echo "case=$name old_s=$old_s new_s=$new_s ratio=$(echo "$new_s $old_s" | awk '{ printf "%.3f", $1 / $2 }')" \
         "old_cpu=$old_cpu new_cpu=$new_cpu cpu_ratio=$(echo "$new_cpu $old_cpu" | awk '{ printf "%.3f", $1 / $2 }')" \
         "old_runs=${olds[*]} new_runs=${news[*]}"
done
rm -rf "$work"
