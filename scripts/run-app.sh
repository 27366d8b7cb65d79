#!/usr/bin/env bash
# Builds Lineweld and starts it on the sample template.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$root/scripts/setup.sh" "$root/build"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "Lineweld is built ($root/build/src/lineweld), but there is no display to show its window on."
    echo "Run it from a desktop session: $root/build/src/lineweld --open $root/examples/sample.s"
    exit 0
fi
exec "$root/build/src/lineweld" --open "$root/examples/sample.s"
