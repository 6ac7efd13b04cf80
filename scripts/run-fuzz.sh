#!/usr/bin/env bash
# Builds the libFuzzer targets with Clang and runs each for SECONDS seconds on a copy of its seed
# corpus from fuzz/corpus/, as many at once as there are cores. Fails when any target finds a
# crash, a failed check, undefined behaviour, a leak or a hang; the input that did it is kept
# beside the target's log.
# The build folder is build-fuzz, or $ZENKO_FUZZ_BUILD when set.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

if [ "$#" -ne 1 ] || ! [[ "$1" =~ ^[1-9][0-9]*$ ]]; then
    echo "usage: $0 SECONDS" >&2
    exit 2
fi
seconds=$1
build=${ZENKO_FUZZ_BUILD:-$root/build-fuzz}
targets=(fuzz_binary_request fuzz_ascii_request fuzz_adc_reply fuzz_allow_list)

"$root/scripts/install-deps.sh" clang libclang-rt-14-dev

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DZENKO_FUZZ=ON >/dev/null
cmake --build "$build" --target "${targets[@]}" -j"$(nproc)"

# As many fuzzers at once as there are cores, so each still has one to itself for its whole run.
running=()
for target in "${targets[@]}"; do
    # The fuzzer adds what it finds to its corpus folder, so it works on a copy: the committed
    # seeds stay as they are.
    work="$build/fuzz-runs/$target"
    rm -rf "$work"
    mkdir -p "$work/corpus" "$work/artifacts"
    cp -R "$root/fuzz/corpus/$target/." "$work/corpus/"
    if [ "${#running[@]}" -ge "$(nproc)" ]; then
        wait "${running[0]}"
        running=("${running[@]:1}")
    fi
    echo "== $target: ${seconds} s"
    (
        if ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
            "$build/fuzz/$target" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
            -artifact_prefix="$work/artifacts/" "$work/corpus" >"$work/log" 2>&1; then
            echo passed >"$work/outcome"
        else
            echo failed >"$work/outcome"
        fi
    ) &
    running+=("$!")
done
wait

failed=()
for target in "${targets[@]}"; do
    work="$build/fuzz-runs/$target"
    echo "== $target"
    if [ "$(cat "$work/outcome")" = passed ]; then
        grep -E '^stat::number_of_executed_units|^Done' "$work/log" || true
        echo "   corpus: $(find "$work/corpus" -type f | wc -l) inputs"
    else
        failed+=("$target")
        tail -n 40 "$work/log"
        for artifact in "$work"/artifacts/*; do
            [ -e "$artifact" ] && echo "   reproduce: $build/fuzz/$target $artifact"
        done
    fi
done

if [ "${#failed[@]}" -gt 0 ]; then
    echo "FAILED: ${failed[*]} (logs in $build/fuzz-runs/)" >&2
    exit 1
fi
echo "All fuzz targets ran ${seconds} s without a finding."
