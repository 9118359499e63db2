#!/usr/bin/env bash
# Builds the Debian package from a configured build folder and checks it without installing
# it: the menu entry and the AppStream metainfo validate; the package holds what an
# installation needs; unpacked into a temporary root, the program runs from there, finding its
# modules and its settings template relative to itself; and apt-get, simulating the install,
# finds every package it depends on. Nothing on the machine is installed, removed or changed,
# so it runs as well where Tunora is installed.
#
# Usage: scripts/package-check.sh [build folder, default build-test]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-test}

fail() {
    echo "package check: $*" >&2
    exit 1
}

desktop-file-validate data/tunora.desktop
appstreamcli validate --no-net data/tunora.metainfo.xml

rm -f "$build"/tunora_*.deb
(cd "$build" && cpack -G DEB)
debs=("$build"/tunora_*.deb)
deb=$(realpath "${debs[0]}")
dpkg-deb --info "$deb"
depends=$(dpkg-deb --field "$deb" Depends)
for library in libmpv2 libqt6widgets6 qt6-qpa-plugins; do
    grep -q "$library" <<<"$depends" || fail "the package does not depend on $library: $depends"
done

# Its dependencies as apt-get would resolve them here, installing nothing.
simulation=$(apt-get install --simulate --no-install-recommends "$deb" 2>&1) ||
    { printf '%s\n' "$simulation" >&2; fail "apt-get cannot resolve the package's dependencies"; }
grep -q '^Inst tunora ' <<<"$simulation" || grep -q 'tunora is already the newest version' <<<"$simulation" ||
    { printf '%s\n' "$simulation" >&2; fail "apt-get would not install the package"; }
echo "apt-get resolves the dependencies: $(grep -c '^Inst ' <<<"$simulation") package(s) to install"

root=$(mktemp -d "${TMPDIR:-/tmp}/tunora-package.XXXXXX")
trap 'chmod -R u+w "$root" 2>/dev/null; rm -rf "$root"' EXIT
chmod 755 "$root"
dpkg-deb --contents "$deb"
dpkg-deb -x "$deb" "$root"
bin=$root/usr/bin

# What an installation needs: the program, each module the build made, the settings template,
# the menu entry, the metainfo, the icon and the README the About box names.
expected=(usr/bin/tunora usr/share/tunora/初始化配置.ini usr/share/applications/tunora.desktop
    usr/share/icons/hicolor/256x256/apps/tunora.png usr/share/doc/tunora/README.md)
for module in "$build"/tunora-*.so; do
    [ -f "$module" ] && expected+=("usr/lib/tunora/$(basename "$module")")
done
for file in "${expected[@]}"; do
    [ -f "$root/$file" ] || fail "the package lacks $file"
done
desktop-file-validate "$root/usr/share/applications/tunora.desktop"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*tunora*.metainfo.xml

version=$("$bin/tunora" --version)
[[ "$version" =~ ^tunora\ [0-9] ]] || fail "the unpacked program answers --version with '$version'"
echo "unpacked program: $version"

# A new user's first start, as of an installed program: the program's folder is not writable,
# so the per-user settings file is made from the template beside the program
# (../share/tunora), with the music formats. The window shows offscreen for a few seconds.
# Root may write anywhere, so root starts it as the unprivileged user nobody.
first_start() {
    local home as_user=() found=0
    home=$(mktemp -d)
    chmod a-w "$bin"
    if [ "$(id -u)" -eq 0 ]; then
        chown 65534:65534 "$home"
        as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
    fi
    (cd "$home" && "${as_user[@]}" env HOME="$home" XDG_CONFIG_HOME="$home/.config" \
        QT_QPA_PLATFORM=offscreen timeout 5 "$bin/tunora" >/dev/null 2>"$home/stderr") || true
    chmod u+w "$bin"
    iconv -f GBK -t UTF-8 "$home/.config/tunora/初始化配置.ini" | grep -qx $'格式=mp3,wma,wav,flac,ogg,m4a\r' || found=$?
    [ -e "$bin/初始化配置.ini" ] && { echo "the settings file went beside the program" >&2; found=1; }
    # The media engine (libmpv, a dependency of the package) loads.
    if grep -q 'cannot start' "$home/stderr"; then
        cat "$home/stderr" >&2
        found=1
    fi
    rm -rf "$home"
    return "$found"
}
first_start || fail "the unpacked program's first start did not make the settings file from its template"
echo "a new user's first start of the unpacked program makes the settings file with the music formats"

# A cut through the stream-copy module, which the program finds in ../lib/tunora beside
# itself: a FLAC song cut in the window, under Xvfb (screenshots in the build folder's
# e2e-artifacts/).
status=0
repo=$PWD
(cd "$build" && E2E_IN_PLACE=1 bash "$repo/tests/e2e/cut_container_song.sh" "$bin/tunora" "$repo/tests/data" flac) ||
    status=$?
case $status in
    0) echo "the unpacked program cuts a FLAC song through its stream-copy module" ;;
    77) echo "the cut through the unpacked program was skipped: a test tool is missing" >&2 ;;
    *) fail "the unpacked program could not cut a FLAC song" ;;
esac
echo "package $deb: valid, complete, runs from where it is unpacked"
