#!/usr/bin/env bash
# Makes the Debian package with scripts/package (which fails on any lintian error), then checks
# it as Debian's tools read it: the control fields, the file list, the menu entry, the AppStream
# metadata and the manual pages; unpacks it into a temporary root (it is never installed here)
# and runs the programs from there: the versions, the tool on a sample, and the game started as
# the menu starts it, with a fresh data folder and with one it cannot write.
# Usage: package_test.sh SOURCE_DIR VERSION RELEASE_DATE
set -euo pipefail
source=$1 version=$2 released=$3
build="$source/build/package"
work=$(mktemp -d)
game=
cleanup() {
    [ -n "$game" ] && kill "$game" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

start=$SECONDS
"$source/scripts/package" >"$work/package.log" 2>&1 || { cat "$work/package.log" >&2; fail "scripts/package"; }
grep -E '^[EWIP]: ' "$work/package.log" >&2 || true
deb="$build/vexlor_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no $deb"

# The control fields, as dpkg reads them.
field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = vexlor ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ "$(field Section)" = games ] || fail "Section: $(field Section)"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
depends=$(field Depends)
# Declared by hand (loaded at run time, or data) and found by dpkg-shlibdeps in the programs.
for package in libsdl2-mixer-2.0-0 qt6-qpa-plugins timgm6mb-soundfont fonts-liberation \
    fonts-dejavu-core libqt6widgets6 libqt6svg6 libsqlcipher0 libxml2 libfontconfig1 libc6; do
    [[ ", $depends," == *", $package"[\ ,]* ]] || fail "Depends lacks $package: $depends"
done

# The file list: everything under /usr, owned by root, the game in /usr/games, and each file
# an installation needs.
listing=$(dpkg-deb --contents "$deb")
files=$(sed -E 's/^([^ ]+ +){5}//; s|^\./||; s|/$||' <<<"$listing")
outside=$(grep -v -e '^usr$' -e '^usr/' <<<"$files" || true)
[ -z "$outside" ] || fail "outside /usr: $outside"
notRoot=$(awk '$2 != "root/root"' <<<"$listing")
[ -z "$notRoot" ] || fail "not owned by root: $notRoot"
for file in usr/games/vexlor usr/bin/vexlor-module \
    usr/share/man/man6/vexlor.6.gz usr/share/man/man1/vexlor-module.1.gz \
    usr/share/applications/org.vexlor.Player.desktop \
    usr/share/metainfo/org.vexlor.Player.metainfo.xml usr/share/mime/packages/x-vxmfile.xml \
    usr/share/icons/hicolor/48x48/apps/vexlor.png \
    usr/share/icons/hicolor/48x48/mimetypes/application-x-vxmfile.png \
    usr/share/doc/vexlor/copyright usr/share/doc/vexlor/changelog.gz \
    "usr/share/vexlor/modules/General Knowledge.vxm" usr/share/vexlor/modules/VXM.ico \
    usr/share/vexlor/modules/sc-saturn.gif usr/share/vexlor/locale/fr/LC_MESSAGES/vexlor.mo \
    usr/share/vexlor/locale/de/LC_MESSAGES/vexlor.mo usr/share/vexlor/locale/es/LC_MESSAGES/vexlor.mo; do
    grep -qxF "$file" <<<"$files" || fail "$file is not in the package"
done
grep -qx 'usr/bin/vexlor' <<<"$files" && fail "the game is in /usr/bin, not /usr/games"

root="$work/root"
dpkg-deb --extract "$deb" "$root"
chmod 755 "$work"
share="$root/usr/share"

# The menu entry and the metadata, with the desktop's and AppStream's own tools.
entry="$share/applications/org.vexlor.Player.desktop"
desktop-file-validate "$entry" || fail "desktop-file-validate refuses the menu entry"
grep -qx 'Exec=/usr/games/vexlor --from-menu %f' "$entry" || fail "Exec line: $(grep Exec "$entry")"
metainfo="$share/metainfo/org.vexlor.Player.metainfo.xml"
appstreamcli validate --no-net "$metainfo" >"$work/appstream.log" 2>&1 ||
    { cat "$work/appstream.log" >&2; fail "appstreamcli validate"; }
python3 - "$metainfo" "$version" "$released" <<'PYTHON' || fail "the metainfo's content"
import sys, xml.etree.ElementTree as tree
component = tree.parse(sys.argv[1]).getroot()
release = component.find("releases/release")
assert component.findtext("id") == "org.vexlor.Player"
assert component.find("launchable").text == "org.vexlor.Player.desktop"
assert (release.get("version"), release.get("date")) == (sys.argv[2], sys.argv[3]), release.attrib
assert {b.text for b in component.findall("provides/binary")} >= {"vexlor", "vexlor-module"}
assert component.findtext("provides/mediatype") == "application/x-vxmfile"
PYTHON

