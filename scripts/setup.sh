#!/usr/bin/env bash
# Installs the Debian packages Lineweld needs (only those missing), then configures and builds it.
# Usage: scripts/setup.sh [build-dir] [extra cmake arguments...]
# LINEWELD_EXTRA_PACKAGES names more packages a stage needs (clang for the fuzz build, say);
# LINEWELD_TARGET builds one target instead of all. CC and CXX choose the compiler of a new build folder.
# Prints one line per step; the full output of apt, CMake and the compiler goes to setup.log in the
# build folder, and its tail is shown only when a step fails.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-"$root/build"}
shift || true

# shellcheck source=scripts/steps.sh
source "$root/scripts/steps.sh"
mkdir -p "$build"
steps_log="$build/setup.log"
: >"$steps_log"

packages=(g++ cmake ninja-build qtbase5-dev qtbase5-dev-tools libqscintilla2-qt5-dev
          fonts-dejavu-core coreutils git)
# shellcheck disable=SC2206 # a list of names, split on purpose
packages+=(${LINEWELD_EXTRA_PACKAGES:-})
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    count=${#missing[@]}
    step "Updating the package lists..." $sudo apt-get update
    step "Installing $count package$([ "$count" -eq 1 ] || echo s) (${missing[*]})..." \
        env DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi

step "Configuring..." cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release "$@"
if [ -n "${LINEWELD_TARGET:-}" ]; then
    step "Building $LINEWELD_TARGET..." cmake --build "$build" --parallel "$(nproc)" --target "$LINEWELD_TARGET"
else
    step "Building..." cmake --build "$build" --parallel "$(nproc)"
fi
