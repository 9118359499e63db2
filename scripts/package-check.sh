#!/usr/bin/env bash
# Builds the Debian package from a configured build folder and checks it the way a user's
# system meets it: the menu entry and the AppStream metainfo validate, the package installs
# with apt-get, the installed program answers --version, and the package removes cleanly.
# Installs into the running system (with sudo when not root): meant for CI and test machines.
#
# Usage: scripts/package-check.sh [build folder, default build-test]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-test}
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)

desktop-file-validate data/tunora.desktop
appstreamcli validate --no-net data/tunora.metainfo.xml

rm -f "$build"/tunora_*.deb
(cd "$build" && cpack -G DEB)
debs=("$build"/tunora_*.deb)
deb=$(realpath "${debs[0]}")
dpkg-deb --info "$deb"
depends=$(dpkg-deb --field "$deb" Depends)
for library in libmpv2 libqt6widgets6 qt6-qpa-plugins; do
    grep -q "$library" <<<"$depends" || { echo "package does not depend on $library: $depends" >&2; exit 1; }
done

if dpkg-query -W -f='${Status}' tunora 2>/dev/null | grep -q "install ok installed"; then
    echo "tunora is installed already; remove it before checking the package" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get install -y --no-install-recommends "$deb"
# A new user's first start: the per-user settings file is made from the installed template,
# so the music formats are there. The window shows offscreen for a few seconds. Root could
# write next to the program in /usr/bin, so root starts it as the unprivileged user nobody.
first_start() {
    local home as_user=() found=0
    home=$(mktemp -d)
    if [ "$(id -u)" -eq 0 ]; then
        chown 65534:65534 "$home"
        as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
    fi
    (cd "$home" && "${as_user[@]}" env HOME="$home" XDG_CONFIG_HOME="$home/.config" \
        QT_QPA_PLATFORM=offscreen timeout 5 /usr/bin/tunora >/dev/null 2>"$home/stderr") || true
    iconv -f GBK -t UTF-8 "$home/.config/tunora/初始化配置.ini" | grep -qx $'格式=mp3,wma\r' || found=$?
    # The media engine (libmpv, a dependency of the package) loads.
    if grep -q 'cannot start' "$home/stderr"; then
        cat "$home/stderr" >&2
        found=1
    fi
    rm -rf "$home"
    return "$found"
}
status=0
{
    version=$(/usr/bin/tunora --version) && echo "installed program: $version" &&
    [[ "$version" =~ ^tunora\ [0-9] ]] &&
    desktop-file-validate /usr/share/applications/tunora.desktop &&
    appstreamcli validate --no-net /usr/share/metainfo/*tunora*.metainfo.xml &&
    [ -f /usr/share/icons/hicolor/256x256/apps/tunora.png ] &&
    [ -f /usr/share/tunora/初始化配置.ini ] &&
    first_start && echo "a new user's first start loads the engine and the settings file has the music formats"
} || status=$?
"${sudo_cmd[@]}" apt-get purge -y tunora
left=$(find /usr/bin/tunora /usr/share/tunora /usr/share/applications/tunora.desktop 2>/dev/null || true)
if [ "$status" -ne 0 ] || [ -n "$left" ] || dpkg-query -W -f='${Status}' tunora 2>/dev/null | grep -q installed; then
    echo "package check failed (status $status; left behind: ${left:-nothing})" >&2
    exit 1
fi
echo "package $deb: installs, runs, removes cleanly"
