#!/usr/bin/env bash
# Builds the whole suite with AddressSanitizer and UndefinedBehaviorSanitizer in build-sanitize and
# runs it: a memory error, a leak of ours or undefined behaviour fails the test it happens in.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-"$root/build-sanitize"}
bash "$root/scripts/setup.sh" "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLINEWELD_BUILD_TESTS=ON \
    -DLINEWELD_SANITIZE=ON -DLINEWELD_WERROR=ON
cd "$build"
# print_suppressions=0: a suppressed leak of Qt's must not add lines to stderr, which a test compares.
# Full stacks on allocation, so that the leak suppressions can match the Qt frame that made them.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1:fast_unwind_on_malloc=0
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 600 -j "$(nproc)"
