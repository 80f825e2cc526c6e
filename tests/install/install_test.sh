#!/usr/bin/env bash
# Installs a built tree into a temporary prefix and checks it as a desktop would see it: the
# files are there, the menu entry is valid, the module type maps .vxm files, the installed game
# answers without a display, and scripts/uninstall takes it all away.
# Usage: install_test.sh BUILD_DIR SOURCE_DIR VERSION
set -euo pipefail
build=$1 source=$2 version=$3
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
share="$prefix/share"
for file in bin/vexlor bin/vexlor-module bin/vexlor-editor \
    share/applications/org.vexlor.Player.desktop share/applications/org.vexlor.ModuleEditor.desktop \
    share/metainfo/org.vexlor.Player.metainfo.xml share/man/man6/vexlor.6.gz \
    share/man/man1/vexlor-module.1.gz share/doc/vexlor/copyright \
    share/mime/packages/x-vxmfile.xml share/vexlor/modules/VXM.ico \
    share/vexlor/locale/{de,es,fr}/LC_MESSAGES/vexlor.mo \
    share/icons/hicolor/{16x16,24x24,32x32,48x48,64x64,128x128,256x256}/apps/vexlor.png \
    share/icons/hicolor/{16x16,32x32,48x48}/mimetypes/application-x-vxmfile.png; do
    [ -s "$prefix/$file" ] || fail "$file not installed"
done
modules=("$share"/vexlor/modules/*.vxm)
[ ${#modules[@]} -ge 2 ] || fail "sample modules not installed"
[ -n "$(find "$share/vexlor/modules" -name '*.wav' -o -name '*.gif' | head -1)" ] ||
    fail "the samples' media are not beside them"
file "$share/icons/hicolor/48x48/apps/vexlor.png" | grep -q 'PNG image data, 48 x 48' ||
    fail "the 48-pixel icon is not a 48-pixel PNG"

entry="$share/applications/org.vexlor.Player.desktop"
desktop-file-validate "$entry" || fail "desktop-file-validate refuses the menu entry"
grep -qx "Exec=$prefix/bin/vexlor --from-menu %f" "$entry" || fail "Exec line"
grep -qx 'MimeType=application/x-vxmfile;' "$entry" || fail "MimeType line"
appstreamcli validate --no-net "$share/metainfo/org.vexlor.Player.metainfo.xml" >/dev/null ||
    fail "appstreamcli validate refuses the metainfo"
desktop-file-validate "$share/applications/org.vexlor.ModuleEditor.desktop" ||
    fail "desktop-file-validate refuses the editor's menu entry"

# The type as the desktop's database, and a program asking it, see it.
update-mime-database "$share/mime" >/dev/null 2>&1
grep -qx 'application/x-vxmfile:\*.vxm' "$share/mime/globs" || fail "no glob in the database"
cp "${modules[0]}" "$prefix/any name.vxm"
# Only the installed share folder is searched, as a desktop with this prefix would.
asDesktop=(env -u XDG_CURRENT_DESKTOP HOME="$prefix/nowhere" XDG_DATA_HOME="$prefix/nowhere"
    XDG_DATA_DIRS="$share" PATH="$prefix/bin:$PATH")
type=$("${asDesktop[@]}" xdg-mime query filetype "$prefix/any name.vxm")
[ "$type" = application/x-vxmfile ] || fail "xdg-mime says $type"
# ... and the game is the program a double click on such a file starts.
"$source/scripts/refresh-desktop" "$prefix" >/dev/null 2>&1
program=$("${asDesktop[@]}" xdg-mime query default application/x-vxmfile)
[ "$program" = org.vexlor.Player.desktop ] || fail "xdg-mime opens the type with '$program'"
grep -q '^application/x-vxmfile=.*org.vexlor.ModuleEditor.desktop' \
    "$share/applications/mimeinfo.cache" || fail "the editor is not offered for modules"

# The installed game and tool run from where they were put; the game without a display.
[ "$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$prefix/bin/vexlor" --version)" = \
    "vexlor (Vexlor Player) $version" ] || fail "vexlor --version"
[ "$(env -u DISPLAY -u WAYLAND_DISPLAY "$prefix/bin/vexlor-editor" --version)" = \
    "vexlor-editor (Vexlor Player) $version" ] || fail "vexlor-editor --version"
# ... with their catalogs: asked for another language, the tool does not answer in English.
for language in de es fr; do
    [ "$(env -u LC_ALL -u LC_MESSAGES LANG=C.UTF-8 LANGUAGE=$language "$prefix/bin/vexlor-module" --help)" != \
        "$(LC_ALL=C "$prefix/bin/vexlor-module" --help)" ] || fail "the installed tool speaks no $language"
done
"$prefix/bin/vexlor-module" check "${modules[0]}" >/dev/null || fail "the tool refuses a sample"

# scripts/uninstall removes every installed file by the list kept with the installation, the
# folders the installation made, and the caches the desktop's tools wrote for it: a prefix that
# held only this installation is left empty. A prefix with blanks and a quote in its name too.
uninstallAndCheck() {
    local prefix=$1 share=$1/share
    install -m 644 "$build/install_manifest.txt" "$share/vexlor/install_manifest.txt"
    "$source/scripts/uninstall" --prefix "$prefix" >/dev/null 2>&1
    left=$(find "$prefix" -mindepth 1)
    [ -z "$left" ] || fail "left after uninstalling: $left"
}
rm "$prefix/any name.vxm"
uninstallAndCheck "$prefix"
odd="$prefix/a prefix's place"
mkdir "$odd"
cmake --install "$build" --prefix "$odd" >/dev/null
# The menu entry quotes the game's path, which holds a blank and a quote, as the format asks.
desktop-file-validate "$odd/share/applications/org.vexlor.Player.desktop" ||
    fail "desktop-file-validate refuses the entry of an odd prefix"
exec_line=$(sed -n 's/^Exec=//p' "$odd/share/applications/org.vexlor.Player.desktop")
[ "$exec_line" = "\"$odd/bin/vexlor\" --from-menu %f" ] || fail "odd prefix's Exec: $exec_line"
uninstallAndCheck "$odd"
echo "install: all checks passed"
