#!/usr/bin/env bash
# Installs the build into a temporary folder: every file in its place, the desktop entry and
# the metainfo valid, and the installed program answering --version without a window.
set -euo pipefail
build=$1
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null

# The notices of the editor component come only with the program's own build of it, with every
# patch of its series.
component_notices=""
if ! grep -q '^TAGOMIR_SYSTEM_QSCINTILLA:BOOL=ON$' "$build/CMakeCache.txt"; then
    source=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$build/CMakeCache.txt")
    component_notices="
usr/share/doc/tagomir/qscintilla/NOTICE"
    while read -r name _; do
        case $name in '' | '#'*) continue ;; esac
        component_notices+="
usr/share/doc/tagomir/qscintilla/patches/$name"
    done <"$source/third_party/qscintilla/patches/series"
    component_notices+="
usr/share/doc/tagomir/qscintilla/patches/series"
fi
expected=$(LC_ALL=C sort <<<"usr/bin/tagomir
usr/share/applications/tagomir.desktop
usr/share/doc/tagomir/copyright$component_notices
usr/share/icons/hicolor/128x128/apps/tagomir.png
usr/share/icons/hicolor/16x16/apps/tagomir.png
usr/share/icons/hicolor/22x22/apps/tagomir.png
usr/share/icons/hicolor/24x24/apps/tagomir.png
usr/share/icons/hicolor/256x256/apps/tagomir.png
usr/share/icons/hicolor/32x32/apps/tagomir.png
usr/share/icons/hicolor/48x48/apps/tagomir.png
usr/share/icons/hicolor/64x64/apps/tagomir.png
usr/share/icons/hicolor/scalable/apps/tagomir.svg
usr/share/man/man1/tagomir.1.gz
usr/share/metainfo/tagomir.metainfo.xml")
actual=$(cd "$root" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
if [ "$actual" != "$expected" ]; then
    diff <(echo "$expected") <(echo "$actual") || true
    exit 1
fi

# Both validators print nothing at all for files without faults, hints included.
report=$(desktop-file-validate "$root/usr/share/applications/tagomir.desktop" 2>&1)
report+=$(appstreamcli validate --no-net --pedantic --format=text \
    "$root/usr/share/metainfo/tagomir.metainfo.xml" 2>&1 | grep -v '^✔ Validation was successful.$' || true)
[ -z "$report" ] || { echo "$report"; exit 1; }

version=$(QT_QPA_PLATFORM=offscreen "$root/usr/bin/tagomir" --version)
[ "$version" = "Tagomir wer.1.2" ] || { echo "--version printed: $version"; exit 1; }
echo "install tree complete and valid"
