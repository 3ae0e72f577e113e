#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ (apart from the
# normal build) and runs each for SECONDS (default 30), starting from its
# seeds in fuzz/corpus/. Exits non-zero when any target finds a crash, a
# hang, a leak or a broken invariant; the input that did it is kept in
# build-fuzz/findings/TARGET/ and can be replayed with
#   build-fuzz/fuzz/fuzz_TARGET FILE
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
build=build-fuzz
targets=(header_source mail_date record_builder envelope_line mbox_reader verify_reader)
sanitizers="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"

if [ ! -f "$build/build.ninja" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
        -DCMAKE_CXX_FLAGS="$sanitizers" -DBUILD_TESTING=OFF -DQUORVEL_FUZZ=ON
fi
cmake --build "$build" --target "${targets[@]/#/fuzz_}"

failed=()
for target in "${targets[@]}"; do
    corpus="$build/corpus/$target"
    findings="$build/findings/$target/"
    mkdir -p "$corpus" "$findings"
    echo "== fuzz_$target for ${seconds}s"
    # New inputs go to the build's corpus; the checked-in seeds stay as they are.
    if ! "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
            -print_final_stats=1 -artifact_prefix="$findings" "$corpus" "fuzz/corpus/$target"; then
        failed+=("$target")
    fi
done

if [ "${#failed[@]}" -gt 0 ]; then
    echo "fuzzing found faults in: ${failed[*]} (inputs in $build/findings/)" >&2
    exit 1
fi
echo "fuzzing found nothing in ${#targets[@]} targets, ${seconds}s each"
