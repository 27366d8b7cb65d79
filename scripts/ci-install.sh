#!/usr/bin/env bash
# Checks what installing gives: the install tree of `cmake --install`, the desktop entry and the AppStream
# metainfo as the freedesktop validators see them, and the Debian package CPack builds (its contents, its
# dependencies, and lineweld-run answering from a copy unpacked into a temporary folder).
# Reuses the Release build folder of the test stage; nothing is installed on the system.
# Usage: scripts/ci-install.sh [build-dir]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-"$root/build"}
LINEWELD_EXTRA_PACKAGES="desktop-file-utils appstream dpkg-dev file" bash "$root/scripts/setup.sh" "$build"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check()
{
    local what=$1
    shift
    if "$@"; then
        echo "ok: $what"
    else
        echo "FAILED: $what"
        failures=$((failures + 1))
    fi
}

# The files an install must hold, below the prefix.
expected=(
    bin/lineweld
    bin/lineweld-run
    share/applications/org.vardel.Lineweld.desktop
    share/metainfo/org.vardel.Lineweld.metainfo.xml
    share/icons/hicolor/64x64/apps/lineweld.png
    share/icons/hicolor/256x256/apps/lineweld.png
    share/icons/hicolor/scalable/apps/lineweld.svg
    share/man/man1/lineweld.1
    share/man/man1/lineweld-run.1
)

prefix="$work/prefix/usr"
cmake --install "$build" --prefix "$prefix" > "$work/install.log"
for file in "${expected[@]}"; do
    check "installed $file" test -s "$prefix/$file"
done
check "64 px icon" sh -c "file '$prefix/share/icons/hicolor/64x64/apps/lineweld.png' | grep -q '64 x 64'"
check "256 px icon" sh -c "file '$prefix/share/icons/hicolor/256x256/apps/lineweld.png' | grep -q '256 x 256'"
check "desktop-file-validate" desktop-file-validate "$prefix/share/applications/org.vardel.Lineweld.desktop"
check "appstreamcli validate" appstreamcli validate --no-net "$prefix/share/metainfo/org.vardel.Lineweld.metainfo.xml"
# Assembly sources use *.s: the entry must not take that glob for a MIME type of its own.
check "no MIME type claimed" sh -c "! grep -q '^MimeType=' '$prefix/share/applications/org.vardel.Lineweld.desktop'"
check "manual pages" sh -c "man --warnings -l '$prefix/share/man/man1/lineweld-run.1' > /dev/null && \
    man --warnings -l '$prefix/share/man/man1/lineweld.1' > /dev/null"
check "installed lineweld-run runs the sample" sh -c \
    "XDG_CONFIG_HOME='$work/config' '$prefix/bin/lineweld-run' '$root/examples/sample.s' | head -n 1 | grep -q '^INSERT INTO users'"

# The Debian package.
rm -f "$build"/lineweld_*.deb
(cd "$build" && cpack -G DEB > "$work/cpack.log") || { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$build"/lineweld_*.deb)
dpkg-deb -c "$deb" > "$work/contents"
for file in "${expected[@]}"; do
    check "package holds /usr/$file" grep -q " \./usr/$file\$" "$work/contents"
done
dpkg-deb -I "$deb" > "$work/info"
depends=$(sed -n 's/^ Depends: //p' "$work/info")
for library in libqt5core5a libqt5gui5 libqt5widgets5 libqscintilla2-qt5 libstdc++6; do
    check "package depends on $library" grep -q "$library" <<< "$depends"
done
dpkg-deb -x "$deb" "$work/unpacked"
check "unpacked lineweld-run --version" sh -c \
    "'$work/unpacked/usr/bin/lineweld-run' --version | grep -qx 'lineweld-run 3.0.0'"

if [ "$failures" -gt 0 ]; then
    echo "Install checks failed: $failures"
    exit 1
fi
echo "Install checks passed: $(basename "$deb")"
