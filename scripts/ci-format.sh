#!/usr/bin/env bash
# Fails when a tracked C++ file drifts from the repo's .clang-format.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
if ! command -v clang-format > /dev/null; then
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends clang-format
fi
git ls-files -z -- '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror
echo "Format check passed: $(git ls-files -- '*.cpp' '*.h' | wc -l) files"