# The manual pages: no warning from man, and every option of --help in them.
for page in man6/vexlor.6.gz man1/vexlor-module.1.gz; do
    warnings=$(MANWIDTH=80 man --warnings -l "$share/man/$page" 2>&1 >"$work/page.txt")
    [ -z "$warnings" ] || fail "man --warnings on $page: $warnings"
    for section in 'EXIT STATUS' FILES ENVIRONMENT; do
        grep -q "^$section" "$work/page.txt" || fail "$page has no $section"
    done
done
MANWIDTH=200 man -l "$share/man/man6/vexlor.6.gz" 2>/dev/null >"$work/page.txt"
for option in $(QT_QPA_PLATFORM=offscreen "$root/usr/games/vexlor" --help | grep -oE -- '--[a-z-]+'); do
    grep -qe "$option" "$work/page.txt" || fail "vexlor(6) lacks $option"
done
MANWIDTH=200 man -l "$share/man/man1/vexlor-module.1.gz" 2>/dev/null >"$work/page.txt"
for option in $("$root/usr/bin/vexlor-module" create --help | grep -oE -- '^  --[a-z-]+'); do
    grep -qe "$option" "$work/page.txt" || fail "vexlor-module(1) lacks create's $option"
done

# The programs run from the unpacked tree, finding their data beside them.
[ "$(env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/games/vexlor" --version)" = \
    "vexlor (Vexlor Player) $version" ] || fail "vexlor --version"
"$root/usr/bin/vexlor-module" --version | grep -qF " $version" || fail "vexlor-module --version"
"$root/usr/bin/vexlor-module" info "$share/vexlor/modules/General Knowledge.vxm" >"$work/info.txt" ||
    fail "vexlor-module info on a sample"
grep -q 'General Knowledge' "$work/info.txt" || fail "info: $(cat "$work/info.txt")"
# ... their catalogs too: asked for French, the tool does not answer in English.
[ "$(env -u LC_ALL -u LC_MESSAGES LANG=C.UTF-8 LANGUAGE=fr "$root/usr/bin/vexlor-module" --help)" != \
    "$(LC_ALL=C "$root/usr/bin/vexlor-module" --help)" ] || fail "the unpacked tool speaks no French"

# Starts the game as the menu does, as a player with the data folder $1 (and, as root, as a
# user its permissions stop); waits until it runs in a folder and prints that folder.
playFromMenu() {
    local data=$1 as=()
    [ "$(id -u)" -eq 0 ] && as=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
    "${as[@]}" env HOME="$work/home" XDG_DATA_HOME="$data" QT_QPA_PLATFORM=offscreen \
        XDG_RUNTIME_DIR="$work/runtime" "$root/usr/games/vexlor" --from-menu \
        2>"$work/game.err" &
    game=$!
    local folder=
    for _ in $(seq 150); do
        # The window is up once the module type is registered, after the samples were copied.
        [ -f "$data/mime/packages/x-vxmfile.xml" ] || [ -s "$work/game.err" ] && break
        sleep 0.1
    done
    sleep 0.5
    kill -0 "$game" 2>/dev/null || fail "the game ended: $(cat "$work/game.err")"
    folder=$(readlink "/proc/$game/cwd")
    kill "$game"
    wait "$game" 2>/dev/null || true
    game=
    echo "$folder"
}
mkdir -m 700 "$work/runtime" "$work/home"
[ "$(id -u)" -eq 0 ] && chown nobody "$work/runtime" "$work/home"

# A fresh data folder: the samples and their media are copied, writable, and the game plays there.
data="$work/data"
mkdir -p "$data"
[ "$(id -u)" -eq 0 ] && chown nobody "$data"
folder=$(playFromMenu "$data")
[ "$folder" = "$data/vexlor/modules" ] || fail "the game plays in $folder"
for sample in "$share"/vexlor/modules/*; do
    copy="$data/vexlor/modules/$(basename "$sample")"
    cmp -s "$sample" "$copy" || fail "$copy is not a copy of the sample"
done
player=$(id -un)
[ "$(id -u)" -eq 0 ] && player=nobody
for module in "$data"/vexlor/modules/*.vxm; do
    [ "$(stat -c %U "$module")" = "$player" ] && [ $(($(stat -c %#a "$module") & 0200)) -ne 0 ] ||
        fail "$module is not the player's to write"
done

# A data folder the player cannot write: a message saying so, and the game plays the samples
# where they are installed.
readOnly="$work/read-only"
mkdir -p "$readOnly/vexlor/modules"
chmod -R 555 "$readOnly"
folder=$(playFromMenu "$readOnly")
[ "$folder" = "$share/vexlor/modules" ] || fail "with a read-only folder the game plays in $folder"
grep -q "Your modules folder $readOnly/vexlor/modules cannot be written" "$work/game.err" ||
    fail "no message for the read-only folder: $(cat "$work/game.err")"
[ -z "$(ls -A "$readOnly/vexlor/modules")" ] || fail "something was written in the read-only folder"

echo "package: all checks passed in $((SECONDS - start)) s"
