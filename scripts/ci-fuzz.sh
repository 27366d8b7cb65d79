#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz, replays each one's past findings and seeds,
# then fuzzes each for FUZZ_SECONDS (60 by default). A crash, a broken property, an input that takes
# more than 10 s or a run out of memory fails, and the input that did it is shown.
# Usage: scripts/ci-fuzz.sh [build-dir] [target...]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-"$root/build-fuzz"}
shift || true
seconds=${FUZZ_SECONDS:-60}
fuzz="$root/tests/fuzz"

CC=clang-14 CXX=clang++-14 LINEWELD_EXTRA_PACKAGES="clang-14 libclang-rt-14-dev" LINEWELD_TARGET=fuzz \
    bash "$root/scripts/setup.sh" "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLINEWELD_BUILD_TESTS=OFF \
    -DLINEWELD_FUZZ=ON -DLINEWELD_WERROR=ON

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    mapfile -t targets < <(find "$fuzz" -maxdepth 1 -name 'fuzz_*.cpp' -printf '%f\n' | sed 's/\.cpp$//' | sort)
fi
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
options=(-timeout=10 -rss_limit_mb=2048 -max_len=1024)
work="$build/fuzz-work"
failed=()
for target in "${targets[@]}"; do
    binary="$build/tests/fuzz/$target"
    mkdir -p "$work/$target/corpus" "$work/$target/artifacts"
    inputs=()
    for folder in "$fuzz/findings/$target" "$fuzz/corpus/$target"; do
        [ -d "$folder" ] && mapfile -t -O "${#inputs[@]}" inputs < <(find "$folder" -type f | sort)
    done
    echo "== $target: replaying ${#inputs[@]} past findings and seeds"
    if [ ${#inputs[@]} -gt 0 ] && ! "$binary" "${options[@]}" "${inputs[@]}" > "$work/$target/replay.log" 2>&1; then
        tail -n 40 "$work/$target/replay.log"
        failed+=("$target (replay)")
        continue
    fi
    echo "== $target: fuzzing for $seconds s"
    # The committed seeds are read, never written: new inputs go to the work folder.
    if ! "$binary" "${options[@]}" -max_total_time="$seconds" -print_final_stats=1 \
            -artifact_prefix="$work/$target/artifacts/" "$work/$target/corpus" "$fuzz/corpus/$target" \
            > "$work/$target/fuzz.log" 2>&1; then
        tail -n 40 "$work/$target/fuzz.log"
        for artifact in "$work/$target/artifacts/"*; do
            [ -f "$artifact" ] || continue
            echo "-- $artifact (add it to tests/fuzz/findings/$target once it is fixed):"
            head -c 512 "$artifact" | od -A d -c | head -n 20
        done
        failed+=("$target")
        continue
    fi
    grep -E '^stat::number_of_executed_units|^Done' "$work/$target/fuzz.log" | tr '\n' ' '
    echo
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "Fuzzing failed: ${failed[*]}"
    exit 1
fi
echo "Fuzzing passed: ${targets[*]}"
