#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR, checks the layout, the menu
# entry and the installed copy's settings folder, then uninstalls it again.
#   check-install.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
src=$1
build=$2
dest=$(mktemp -d /tmp/velmok-install-XXXXXX)
trap 'rm -rf "$dest"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR="$dest" cmake --install "$build" --prefix /opt/velmok-test >/dev/null
root="$dest/opt/velmok-test"
expected=(
    bin/velmok
    share/applications/velmok.desktop
    share/icons/hicolor/scalable/apps/velmok.svg
    share/velmok/help/index.html
    share/man/man1/velmok.1
    share/metainfo/org.example.velmok.metainfo.xml
)
for size in 16 22 24 32 48 64 128 256; do
    expected+=("share/icons/hicolor/${size}x${size}/apps/velmok.png")
done
for file in "${expected[@]}"; do
    [ -f "$root/$file" ] || fail "missing $file"
done
[ -x "$root/bin/velmok" ] || fail "bin/velmok is not executable"
count=$(find "$dest" -type f | wc -l)
[ "$count" -eq "${#expected[@]}" ] || fail "installed $count files, expected ${#expected[@]}"
[ "$(identify -format '%wx%h' "$root/share/icons/hicolor/48x48/apps/velmok.png")" = 48x48 ] || fail "48x48 icon has another size"
desktop-file-validate "$root/share/applications/velmok.desktop" || fail "desktop-file-validate"

# An installed copy keeps its settings under XDG_CONFIG_HOME, and says so.
help=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_CONFIG_HOME="$dest/xdg" "$root/bin/velmok" --help)
grep -qx "This run uses: $dest/xdg/velmok" <<<"$help" || fail "installed copy does not use XDG_CONFIG_HOME: $help"
help=$(env -u XDG_CONFIG_HOME HOME="$dest/home" "$root/bin/velmok" --help)
grep -qx "This run uses: $dest/home/.config/velmok" <<<"$help" || fail "no ~/.config fallback: $help"

DESTDIR="$dest" "$src/tools/uninstall" "$build/install_manifest.txt" >/dev/null
left=$(find "$dest" -mindepth 1 | head -5)
[ -z "$left" ] || fail "uninstall left: $left"
echo "install layout, desktop entry, settings folder and uninstall: ok"
