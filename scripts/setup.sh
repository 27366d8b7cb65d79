#!/usr/bin/env bash
# Installs the Debian packages Lineweld needs (only those missing), then configures and builds it.
# Usage: scripts/setup.sh [build-dir] [extra cmake arguments...]
# LINEWELD_EXTRA_PACKAGES names more packages a stage needs (clang for the fuzz build, say);
# LINEWELD_TARGET builds one target instead of all. CC and CXX choose the compiler of a new build folder.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-"$root/build"}
shift || true

packages=(g++ cmake ninja-build qtbase5-dev qtbase5-dev-tools libqscintilla2-qt5-dev
          fonts-dejavu-core coreutils git)
# shellcheck disable=SC2206 # a list of names, split on purpose
packages+=(${LINEWELD_EXTRA_PACKAGES:-})
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release "$@"
if [ -n "${LINEWELD_TARGET:-}" ]; then
    cmake --build "$build" --parallel "$(nproc)" --target "$LINEWELD_TARGET"
else
    cmake --build "$build" --parallel "$(nproc)"
fi
