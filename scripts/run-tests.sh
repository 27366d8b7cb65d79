#!/usr/bin/env bash
# Builds Lineweld with its tests and runs the whole suite headless. Under CI a warning fails the build.
# The suite's full output goes to test.log in the build folder; a failure shows its tail.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build"
werror=OFF
[ "${CI:-}" = "true" ] && werror=ON
bash "$root/scripts/setup.sh" "$build" -DLINEWELD_BUILD_TESTS=ON -DLINEWELD_WERROR=$werror

# shellcheck source=scripts/steps.sh
source "$root/scripts/steps.sh"
steps_log="$build/test.log"
: >"$steps_log"
cd "$build"
count=$(ctest -N | sed -n 's/^Total Tests: *//p')
step "Running $count test programs..." \
    env QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 300 -j "$(nproc)"
grep -E 'tests passed|Total Test time' "$steps_log" || true
