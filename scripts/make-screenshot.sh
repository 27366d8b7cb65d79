#!/usr/bin/env bash
# Remakes doc/screenshot.png, the README's picture: the main window on examples/sample.s after F5,
# grabbed offscreen. Installs what is missing and builds in build-screenshot/.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
LINEWELD_TARGET=screenshot bash "$root/scripts/setup.sh" "$root/build-screenshot" \
    -DLINEWELD_BUILD_TESTS=OFF -DLINEWELD_BUILD_SCREENSHOT=ON
echo "Saved $root/doc/screenshot.png"
