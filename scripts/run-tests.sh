#!/usr/bin/env bash
# Builds Lineweld with its tests and runs the whole suite headless. Under CI a warning fails the build.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
werror=OFF
[ "${CI:-}" = "true" ] && werror=ON
bash "$root/scripts/setup.sh" "$root/build" -DLINEWELD_BUILD_TESTS=ON -DLINEWELD_WERROR=$werror
cd "$root/build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 300 -j "$(nproc)"
